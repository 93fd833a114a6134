#!/usr/bin/env bash
# Cost of many small files (a measurement, not a test): a directory, a list or a folder walk
# whose cost grows faster than the number of entries shows here long before it shows in a
# test. Prints, in one run, each against Info-ZIP on the same files, taken in turns:
#   - an archive of 70,000 small entries (bench/make_scale_inputs.py): `ziptool list`
#     against `unzip -l` (goal: at most 3 times unzip's time), and `ziptool extract` against
#     `unzip -q`, each into a fresh folder;
#   - a site of about 8,000 files in 300 folders: packed as a book with the builder's writer
#     settings (open_book_maker) against `zip -r -q -6 -P`, and the book opened to its home
#     page (open_book_timer, in the sandbox of tests/player/run_in_sandbox.sh) against
#     `unzip -q -P` of zip's archive of the same site.
# All Windows programs are the x86_64 build under Wine; Info-ZIP runs natively.
#
# usage: bench/run_scale_bench.sh [BUILD_DIR]
#   BUILD_DIR (default build/) must hold the x86_64 build with ziptool, qvplay,
#   open_book_maker and open_book_timer. Inputs and outputs go to BUILD_DIR/bench
#   (PW_BENCH_DIR); PW_BENCH_DIR=/dev/shm/... keeps the disk out of the figures. Each timing
#   is made PW_BENCH_RUNS times (3); medians are shown with their spread. Needs a display for
#   the book: it starts its own Xvfb when DISPLAY is not set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/bench/bench_env.sh" "$@"
archive=$work/scale-70000.zip
site=$work/scale-site
site_zip=$work/scale-site-infozip.zip
book=$work/scale-book.exe
out=$work/scale-out
stub=$build/win64/player/qvplay.exe
maker=$build/win64/bench/open_book_maker.exe
timer=$build/win64/bench/open_book_timer.exe
for f in "$ziptool" "$stub" "$maker" "$timer"; do
  [ -f "$f" ] || { echo "missing $f: build the x86_64 targets ziptool qvplay open_book_maker open_book_timer" >&2; exit 1; }
done
for t in zip unzip; do
  command -v "$t" >/dev/null || { echo "$t is not installed: there is nothing to compare with" >&2; exit 1; }
done

# Wine's desktop process would start and end with every program: a console waiting on a pipe
# holds it for the whole run.
keeper_fifo=$work/scale-keeper.fifo
rm -f "$keeper_fifo"
mkfifo "$keeper_fifo"
LC_ALL=$PW_WINE_LOCALE timeout 3600 "$WINE" cmd.exe <>"$keeper_fifo" >/dev/null 2>&1 &
keeper=$!
started_xvfb=0
cleanup() {
  kill "$keeper" 2>/dev/null || true
  wait "$keeper" 2>/dev/null || true
  rm -f "$keeper_fifo"
  rm -rf "$out"
  if [ "$started_xvfb" = 1 ]; then xvfb_stop; fi
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  xvfb_start 1
  started_xvfb=1
fi
run_wine "$ziptool" >/dev/null 2>&1 || true

clear_out() { rm -rf "$out"; }

section_inputs() {
  echo "== inputs"
  python3 "$root/bench/make_scale_inputs.py" archive "$archive"
  python3 "$root/bench/make_scale_inputs.py" site "$site"
  echo "  $archive: $(mb_of "$archive") MB, $(unzip -l "$archive" | tail -1 | awk '{print $2}') entries"
  echo "  $site: $(find "$site" -type f | wc -l) files in $(find "$site" -mindepth 1 -type d | wc -l) folders"
  echo "  load average: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
}

ziptool_list() { run_wine "$ziptool" list "$(winpath "$archive")"; }
unzip_list() { unzip -l "$archive"; }
ziptool_extract() { run_wine "$ziptool" extract "$(winpath "$archive")" "$(winpath "$work")\\$(basename "$out")"; }
unzip_extract() { unzip -q "$archive" -d "$out"; }

section_archive() {
  echo "== 70,000 entries: ziptool (x86_64, Wine) against Info-ZIP unzip (native), $runs runs each, in turns"
  before_each="" compare "ziptool list" ziptool_list "unzip -l" unzip_list
  echo "  goal: ziptool list at most 3 times unzip -l"
  before_each=clear_out compare "ziptool extract" ziptool_extract "unzip -q -d" unzip_extract
}

make_book() {
  rm -f "$book"
  run_wine "$maker" "$(winpath "$site")" "$(winpath "$stub")" "$(winpath "$book")" index.htm
}
zip_site() { rm -f "$site_zip"; (cd "$site" && zip -r -q -6 -P "$password" "$site_zip" .); }
unzip_site() { unzip -q -P "$password" "$site_zip" -d "$out"; }

section_book() {
  echo "== a site of 8,000 files: packed and opened as a book (x86_64, Wine) against zip and unzip (native)"
  before_each="" compare "pack (open_book_maker)" make_book "zip -r -q -6 -P" zip_site
  echo "  book of $(mb_of "$book") MB; zip's archive $(mb_of "$site_zip") MB"
  # The player opens the book in the sandbox; its median is set against unzip's of the same site.
  local opened median_open ta=() t
  opened=$(PW_SANDBOX_TIMEOUT=900 "$root/tests/player/run_in_sandbox.sh" "$work/scale-sandbox" \
    "$work/scale-artifacts" "$timer" "$book" -- "Z:\\$(basename "$book")" "Z:\\location.txt" "$runs" 2>&1 |
    grep -v 'Wine Gecko') || { echo "$opened" >&2; return 1; }
  median_open=$(echo "$opened" | sed -n 's/^median \([0-9.]*\) s.*/\1/p')
  [ -n "$median_open" ] || { echo "$opened" >&2; return 1; }
  for _ in $(seq "$runs"); do
    clear_out
    t=$(time_once unzip_site)
    ta+=("$t")
  done
  printf '  %-30s %s\n' "open the book (home page)" "$(echo "$opened" | tail -1)"
  printf '  %-30s median %s\n' "unzip -q -P of the site" "$(spread "${ta[@]}")"
  printf '  %-30s %s\n' "ratio of the medians" "$(ratio "$median_open" "$(median "${ta[@]}")")"
}

section_inputs
section_archive
section_book
