#!/usr/bin/env bash
# Starts the program on a virtual display and saves a PNG of its main window
# to docs/screenshots/main.png.
set -euo pipefail
export SUMWICK_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$SUMWICK_ROOT"
scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Sumwick
mkdir -p docs/screenshots

xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -euo pipefail
  source scripts/wine-env.sh
  trap wine_stop EXIT
  wine_start
  wine build/windows/src/Sumwick.exe </dev/null >/dev/null 2>&1 &
  program=$!
  window=""
  for _ in $(seq 1 120); do
    window=$(xdotool search --name "^Sumwick 0.5 Build 284$" 2>/dev/null | head -n1 || true)
    [ -n "$window" ] && break
    sleep 0.5
  done
  if [ -z "$window" ]; then echo "screenshot: the main window did not appear" >&2; exit 1; fi
  sleep 2  # let it paint
  import -window "$window" docs/screenshots/main.png
  kill "$program" 2>/dev/null || true
'
echo "screenshot: docs/screenshots/main.png"
