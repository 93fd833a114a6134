#!/usr/bin/env bash
# Builds everything and runs every test in three suites: the native core directly, the
# x86_64 Windows build under the system's Wine, and the i686 release under the 32-bit Wine
# of scripts/setup-wine32.sh (with Xvfb for the windowed tests); then a short regression run
# of the fuzz targets. Ends with one summary line per suite.
#
# A machine whose kernel runs no 32-bit programs cannot run the i686 suite at all: the suite
# then says so in its summary line and is not counted as passed; PW_REQUIRE_WIN32=1 turns
# that into a failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PW_BUILD_DIR:-$root/build}
"$root/scripts/build.sh" || { echo "build failed"; exit 1; }

. "$root/scripts/wine-env.sh"

cleanup() {
  wine_stop
  xvfb_stop
}
trap cleanup EXIT

# CI always gets its own display, so no outside window can take the tests' focus.
if [ -n "${CI:-}" ]; then xvfb_start 1; else xvfb_start; fi

status=0
summary=()

# run_suite NAME: CTest over build/NAME; adds the suite's summary line.
run_suite() {
  local cfg=$1 log="$build/ctest-$1.log" line total failed
  echo "== tests: $cfg"
  ctest --test-dir "$build/$cfg" --output-on-failure --timeout 900 -j "$(nproc)" 2>&1 | tee "$log"
  [ "${PIPESTATUS[0]}" = 0 ] || status=1
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -1)
  if [ -z "$line" ]; then
    summary+=("$cfg: 0 passed, 1 failed (CTest ran no test)")
    status=1
    return
  fi
  total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
  failed=$(echo "$line" | sed -E 's/.*tests passed, ([0-9]+) tests failed.*/\1/')
  summary+=("$cfg: $((total - failed)) passed, $failed failed")
}

# A Wine that starts a program of the wrong bitness may print nothing and exit 0: before a
# suite counts, one of its test programs must list its tests.
wine_answers() {
  local probe
  probe=$(find "$build/$1/tests/classlib" -maxdepth 1 -name 'classlib_test.exe' | head -1)
  [ -n "$probe" ] && LC_ALL=$PW_WINE_LOCALE "$root/tests/wine-run.sh" "$probe" --gtest_list_tests 2>/dev/null |
    grep -q '^[A-Za-z]'
}

run_suite native

wine_use "$build/win64"
echo "== preparing the Wine prefix (x86_64)"
wine_start
if wine_answers win64; then
  run_suite win64
else
  summary+=("win64: 0 passed, 1 failed (Wine runs no test program)")
  status=1
fi
wine_stop

wine32_status=0
bash "$root/scripts/setup-wine32.sh" "$build/wine32" || wine32_status=$?
if [ "$wine32_status" = 0 ]; then
  wine_use "$build/win32" "$build/wine32"
  echo "== preparing the Wine prefix (i686)"
  wine_start
  if wine_answers win32; then
    run_suite win32
  else
    summary+=("win32: 0 passed, 1 failed (32-bit Wine runs no test program)")
    status=1
  fi
  wine_stop
elif [ "$wine32_status" = 3 ]; then
  summary+=("win32: not run: this machine's kernel runs no 32-bit programs, so 32-bit Wine cannot start")
  [ "${PW_REQUIRE_WIN32:-0}" = 1 ] && status=1
else
  summary+=("win32: 0 passed, 1 failed (32-bit Wine could not be set up)")
  status=1
fi

# The fuzz targets, each for a short regression run over its seeds.
echo "== fuzz targets"
fuzz_log=$build/fuzz.log
bash "$root/scripts/fuzz.sh" 2>&1 | tee "$fuzz_log"
fuzz_status=${PIPESTATUS[0]}
fuzz_passed=$(grep -c ' passed (' "$fuzz_log")
fuzz_failed=$(grep -c ' FAILED' "$fuzz_log")
if [ "$fuzz_status" = 77 ]; then
  summary+=("fuzz: not run (clang is missing)")
elif [ "$fuzz_status" != 0 ] && [ "$fuzz_failed" = 0 ]; then
  summary+=("fuzz: $fuzz_passed passed, 1 failed (the targets did not build)")
  status=1
else
  [ "$fuzz_status" = 0 ] || status=1
  summary+=("fuzz: $fuzz_passed passed, $fuzz_failed failed")
fi

for s in "${summary[@]}"; do echo "$s"; done
exit $status
