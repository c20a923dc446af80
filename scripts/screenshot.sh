#!/usr/bin/env bash
# Starts the program on a virtual display and saves a PNG of its main window
# and of each tool window, driven like a user drives them, to docs/screenshots/;
# then the main window and the MD5 file verifier again at 150% and 200%.
set -euo pipefail
export SUMWICK_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$SUMWICK_ROOT"
source scripts/version.sh
export SUMWICK_TITLE="$sumwick_title"
scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Sumwick drive_program
mkdir -p docs/screenshots

# Sample files for the verifiers: intact, changed since they were listed, and
# listed with an upper-case digest.
samples="$SUMWICK_ROOT/build/windows/screenshot-samples"
rm -rf "$samples"
mkdir -p "$samples"
head -c 300000 /dev/urandom >"$samples/holiday.jpg"
head -c 120000 /dev/urandom >"$samples/report.pdf"
head -c 52000 /dev/urandom >"$samples/notes.txt"
head -c 800000 /dev/urandom >"$samples/setup.exe"
digest() { md5sum "$samples/$1" | cut -d" " -f1; }
{
  printf '\xef\xbb\xbf'
  printf '%s  %s\r\n' holiday.jpg "$(digest holiday.jpg)"
  printf '%s  %s\r\n' report.pdf "$(digest report.pdf)"
  printf '%s  %s\r\n' notes.txt "$(digest notes.txt)"
  printf '%s  %s\r\n' setup.exe "$(digest setup.exe | tr a-f A-F)"
} >"$samples/files.md5"
printf 'changed' >>"$samples/notes.txt"
export SAMPLE_DIGEST="$(digest holiday.jpg)"
export SAMPLES_WINE="Z:$(echo "$samples" | tr / '\\')"

# Room for the main window at 200%.
xvfb-run -a -s "-screen 0 2560x1600x24" bash -c '
  set -euo pipefail
  source scripts/wine-env.sh
  # The display scale Wine gives the programs it starts from now on (no value: 96 DPI).
  display_dpi() {
    if [ "$1" = 96 ]; then
      wine reg delete "HKCU\Control Panel\Desktop" /v LogPixels /f </dev/null >/dev/null 2>&1 || true
    else
      wine reg add "HKCU\Control Panel\Desktop" /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
    fi
  }
  # The prefix is shared with the tests: it is left at 96 DPI whatever happens.
  trap "display_dpi 96; wine_stop" EXIT
  wine_start
  display_dpi 96
  drive() { wine build/windows/tests/drive_program.exe "$@" </dev/null >/dev/null 2>&1; }
  window_named() {
    local window=""
    for _ in $(seq 1 120); do
      window=$(xdotool search --name "^$1\$" 2>/dev/null | head -n1 || true)
      [ -n "$window" ] && break
      sleep 0.5
    done
    if [ -z "$window" ]; then echo "screenshot: the window \"$1\" did not appear" >&2; exit 1; fi
    echo "$window"
  }
  # shot FILE TITLE [STEPS...]: a fresh program, the steps, then the window titled TITLE.
  shot() {
    local file=$1 title=$2
    shift 2
    wine build/windows/src/Sumwick.exe </dev/null >/dev/null 2>&1 &
    local program=$!
    window_named "$SUMWICK_TITLE" >/dev/null
    "$@"
    local window
    window=$(window_named "$title")
    sleep 2  # let it paint
    import -window "$window" "docs/screenshots/$file"
    kill "$program" 2>/dev/null || true
    wine_stop
    wine_start
    echo "screenshot: docs/screenshots/$file"
  }
  none() { :; }
  # Four files added through the Add File requester, then hashed by Start.
  main_with_files() {
    for name in holiday.jpg report.pdf notes.txt setup.exe; do
      drive menu kMenuAddFile
      drive answer "Open" "$SAMPLES_WINE\\$name"
    done
    drive menu kMenuStart
    sleep 2
  }
  options() { drive menu kMenuOptions; }
  about() { drive menu kMenuAbout; }
  text_digest() {
    drive menu kMenuTextToMd5
    drive text "Text to MD5" kTextDigestEditor "The quick brown fox jumps over the lazy dog"
    drive click "Text to MD5" kTextDigestCalculateButton
  }
  file_verifier() {
    drive menu kMenuVerifyFile
    drive click "File Verifier" kFileVerifierChooseButton
    drive answer "Select file.." "$SAMPLES_WINE\\holiday.jpg"
    drive text "File Verifier" kFileVerifierChecksumField "$SAMPLE_DIGEST"
    sleep 1
    drive click "File Verifier" kFileVerifierCheckButton
    sleep 2
  }
  md5_file_verifier() {
    drive menu kMenuVerifyMd5File
    drive answer "Open" "$SAMPLES_WINE\\files.md5"
    sleep 1
    drive click "MD5 File Verifier" kVerifierCheckButton
    sleep 2
  }
  shot main.png "$SUMWICK_TITLE" main_with_files
  shot md5_file_verifier.png "MD5 File Verifier" md5_file_verifier
  shot file_verifier.png "File Verifier" file_verifier
  shot text_digest.png "Text to MD5" text_digest
  shot options.png "Options" options
  shot about.png "About" about
  for dpi in 144 192; do
    display_dpi "$dpi"
    shot "main_${dpi}dpi.png" "$SUMWICK_TITLE" main_with_files
    shot "md5_file_verifier_${dpi}dpi.png" "MD5 File Verifier" md5_file_verifier
  done
'
