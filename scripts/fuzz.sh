#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz (clang, ASan/UBSan, native) into build/fuzz and
# runs each over its committed seeds: about 30 seconds per target as a regression run, or
# SECONDS per target for a longer campaign:
#
#   scripts/fuzz.sh            regression run (30 s per target)
#   scripts/fuzz.sh 3600       one hour per target
#   scripts/fuzz.sh 60 fuzz_legacy fuzz_extract    only these targets
#   PW_FUZZ_FLAGS=-max_len=65536 scripts/fuzz.sh 600   more libFuzzer options
#
# New inputs go to build/fuzz/corpus/TARGET (the seeds stay as committed); a crash leaves
# its input in build/fuzz/artifacts/. Exits 1 when a target fails, 77 when clang is missing.
#
# Every run keeps to 512 MB of memory (resident, and in any one allocation): our readers take
# memory in proportion to their input's bytes, so an input of a few KB that makes one take
# more is a fault, reported like a crash (PW_FUZZ_MEMORY_MB changes the limit).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PW_BUILD_DIR:-$root/build}/fuzz
seconds=${1:-30}
memory=${PW_FUZZ_MEMORY_MB:-512}
shift || true

if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: skipped (clang is missing)"
  exit 77
fi
CC=clang CXX=clang++ cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build "$build" -j "$(nproc)" >/dev/null || { echo "fuzz: build failed"; exit 1; }

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for d in "$root"/tests/fuzz/seeds/*/; do targets+=("$(basename "$d")"); done
fi

status=0
mkdir -p "$build/artifacts"
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  mkdir -p "$corpus"
  log="$build/$t.log"
  # One process per target; a run stops at the first crash, leak or timeout.
  # shellcheck disable=SC2086
  "$build/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb="$memory" -malloc_limit_mb="$memory" \
    -print_final_stats=1 ${PW_FUZZ_FLAGS:-} \
    -artifact_prefix="$build/artifacts/$t-" "$corpus" "$root/tests/fuzz/seeds/$t" >"$log" 2>&1
  rc=$?
  runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' | tail -1)
  if [ $rc -eq 0 ]; then
    echo "fuzz: $t passed (${runs:-?} runs in ${seconds} s)"
  else
    echo "fuzz: $t FAILED (see $log)"
    grep -E '^==[0-9]+== ?ERROR|^SUMMARY|runtime error|Test unit written' "$log" | head -5
    status=1
  fi
done
exit $status
