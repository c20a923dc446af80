#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each one over its
# seed corpus in fuzz/corpus/ for a while (60 s, or the seconds given as the
# first argument). Exits non-zero on any crash, sanitizer report, leak, hang
# or excess memory use; the input that caused it is kept in the run folder.
set -euo pipefail
export SUMWICK_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$SUMWICK_ROOT"
seconds="${1:-60}"

cmake --preset linux-fuzz >/dev/null
cmake --build --preset linux-fuzz

runs="$SUMWICK_ROOT/build/linux-fuzz/runs"
for target in checksum_list ini_document; do
  work="$runs/$target"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/findings"
  echo "fuzz: $target for ${seconds}s"
  # New inputs go to the run's own corpus; the seeds in the repo stay as they are.
  if ! "build/linux-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
      -detect_leaks=1 -max_len=16384 -print_final_stats=1 -artifact_prefix="$work/findings/" \
      "$work/corpus" "fuzz/corpus/$target" >"$work/log" 2>&1; then
    tail -n 60 "$work/log"
    echo "fuzz: $target FAILED; findings in $work/findings" >&2
    exit 1
  fi
  grep -E '^stat::number_of_executed_units|^Done' "$work/log" | sed "s/^/fuzz: $target: /"
done
echo "fuzz: no findings"
