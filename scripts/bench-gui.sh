#!/usr/bin/env bash
# Benchmarks of the real main window under Wine on a virtual display (not part
# of scripts/test.sh: they take minutes and want a quiet machine). While each
# step runs, another thread of the process asks the main window for nothing
# every 20 ms and keeps the longest wait for the answer: how long the window
# stopped serving.
#
#   scripts/bench-gui.sh [--files N] [--share] [--bench-exe PATH] [--keep DIR]
#
# Local (100,000 files unless --files says otherwise, in folders of 250):
#  - the tree dropped on the window: seconds until every row is listed, the
#    longest wait, the process's memory with those rows; then Copy, Save MD5
#    and Clear list on those rows, each with its seconds and longest wait;
#    beside it the plain serial FindFirstFileW walk of the same tree;
#  - the MD5 file verifier opened on a checksum list of all those files:
#    seconds until every row is in and the longest wait, beside the same sizes
#    asked for one after another; then its check served for 5 s; and once
#    more, closed as soon as every row is in;
#  - Add File's requester opened on a fresh window and cancelled once shown:
#    the seconds until it is shown and the longest wait meanwhile;
#  - with 100,000 files, a 1 GiB file hashed by the calculation run against
#    md5sum on the same file, in turns after a warm-up of each, with the ratio
#    of the best of each.
# --share: 5,000 files in 20 folders behind a FUSE file system that answers
# every request after 1 ms with the kernel's caches off (scripts/slow_share.py):
# the drop and the verifier as above, against the serial walk and the serial
# size queries over the same share; then natively (the POSIX half of the OS
# layer, which lists folders without Wine's one-listing-at-a-time lock) the walk
# and the list's size queries with one request in flight against eight.
# --bench-exe: another build's gui_bench.exe (to measure an older program).
# --keep: makes the tree and list in DIR and keeps them, or takes them from
# there when an earlier run with as many files made them (a million files
# take minutes to make).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
files=100000
share=0
bench_exe=""
keep=""
while [ $# -gt 0 ]; do
  case "$1" in
    --files) files="$2"; shift 2 ;;
    --share) share=1; files=5000; shift ;;
    --bench-exe) bench_exe="$(realpath "$2")"; shift 2 ;;
    --keep) keep="$(realpath -m "$2")"; shift 2 ;;
    *) echo "usage: $0 [--files N] [--share] [--bench-exe PATH] [--keep DIR]" >&2; exit 2 ;;
  esac
done
if [ -z "$bench_exe" ]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target gui_bench
  bench_exe="$root/build/windows/tests/gui_bench.exe"
fi

