# Set-up shared by the bench scripts, sourced with the script's own arguments after it has set
# `root`: the folders, the password, Wine, and the timing helpers.
#   $1 or PW_BUILD_DIR (default build/): the build holding the x86_64 configuration.
#   PW_BENCH_DIR (default BUILD_DIR/bench): the corpus, archives and the native build.
#   PW_BENCH_RUNS (default 3): how often each timing is made.
build=$(cd "${1:-${PW_BUILD_DIR:-$root/build}}" && pwd)
work=${PW_BENCH_DIR:-$build/bench}
runs=${PW_BENCH_RUNS:-3}
password=bench-secret
corpus=$work/corpus
ziptool=$build/win64/tools/ziptool/ziptool.exe
mkdir -p "$work"

. "$root/scripts/wine-env.sh" "$build/win64"
if [ ! -d "$WINEPREFIX/drive_c" ] || [ ! -d "$LOCPATH/zh_CN.UTF-8" ]; then wine_start; fi
run_wine() { LC_ALL=$PW_WINE_LOCALE timeout 600 "$WINE" "$@"; }

winpath() { echo "Z:$(readlink -f "$1" | sed 's|/|\\|g')"; }

# best_of CMD...: runs CMD $runs times (its output discarded) and prints the best wall time
# in seconds. The command named by $before_each, when set, runs untimed before every run.
best_of() {
  local best="" t0 t1 t
  for _ in $(seq "$runs"); do
    if [ -n "${before_each:-}" ]; then "$before_each"; fi
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
    t1=$(date +%s.%N)
    t=$(echo "$t1 - $t0" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
  done
  printf '%.3f' "$best"
}

mb_of() { python3 -c 'import os,sys; print("%.1f" % (os.path.getsize(sys.argv[1]) / 1e6))' "$1"; }
ratio() { printf '%.3f' "$(echo "$1 / $2" | bc -l)"; }
