#!/usr/bin/env bash
# Speed of the extraction engine on the password-protected corpus archive (a measurement,
# not a test). Prints, in one run:
#   - the wall time of `ziptool extract --password` (x86_64 under Wine) and of Info-ZIP
#     `unzip -q -P` (native), each into a fresh folder, taken in turns, and the ratio of their
#     medians; the same for decoding alone (`ziptool test` against `unzip -t -q -P`);
#   - the engine against the raw codec (the traditional decryption, zlib's raw inflate and
#     the CRC-32 of the same bytes in memory), inside one process: under Wine, and natively
#     from an optimised build without sanitisers.
# The archive is made once by the system's own writer (`ziptool create --password`), as the
# builder makes a packed book's.
#
# usage: bench/run_extract_bench.sh [BUILD_DIR]
#   BUILD_DIR (default build/) must hold the x86_64 build (scripts/build.sh). The corpus
#   (shared with run_bench.sh), the archive and the native build go to BUILD_DIR/bench
#   (PW_BENCH_DIR). Each timing is made PW_BENCH_RUNS times (3; 5 or more for figures worth
#   quoting): the median and the spread (fastest .. slowest) are shown, with the machine's
#   load, since other work on it moves every figure. On a disk, writing dominates both
#   extractors; PW_BENCH_DIR=/dev/shm/... measures them on tmpfs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/bench/bench_env.sh" "$@"
archive=$work/extract-pw.zip
out=$work/extract-out

# Wine starts its desktop process for the first program that loads the common controls and
# ends it with the last one, seconds each time: a console waiting on a pipe that never ends
# holds it for the whole run (ended through its time limit).
keeper_fifo=$work/keeper.fifo
rm -f "$keeper_fifo"
mkfifo "$keeper_fifo"
LC_ALL=$PW_WINE_LOCALE timeout 3600 "$WINE" cmd.exe <>"$keeper_fifo" >/dev/null 2>&1 &
keeper=$!
cleanup() {
  kill "$keeper" 2>/dev/null || true
  wait "$keeper" 2>/dev/null || true
  rm -f "$keeper_fifo"
  rm -rf "$out"
}
trap cleanup EXIT
run_wine "$ziptool" >/dev/null 2>&1 || true

# Every timed run writes into an empty $out.
clear_out() { rm -rf "$out"; }
before_each=clear_out

section_archive() {
  echo "== archive"
  python3 "$root/bench/make_corpus.py" "$corpus"
  if [ ! -f "$archive" ] || [ "$archive" -ot "$corpus.stamp" ]; then
    rm -f "$archive"
    run_wine "$ziptool" create "$(winpath "$work")\\$(basename "$archive")" "$(winpath "$corpus")" \
      --password "$password" >/dev/null
  fi
  echo "  $archive: $(mb_of "$archive") MB," \
    "$(find "$corpus" -type f | wc -l) files, made by ziptool create --password"
}

ziptool_extract() { run_wine "$ziptool" extract "$(winpath "$archive")" "$(winpath "$work")\\$(basename "$out")" --password "$password"; }
ziptool_test() { run_wine "$ziptool" test "$(winpath "$archive")" --password "$password"; }

unzip_extract() { unzip -q -P "$password" "$archive" -d "$out"; }
unzip_test() { unzip -t -q -P "$password" "$archive"; }

section_extract_vs_unzip() {
  echo "== ziptool extract / test --password (x86_64, Wine) against Info-ZIP unzip -P (native), $runs runs each, in turns"
  echo "  load average before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
  if ! command -v unzip >/dev/null; then
    echo "  unzip: not installed, skipped"
    return
  fi
  compare "ziptool extract" ziptool_extract "unzip -q -P" unzip_extract
  before_each="" compare "ziptool test (decode only)" ziptool_test "unzip -t -q -P" unzip_test
  echo "  load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
}

section_engine_vs_raw_codec() {
  echo "== engine (TArcUnZip.UnZip) against raw decryption + inflate + CRC-32 of the same bytes, one process, best of $runs"
  echo "  x86_64 under Wine:"
  rm -rf "$out"
  run_wine "$build/win64/bench/extract_throughput.exe" "$(winpath "$archive")" "$(winpath "$work")\\$(basename "$out")" \
    --password "$password" --runs "$runs" | sed 's/^/    /'
  local native=$work/native
  cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release -DPW_SANITIZE=OFF -DPW_TESTS=OFF >/dev/null
  cmake --build "$native" -j 4 --target extract_throughput >/dev/null
  echo "  native (Linux, Release):"
  rm -rf "$out"
  "$native/bench/extract_throughput" "$archive" "$out" --password "$password" --runs "$runs" | sed 's/^/    /'
}

section_archive
section_extract_vs_unzip
section_engine_vs_raw_codec
