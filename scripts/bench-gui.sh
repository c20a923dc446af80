#!/usr/bin/env bash
# Benchmarks of the real main window under Wine on a virtual display (not part
# of scripts/test.sh: they take a minute and want a quiet machine):
#  - a tree of 100,000 small files dropped on the window: seconds until every
#    row is listed, and the process's memory with those rows;
#  - a 1 GiB file hashed by the calculation run, against md5sum on the same
#    file, in turns after a warm-up of each, with the ratio of the best of each;
#  - the MD5 file verifier opened on a checksum list of those 100,000 files:
#    seconds from the open call until every entry is listed (and reading the
#    list alone, for comparison); then its check served for 5 s, with the
#    longest the window thread spent on one event meanwhile.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
cmake --preset windows >/dev/null
cmake --build --preset windows --target gui_bench

work="$(mktemp -d /tmp/sumwick-bench.XXXXXX)"
trap 'rm -rf "$work"' EXIT

# 10 x 10 folders of 1,000 files each, a few bytes per file, and a checksum
# list of them all (kept beside the tree, so the drop does not take it along).
python3 - "$work/tree" "$work/all.md5" <<'PY'
import hashlib, os, sys
top, list_path = sys.argv[1], sys.argv[2]
lines = []
for a in range(10):
    for b in range(10):
        folder = os.path.join(top, f"a{a}", f"b{b}")
        os.makedirs(folder)
        for n in range(1000):
            data = f"{a} {b} {n}\n".encode()
            with open(os.path.join(folder, f"file{n:04}.txt"), "wb") as out:
                out.write(data)
            lines.append(f"tree\\a{a}\\b{b}\\file{n:04}.txt  {hashlib.md5(data).hexdigest()}\r\n")
with open(list_path, "wb") as out:
    out.write(b"\xef\xbb\xbf" + "".join(lines).encode())
PY
head -c 1073741824 /dev/urandom >"$work/one.bin"

# The run against md5sum, in turns, three of each, after one of each that
# does not count (the page cache, and Wine's own processes settling after its
# start); each side's best counts, so that a busy moment of the shared machine
# hurts neither alone. All in one Wine session, each run in a fresh window.
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
    wine "$SUMWICK_ROOT/build/windows/tests/gui_bench.exe" --run "Z:$1/one.bin" </dev/null
  done' _ "$work" | tr -d '\r' | awk '/^md5sum_seconds=/ { turn++ } turn > 1' >"$turns"
best() { sed -n "s/^$1=//p" "$turns" | sort -g | head -n 1; }
each() { sed -n "s/^$1=//p" "$turns" | xargs printf '%.3f '; }
md5sum_seconds=$(best md5sum_seconds)
run_seconds=$(best run_seconds)
[ "$(sed -n 's/^run_digest=//p' "$turns" | sort -u)" = "$(sed -n 's/^md5sum_digest=//p' "$turns" | sort -u)" ] &&
  [ "$(sed -n 's/^run_digest=//p' "$turns" | wc -l)" = 3 ] || echo "DIGESTS DIFFER (or a run gave none)"

out="$work/gui_bench.out"
xvfb-run -a env SUMWICK_ROOT="$root" bash -c '
  source "$SUMWICK_ROOT/scripts/wine-env.sh"
  trap wine_stop EXIT
  wine_start
  wine "$SUMWICK_ROOT/build/windows/tests/gui_bench.exe" "Z:$1/tree" </dev/null
  wine "$SUMWICK_ROOT/build/windows/tests/gui_bench.exe" --bare 100000 </dev/null
  wine "$SUMWICK_ROOT/build/windows/tests/gui_bench.exe" --list "Z:$1/all.md5" </dev/null' _ "$work" |
  tr -d '\r' >"$out"
cat "$out"
value() { sed -n "s/^$1=//p" "$out"; }

echo "run_seconds (each turn) = $(each run_seconds)"
echo "md5sum_seconds (each turn) = $(each md5sum_seconds)"
ratio=$(printf '%.2f' "$(echo "$run_seconds / $md5sum_seconds" | bc -l)")
echo "ratio (best run / best md5sum) = $ratio"

private_after=$(value private_mb_after)
stripped="$work/Sumwick.stripped.exe"
x86_64-w64-mingw32-strip -o "$stripped" "$root/build/windows/src/Sumwick.exe"
exe_kb=$(( $(stat -c %s "$stripped") / 1024 ))
cpu() { sed -n "s/^$1[[:space:]]*: //p" /proc/cpuinfo | head -n 1; }
echo "== figures"
echo "CPU: $(cpu 'model name') (family $(cpu 'cpu family'), model $(cpu model)); MD5 form chosen by the program: $(sed -n 's/^run_md5_path=//p' "$turns" | sort -u | paste -sd/)"
echo "drop of $(value drop_rows) files until listed: $(value drop_seconds) s"
echo "private memory with those rows: ${private_after} MB"
echo "1 GiB run / md5sum, best of 3 each: $ratio"
echo "Sumwick.exe stripped: ${exe_kb} KB (scripts/package.sh builds the released one)"
