#!/usr/bin/env bash
# Builds everything and runs every test: the native core suite directly, the Windows
# suite under Wine (with Xvfb for the windowed tests). Ends with one summary line.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PW_BUILD_DIR:-$root/build}
"$root/scripts/build.sh" || { echo "build failed"; exit 1; }

. "$root/scripts/wine-env.sh" "$build/win64"

cleanup() {
  wine_stop
  xvfb_stop
}
trap cleanup EXIT

# CI always gets its own display, so no outside window can take the tests' focus.
if [ -n "${CI:-}" ]; then xvfb_start 1; else xvfb_start; fi

echo "== preparing the Wine prefix"
wine_start

status=0
summary=()
for cfg in native win64; do
  echo "== tests: $cfg"
  log="$build/ctest-$cfg.log"
  ctest --test-dir "$build/$cfg" --output-on-failure --timeout 900 -j "$(nproc)" 2>&1 | tee "$log"
  [ "${PIPESTATUS[0]}" = 0 ] || status=1
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -1)
  total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
  failed=$(echo "$line" | sed -E 's/.*tests passed, ([0-9]+) tests failed.*/\1/')
  summary+=("$cfg: $((total - failed)) passed, $failed failed")
done
for s in "${summary[@]}"; do echo "$s"; done
exit $status