work="$(mktemp -d /tmp/sumwick-bench.XXXXXX)"
mounted=""
cleanup() {
  [ -n "$mounted" ] && fusermount3 -u "$mounted" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The tree: folders of 250 small files, 20 folders to a parent (the share: 20
# folders side by side), and a checksum list of them all beside the tree, so
# that the drop does not take it along.
data="${keep:-$work/data}"
made="$files files, share $share"
if [ -z "$keep" ] || [ "$(cat "$data/made" 2>/dev/null)" != "$made" ]; then
rm -rf "$data"
mkdir -p "$data"
/usr/bin/python3 - "$data/tree" "$data/all.md5" "$files" "$share" <<'PY'
import hashlib, os, sys
top, list_path, files, share = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4] == "1"
lines = []
for f in range((files + 249) // 250):
    parts = [f"f{f:02}"] if share else [f"a{f // 20:03}", f"b{f % 20:02}"]
    folder = os.path.join(top, *parts)
    os.makedirs(folder)
    for n in range(min(250, files - f * 250)):
        data = f"{f} {n}\n".encode()
        with open(os.path.join(folder, f"file{n:04}.txt"), "wb") as out:
            out.write(data)
        lines.append("tree\\" + "\\".join(parts) + f"\\file{n:04}.txt  {hashlib.md5(data).hexdigest()}\r\n")
with open(list_path, "wb") as out:
    out.write(b"\xef\xbb\xbf" + "".join(lines).encode())
# The same list for the native benchmark, whose paths take "/".
with open(list_path[:-4] + "-posix.md5", "wb") as out:
    out.write(b"\xef\xbb\xbf" + "".join(lines).replace("\\", "/").encode())
PY
echo "$made" >"$data/made"
fi
at="$data"
if [ "$share" = 1 ]; then
  for p in python3-fusepy fuse3; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
      { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq python3-fusepy fuse3 >/dev/null; }
  done
  mkdir -p "$work/share"
  /usr/bin/python3 "$root/scripts/slow_share.py" "$data" "$work/share" 1 &
  for _ in $(seq 100); do [ -f "$work/share/all.md5" ] && break; sleep 0.1; done
  mounted="$work/share"
  at="$work/share"
fi

out="$work/gui_bench.out"
xvfb-run -a env SUMWICK_ROOT="$root" bash -c '
  source "$SUMWICK_ROOT/scripts/wine-env.sh"
  trap wine_stop EXIT
  wine_start
  bench() { wine "$1" "${@:2}" </dev/null; }
  bench "$1" --walk "Z:$2/tree"
  bench "$1" --drop "Z:$2/tree" "$3" "Z:$4/saved.md5"
  bench "$1" --lookups "Z:$2/all.md5"
  bench "$1" --list "Z:$2/all.md5" "$3"
  bench "$1" --list-close "Z:$2/all.md5" "$3"
  bench "$1" --requester
  bench "$1" --pauses || true' _ "$bench_exe" "$at" "$files" "$work" | tr -d '\r' >"$out"
cat "$out"
value() { sed -n "s/^$1=//p" "$out"; }
ratio() { printf '%.2f' "$(echo "$1 / $2" | bc -l)"; }

echo "== figures"
cpu() { sed -n "s/^$1[[:space:]]*: //p" /proc/cpuinfo | head -n 1; }
echo "CPU: $(cpu 'model name') (family $(cpu 'cpu family'), model $(cpu model))"
[ "$share" = 1 ] && echo "on a share answering every request after 1 ms:"
echo "drop of $(value drop_rows) files until listed: $(value drop_seconds) s, longest wait $(value drop_longest_wait_ms) ms;" \
  "serial walk $(value walk_seconds) s; ratio $(ratio "$(value drop_seconds)" "$(value walk_seconds)")"
echo "private memory with those rows: $(value private_mb_after) MB (before the drop $(value private_mb_before) MB)"
if [ "$share" = 0 ]; then
  echo "private memory with those rows hashed: $(value private_mb_hashed) MB; after Copy and Save MD5:" \
    "$(value private_mb_after_copy_save) MB; after Clear list: $(value private_mb_after_clear) MB," \
    "and with the clipboard emptied too: $(value private_mb_after_clear_and_clipboard) MB"
  for step in copy save clear; do
    echo "$step on $(value drop_rows) rows: $(value ${step}_seconds) s, longest wait $(value ${step}_longest_wait_ms) ms"
  done
  echo "Save MD5's private memory: $(value private_mb_save_queued) MB once queued (the rows and its snapshot)," \
    "$(value private_mb_save_peak) MB at the most while written"
  echo "private memory 0.5 s after Clear list with a save pending: $(value private_mb_after_clear_save_pending) MB" \
    "(the save still pending then: $(value save_pending_at_clear))"
fi
echo "verifier on $(value verifier_rows) lines until every row is in: $(value verifier_open_seconds) s," \
  "longest wait $(value verifier_longest_wait_ms) ms; serial size queries $(value lookups_seconds) s;" \
  "ratio $(ratio "$(value verifier_open_seconds)" "$(value lookups_seconds)")"
echo "verifier's private memory with every row in: $(value verifier_private_mb) MB, at its peak while reading" \
  "$(value verifier_peak_private_mb) MB (the process at its peak: $(value verifier_process_peak_private_mb) MB)"
echo "verifier closed on those rows: longest wait $(value verifier_close_longest_wait_ms) ms"
for way in high_resolution_timer raised_resolution sleep; do
  if [ -n "$(value pause_${way}_median_us)" ]; then
    echo "1 ms pause by $way, over 1,000: median $(value pause_${way}_median_us) µs," \
      "99th percentile $(value pause_${way}_p99_us) µs"
  fi
done
echo "Add File's requester: shown after $(value requester_shown_seconds) s, longest wait until cancelled" \
  "$(value requester_longest_wait_ms) ms"
if [ "$share" = 1 ]; then
  # The same walk and size queries natively, where listings are not serialized.
  cmake --preset linux-bench >/dev/null
  cmake --build --preset linux-bench --target walk_bench >/dev/null
  native="$work/native.out"
  build/linux-bench/bench/walk_bench "$at/tree" "$at/all-posix.md5" | tee "$native"
  nvalue() { sed -n "s/^$1=//p" "$native"; }
  echo "native walk, 8 in flight against 1: $(nvalue native_walk_in_flight_8_seconds) s against" \
    "$(nvalue native_walk_in_flight_1_seconds) s; ratio" \
    "$(ratio "$(nvalue native_walk_in_flight_8_seconds)" "$(nvalue native_walk_in_flight_1_seconds)")"
  echo "native list read, 8 in flight against 1: $(nvalue native_list_in_flight_8_seconds) s against" \
    "$(nvalue native_list_in_flight_1_seconds) s; ratio" \
    "$(ratio "$(nvalue native_list_in_flight_8_seconds)" "$(nvalue native_list_in_flight_1_seconds)")"
fi
[ "$share" = 1 ] || [ "$files" != 100000 ] && exit 0

# The run against md5sum, in turns, three of each, after one of each that
# does not count (the page cache, and Wine's own processes settling after its
# start); each side's best counts, so that a busy moment of the shared machine
# hurts neither alone. All in one Wine session, each run in a fresh window.
head -c 1073741824 /dev/urandom >"$work/one.bin"
turns="$work/turns.out"
xvfb-run -a env SUMWICK_ROOT="$root" bash -c '
  source "$SUMWICK_ROOT/scripts/wine-env.sh"
  trap wine_stop EXIT
  wine_start
  for turn in 0 1 2 3; do
    start=$(date +%s.%N)
    digest=$(md5sum "$1/one.bin" | cut -d" " -f1)
    echo "md5sum_seconds=$(echo "$(date +%s.%N) - $start" | bc -l)"
    echo "md5sum_digest=$digest"
    wine "$2" --run "Z:$1/one.bin" </dev/null
  done' _ "$work" "$bench_exe" | tr -d '\r' | awk '/^md5sum_seconds=/ { turn++ } turn > 1' >"$turns"
best() { sed -n "s/^$1=//p" "$turns" | sort -g | head -n 1; }
each() { sed -n "s/^$1=//p" "$turns" | xargs printf '%.3f '; }
[ "$(sed -n 's/^run_digest=//p' "$turns" | sort -u)" = "$(sed -n 's/^md5sum_digest=//p' "$turns" | sort -u)" ] &&
  [ "$(sed -n 's/^run_digest=//p' "$turns" | wc -l)" = 3 ] || echo "DIGESTS DIFFER (or a run gave none)"
echo "run_seconds (each turn) = $(each run_seconds)"
echo "md5sum_seconds (each turn) = $(each md5sum_seconds)"
echo "MD5 form chosen by the program: $(sed -n 's/^run_md5_path=//p' "$turns" | sort -u | paste -sd/)"
echo "1 GiB run / md5sum, best of 3 each: $(ratio "$(best run_seconds)" "$(best md5sum_seconds)")"
stripped="$work/Sumwick.stripped.exe"
x86_64-w64-mingw32-strip -o "$stripped" "$root/build/windows/src/Sumwick.exe"
echo "Sumwick.exe stripped: $(( $(stat -c %s "$stripped") / 1024 )) KB (scripts/package.sh builds the released one)"
