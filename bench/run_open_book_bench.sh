#!/usr/bin/env bash
# Time to open a book to its home page (a measurement, not a test): books of about 5 MB and
# 50 MB are made from web-like corpora (bench/make_corpus.py) with the builder's writer
# settings (open_book_maker), then each is started PW_BENCH_RUNS times (5) by open_book_timer,
# which waits until the browser window reports the home page's address and closes the book.
# Prints every time, the median and the spread, and the machine's load. The books are timed
# with the x86_64 player under the system's Wine and, where scripts/setup-wine32.sh has set
# up BUILD_DIR/wine32, with the i686 release under that Wine: the release is what readers get.
#
# The player's clean-up deletes folder trees, so the books run in the sandbox of
# tests/player/run_in_sandbox.sh (a Wine prefix whose drives all lie in one scratch folder).
# Needs a display: it starts its own Xvfb when DISPLAY is not set.
#
# usage: bench/run_open_book_bench.sh [BUILD_DIR]
#   BUILD_DIR (default build/) must hold the x86_64 build with qvplay, open_book_maker and
#   open_book_timer, and for the release the i686 qvplay. Corpora, books and the sandboxes
#   (whose Temp folder the books extract into) go to BUILD_DIR/bench (PW_BENCH_DIR). Each run
#   writes the book's files and its close deletes them again; on a disk mounted with online
#   discard the next run's writes wait for those deletions, and the times rise from run to
#   run. PW_BENCH_DIR=/dev/shm/... measures the player on tmpfs instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/bench/bench_env.sh" "$@"
stub64=$build/win64/player/qvplay.exe
stub32=$build/win32/player/qvplay.exe
maker=$build/win64/bench/open_book_maker.exe
timer=$build/win64/bench/open_book_timer.exe
for f in "$stub64" "$maker" "$timer"; do
  [ -f "$f" ] || { echo "missing $f: build the x86_64 targets qvplay open_book_maker open_book_timer" >&2; exit 1; }
done
wine32=$build/wine32
if [ -f "$wine32/ready" ] && [ -f "$stub32" ]; then have_release=1; else have_release=0; fi

started_xvfb=0
cleanup() { if [ "$started_xvfb" = 1 ]; then xvfb_stop; fi; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  xvfb_start 1
  started_xvfb=1
fi

# The corpus packs to about 64% of its size: 8 MB and 78 MB of pages make books of about 5 MB
# and 50 MB.
sizes="5:8 50:78"

# site_of MB: the corpus folder of the book of about MB megabytes; make_sites makes them
# (once: make_corpus.py keeps a folder it has made).
site_of() { echo "$work/book-site-$1"; }
make_sites() {
  local size
  for size in $sizes; do
    python3 "$root/bench/make_corpus.py" "$(site_of "${size%%:*}")" --mb "${size##*:}" >/dev/null
  done
}

# time_books ARCH STUB [WINE_DIR]: makes each book with STUB as its player and times it in
# a sandbox of its own under the Wine of WINE_DIR (default the system's).
time_books() {
  local arch=$1 stub=$2 wine_dir=${3:-} size mb site book home
  echo "== opening books to their home page ($arch under Wine), $runs runs each"
  echo "  load average before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
  for size in $sizes; do
    mb=${size%%:*}
    site=$(site_of "$mb")
    book=$work/book-$mb-$arch.exe
    if [ ! -f "$book" ] || [ "$book" -ot "$site.stamp" ] || [ "$book" -ot "$stub" ]; then
      home=$(cd "$site" && find . -maxdepth 1 -name '*.htm*' | sort | head -1 | sed 's|^\./||')
      [ -n "$home" ] || { echo "no page at the top of $site" >&2; exit 1; }
      run_wine "$maker" "$(winpath "$site")" "$(winpath "$stub")" "$(winpath "$book")" "$home" >/dev/null
    fi
    echo "  book of $(mb_of "$book") MB, $(find "$site" -type f | wc -l) files:"
    (
      if [ -n "$wine_dir" ]; then export WINE=$wine_dir/bin/wine WINESERVER=$wine_dir/bin/wineserver; fi
      PW_SANDBOX_TIMEOUT=900 "$root/tests/player/run_in_sandbox.sh" "$work/open-book-sandbox-$arch" \
        "$work/open-book-artifacts" "$timer" "$book" -- "Z:\\$(basename "$book")" "Z:\\location.txt" "$runs" 2>&1 |
        grep -v 'Wine Gecko' | sed 's/^/  /'
    )
  done
  echo "  load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
}

make_sites
time_books x86_64 "$stub64"
if [ "$have_release" = 1 ]; then
  time_books i686 "$stub32" "$wine32"
else
  echo "== the i686 release is not timed: it needs $stub32 and the 32-bit Wine of scripts/setup-wine32.sh in $wine32"
fi
