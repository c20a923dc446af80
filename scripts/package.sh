#!/usr/bin/env bash
# Builds the released program from scratch (the release preset: stripped, in build/release) and writes
# the download to dist/:
#   Sumwick-<version>-win64.zip  Sumwick.exe, README.md and LICENSE;
#   Sumwick-<version>-win64.md5  the zip's checksum list in the program's own format (UTF-8 with a byte
#                                order mark, "name  digest", CR LF), so the program checks its download.
# The same commit gives the same bytes: the executable carries no time stamp and the zip's entries
# take the commit's time.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

scripts/setup.sh

SUMWICK_ROOT="$root" source scripts/version.sh
version="$sumwick_version"
name="Sumwick-$version-win64"

rm -rf build/release
cmake --preset release >/dev/null
cmake --build --preset release --target Sumwick
exe=build/release/src/Sumwick.exe

# Explorer's Details tab must name the version the download is named after.
x86_64-w64-mingw32-windres -i "$exe" -O rc | grep -q "FILEVERSION ${version//./, }, $sumwick_build\b" ||
  { echo "package: $exe has no version resource for $version" >&2; exit 1; }

stage="$(mktemp -d /tmp/sumwick-package.XXXXXX)"
trap 'rm -rf "$stage"' EXIT
cp "$exe" README.md LICENSE "$stage/"
stamp="$(git log -1 --format=%cI 2>/dev/null || date -u +%FT%TZ)"
touch -d "$stamp" "$stage"/*

mkdir -p dist
rm -f "dist/$name.zip" "dist/$name.md5"
(cd "$stage" && TZ=UTC zip -X -q -9 "$root/dist/$name.zip" Sumwick.exe README.md LICENSE)
digest="$(md5sum "dist/$name.zip" | cut -d' ' -f1)"
printf '\xEF\xBB\xBF%s  %s\r\n' "$name.zip" "$digest" >"dist/$name.md5"

echo "package: dist/$name.zip ($(stat -c %s "dist/$name.zip") bytes; Sumwick.exe $(stat -c %s "$exe") bytes)"
echo "package: dist/$name.md5 ($digest)"
