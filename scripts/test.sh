#!/usr/bin/env bash
# Installs what is missing, builds the presets and runs every test: the native
# tests under ASan and UBSan and again under TSan, then the Windows tests under
# Wine on a virtual display.
set -euo pipefail
export SUMWICK_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$SUMWICK_ROOT"

scripts/setup.sh
scripts/check_layers.sh

echo "== native build (ASan, UBSan)"
cmake --preset linux >/dev/null
cmake --build --preset linux
ctest --preset linux

echo "== native build (ThreadSanitizer)"
cmake --preset linux-tsan >/dev/null
cmake --build --preset linux-tsan
ctest --preset linux-tsan

echo "== Windows build (MinGW-w64), tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows
# The tests' hook on folder listings and lookups stays out of the program itself.
program=$(find build/windows -name Sumwick.exe | head -n 1)
if x86_64-w64-mingw32-nm -C "$program" | grep -Ei 'access_?hook|AccessDelay|DelayedAtOnce'; then
  echo "test.sh: $program carries the tests' access hook" >&2
  exit 1
fi
# Room for the main window at 200%: the scale test lays it out at 192 DPI.
xvfb-run -a -s "-screen 0 2560x1600x24" bash scripts/wine-ctest.sh

if [ -x scripts/fuzz.sh ]; then
  echo "== fuzzing"
  scripts/fuzz.sh
fi
echo "== all tests passed"
