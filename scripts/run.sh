#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it (under Wine on Linux).
set -euo pipefail
export SUMWICK_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$SUMWICK_ROOT"
scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Sumwick
source scripts/wine-env.sh
wine "$SUMWICK_ROOT/build/windows/src/Sumwick.exe"
