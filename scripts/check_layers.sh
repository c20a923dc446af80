#!/usr/bin/env bash
# Fails when a source file includes from a folder above its own. The folders
# under src/ in their order, each allowed to include only itself and the ones
# listed after it:
#   app -> windows -> ui, formats, engine -> os
# (ui knows nothing of files or digests, so neither formats nor engine;
# formats and engine know nothing of each other). version.h, made by CMake
# from the project's version, holds only macros and may be included from anywhere.
set -euo pipefail
cd "$(dirname "$0")/../src"

allowed() {
  case "$1" in
    app) echo "app windows ui formats engine os" ;;
    windows) echo "windows ui formats engine os" ;;
    ui) echo "ui os" ;;
    formats) echo "formats os" ;;
    engine) echo "engine os" ;;
    os) echo "os" ;;
  esac
}

status=0
for folder in app windows ui formats engine os; do
  permitted=" $(allowed "$folder") "
  while IFS= read -r line; do
    file="${line%%:*}"
    target="$(sed -n 's/.*#include "\([^"/]*\)\/.*/\1/p' <<<"${line#*:}")"
    [ -z "$target" ] && continue
    if [[ "$permitted" != *" $target "* ]]; then
      echo "layering: $file includes from $target/ (${folder}/ may include only:$permitted)"
      status=1
    fi
  done < <(grep -rn '^#include "' "$folder" || true)
done
[ "$status" -eq 0 ] && echo "layering: every include runs downward"
exit "$status"
