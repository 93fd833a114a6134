#!/usr/bin/env bash
# Builds the three configurations: native core (sanitised), x86_64 Windows and i686 Windows
# (the release), each with its tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PW_BUILD_DIR:-$root/build}
jobs=$(nproc)
cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake -S "$root" -B "$build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake -S "$root" -B "$build/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release -DPW_TESTS=ON >/dev/null
for cfg in native win64 win32; do
  echo "== building $cfg"
  cmake --build "$build/$cfg" -j "$jobs"
done
