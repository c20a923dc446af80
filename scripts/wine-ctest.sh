#!/usr/bin/env bash
# Runs the Windows tests under Wine; expects a display (xvfb-run supplies one).
set -euo pipefail
source "$SUMWICK_ROOT/scripts/wine-env.sh"
trap wine_stop EXIT
wine_start
ctest --preset windows "$@" </dev/null
