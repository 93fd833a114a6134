#!/usr/bin/env bash
# The main job: shows what was built.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PW_BUILD_DIR:-$root/build}
for cfg in win32 win64; do
  find "$build/$cfg" -maxdepth 3 -name '*.exe' -not -path '*/tests/*' -printf "$cfg: %p (%s bytes)\n" | sort
done
