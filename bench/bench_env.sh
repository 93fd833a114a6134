# Set-up shared by the bench scripts, sourced with the script's own arguments after it has set
# `root`: the folders, the password, Wine, and the timing helpers.
#   $1 or PW_BUILD_DIR (default build/): the build holding the x86_64 configuration.
#   PW_BENCH_DIR (default BUILD_DIR/bench): the corpus, archives and the native build.
#   PW_BENCH_RUNS (default 3): how often each timing is made.
# The machine may be busy with other work while a bench runs: the scripts print medians
# with their spread, and time what they compare in alternation so that both see the same load.
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

# time_once CMD...: the wall time of one run of CMD in seconds (its output discarded).
time_once() {
  local t0 t1
  t0=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
  t1=$(date +%s.%N)
  echo "$t1 - $t0" | bc -l
}

# spread T...: "median s (fastest-slowest)" of the times given.
spread() {
  python3 -c 'import statistics, sys
t = sorted(float(x) for x in sys.argv[1:])
print("%.3f s (%.3f-%.3f)" % (statistics.median(t), t[0], t[-1]))' "$@"
}

# median T...: the median alone.
median() { python3 -c 'import statistics, sys; print("%.3f" % statistics.median(float(x) for x in sys.argv[1:]))' "$@"; }

mb_of() { python3 -c 'import os,sys; print("%.1f" % (os.path.getsize(sys.argv[1]) / 1e6))' "$1"; }
ratio() { printf '%.3f' "$(echo "$1 / $2" | bc -l)"; }

# median_pair NAME_A NAME_B: runs the functions NAME_A and NAME_B in turns, $runs times each
# (each after $before_each), and prints "MEDIAN_A MIN_A MAX_A MEDIAN_B MIN_B MAX_B".
median_pair() {
  local ta=() tb=() t0 t1
  for _ in $(seq "$runs"); do
    for f in "$1" "$2"; do
      if [ -n "${before_each:-}" ]; then "$before_each"; fi
      t0=$(date +%s.%N)
      "$f" >/dev/null 2>&1 || { echo "failed: $f" >&2; return 1; }
      t1=$(date +%s.%N)
      if [ "$f" = "$1" ]; then ta+=("$(echo "$t1 - $t0" | bc -l)"); else tb+=("$(echo "$t1 - $t0" | bc -l)"); fi
    done
  done
  python3 -c 'import statistics, sys
n = int(sys.argv[1]); a = [float(x) for x in sys.argv[2:2 + n]]; b = [float(x) for x in sys.argv[2 + n:]]
print("%.3f %.3f %.3f %.3f %.3f %.3f" % (statistics.median(a), min(a), max(a), statistics.median(b), min(b), max(b)))' \
    "${#ta[@]}" "${ta[@]}" "${tb[@]}"
}

# compare LABEL_A FUNC_A LABEL_B FUNC_B
compare() {
  local m
  m=$(median_pair "$2" "$4") || return 1
  read -r ma la ha mb lb hb <<<"$m"
  printf '  %-30s median %s s  (%s .. %s)\n' "$1" "$ma" "$la" "$ha"
  printf '  %-30s median %s s  (%s .. %s)\n' "$3" "$mb" "$lb" "$hb"
  printf '  %-30s %s\n' "ratio of the medians" "$(ratio "$ma" "$mb")"
}
