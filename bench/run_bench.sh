#!/usr/bin/env bash
# Speed of the archive library on a corpus of about 100 MB shaped like a web site (a
# measurement, not a test). Prints, in one run:
#   - the wall time of `ziptool create --password` (x86_64 under Wine) and of Info-ZIP
#     `zip -r -q -6 -P` (native) on the same folder, and their ratio;
#   - the writer's throughput against raw zlib level-6 Deflate plus the traditional
#     encryption of the same bytes, inside one process (under Wine, and natively from an
#     optimised build without sanitisers), and their ratio;
#   - the check of ziptool's archive by unzip -t, 7z t and Python's zipfile;
#   - zlib's own speed on one thread (CPU time): Debian's mingw library against the one the
#     project builds from Debian's source package (cmake/pw_zlib.cmake).
#
# usage: bench/run_bench.sh [BUILD_DIR]
#   BUILD_DIR (default build/) must hold the x86_64 build (scripts/build.sh). The corpus
#   (shared with run_extract_bench.sh) and the native build go to BUILD_DIR/bench
#   (PW_BENCH_DIR). Each timing is made PW_BENCH_RUNS times (3); medians are shown with
#   their spread (bench/bench_env.sh).
#
# One function per measurement; a new measurement is a new section_* function called at
# the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/bench/bench_env.sh" "$@"

section_corpus() {
  echo "== corpus"
  python3 "$root/bench/make_corpus.py" "$corpus"
  python3 - "$corpus" <<'EOF'
import os, sys
text = images = files = 0
for d, _, names in os.walk(sys.argv[1]):
    for n in names:
        s = os.path.getsize(os.path.join(d, n))
        files += 1
        if n.endswith((".jpg", ".png", ".gif", ".mp4", ".avi", ".mp3")):
            images += s
        else:
            text += s
print("%s: %d files, %.1f MB (%.0f%% HTML/CSS/JS text, %.0f%% images and media)" % (
    sys.argv[1], files, (text + images) / 1e6, 100.0 * text / (text + images), 100.0 * images / (text + images)))
EOF
}

zip_with_ziptool() {
  rm -f "$work/ziptool.zip"
  run_wine "$ziptool" create "$(winpath "$work")\\ziptool.zip" "$(winpath "$corpus")" --password "$password"
}
zip_with_infozip() { rm -f "$work/infozip.zip"; (cd "$work" && zip -r -q -6 -P "$password" infozip.zip corpus); }

section_create_vs_infozip() {
  echo "== ziptool create --password (x86_64, Wine) against Info-ZIP zip -r -q -6 -P (native), $runs runs each, in turn"
  echo "   median (fastest-slowest); goal: ziptool at most 0.6 of zip's time"
  run_wine "$ziptool" >/dev/null 2>&1 || true   # the Wine server and its services are up before timing
  command -v zip >/dev/null || echo "  zip: not installed, only ziptool timed"
  local a=() b=() r=() ta tb
  for _ in $(seq "$runs"); do
    ta=$(time_once zip_with_ziptool)
    a+=("$ta")
    if command -v zip >/dev/null; then
      tb=$(time_once zip_with_infozip)
      b+=("$tb")
      r+=("$(ratio "$ta" "$tb")")
    fi
  done
  printf '  ziptool create --password      %s   %s MB archive\n' "$(spread "${a[@]}")" "$(mb_of "$work/ziptool.zip")"
  if [ ${#b[@]} -gt 0 ]; then
    printf '  zip -r -q -6 -P                %s   %s MB archive\n' "$(spread "${b[@]}")" "$(mb_of "$work/infozip.zip")"
    printf '  ziptool / zip, run by run      %s\n' "$(spread "${r[@]}" | sed 's/ s / /')"
  fi
}

section_writer_vs_raw_codec() {
  echo "== writer (TArcZip.Zip, worker threads per core) against raw zlib level 6 + encryption of the same files on one thread, one process, median of $runs"
  echo "  x86_64 under Wine:"
  run_wine "$build/win64/bench/writer_throughput.exe" "$(winpath "$corpus")" "$(winpath "$work")\\throughput.zip" \
    --password "$password" --runs "$runs" | sed 's/^/    /'
  # Natively from an optimised build; the names are ASCII there (no code page 936).
  local native=$work/native
  cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release -DPW_SANITIZE=OFF -DPW_TESTS=OFF >/dev/null
  cmake --build "$native" -j 4 --target writer_throughput >/dev/null
  python3 "$root/bench/make_corpus.py" "$work/corpus-ascii" --ascii-names
  echo "  native (Linux, Release):"
  "$native/bench/writer_throughput" "$work/corpus-ascii" "$work/throughput-native.zip" \
    --password "$password" --runs "$runs" | sed 's/^/    /'
}

section_check_archive() {
  echo "== ziptool's archive checked by unzip -t, 7z t and Python's zipfile (byte for byte)"
  python3 "$root/tests/ziparchive/zip_check.py" "$work/ziptool.zip" "$corpus" --password "$password" \
    --gbk-names --tools | sed 's/^/  /'
}

section_zlib() {
  echo "== zlib on one thread (CPU time, median of $runs): Debian's mingw library against the project's build"
  local debian=$work/win64-debian-zlib
  cmake -S "$root" -B "$debian" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DPW_TESTS=OFF -DPW_ZLIB_SOURCE=/nonexistent >/dev/null
  cmake --build "$debian" -j 4 --target zlib_speed >/dev/null
  local source
  source=$(sed -n 's/^PW_ZLIB_SOURCE:PATH=//p' "$build/win64/CMakeCache.txt" 2>/dev/null)
  if [ -z "$source" ] || [ ! -f "$source/deflate.c" ]; then
    echo "  (the x86_64 build uses Debian's library too: scripts/install-deps.sh fetches the source)"
  fi
  for round in 1 2; do
    run_wine "$debian/bench/zlib_speed.exe" "$(winpath "$corpus")" --runs "$runs" | sed "s/^/  Debian's  (round $round) /"
    run_wine "$build/win64/bench/zlib_speed.exe" "$(winpath "$corpus")" --runs "$runs" | sed "s/^/  project's (round $round) /"
  done
}

section_corpus
section_create_vs_infozip
section_writer_vs_raw_codec
section_check_archive
section_zlib
