#!/usr/bin/env bash
# Builds the optimised native benchmarks and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset linux-bench >/dev/null
cmake --build --preset linux-bench --target md5_bench
build/linux-bench/bench/md5_bench build/linux-bench/md5_bench.scratch
