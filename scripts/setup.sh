#!/usr/bin/env bash
# Installs what the build and the tests need that this machine lacks (Debian/Ubuntu).
set -euo pipefail

packages=(cmake ninja-build g++ clang libclang-rt-dev g++-mingw-w64-x86-64 mingw-w64-tools wine wine64
          xvfb xauth xdotool imagemagick googletest libgtest-dev libbenchmark-dev libssl-dev zip)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
