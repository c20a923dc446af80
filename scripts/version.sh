# Sourced: the version as project() in CMakeLists.txt writes it, the one place
# it is kept. Sets sumwick_version (0.5.0), sumwick_build (284) and
# sumwick_title (the main window's title).
sumwick_project_version="$(sed -n 's/^project(Sumwick VERSION \([0-9.]*\) .*/\1/p' "$SUMWICK_ROOT/CMakeLists.txt")"
IFS=. read -r sumwick_major sumwick_minor sumwick_patch sumwick_build <<<"$sumwick_project_version"
if [ -z "$sumwick_build" ]; then
  echo "version: no four-part version in CMakeLists.txt's project()" >&2
  exit 1
fi
sumwick_version="$sumwick_major.$sumwick_minor.$sumwick_patch"
sumwick_title="Sumwick $sumwick_major.$sumwick_minor Build $sumwick_build"
