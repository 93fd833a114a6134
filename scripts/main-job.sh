#!/usr/bin/env bash
# The main job: packs the bundled sample site with the builder's own window (worked from
# outside by tools/pagewrap_driver: it fills the fields and presses "开始打包"), opens the book
# in the player, and saves pictures of both windows in docs/. Runs the i686 release under the
# 32-bit Wine of scripts/setup-wine32.sh; on a machine whose kernel runs no 32-bit programs it
# says so and runs the x86_64 twin instead. Starts its own Xvfb when there is no display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PW_BUILD_DIR:-$root/build}

. "$root/scripts/wine-env.sh"
wine32_status=0
bash "$root/scripts/setup-wine32.sh" "$build/wine32" || wine32_status=$?
case $wine32_status in
  0) arch=i686; win=$build/win32; wine_use "$win" "$build/wine32" ;;
  3) arch=x86_64; win=$build/win64; wine_use "$win"
     echo "note: this machine's kernel runs no 32-bit programs; running the x86_64 twin instead of the i686 release" ;;
  *) echo "cannot set up 32-bit Wine" >&2; exit 1 ;;
esac
builder=$win/builder/pagewrap.exe
driver_exe=$win/tools/pagewrap_driver/pagewrap_driver.exe
for f in "$builder" "$driver_exe"; do
  [ -f "$f" ] || { echo "missing $f: run scripts/build.sh first" >&2; exit 1; }
done

# Everything the run makes lives in this scratch folder of the build: the copy of the site, the
# book, and the temporary folders of both programs.
job=$build/main-job
rm -rf "${job:?}"
mkdir -p "$job/temp" "$root/docs"
site=$job/示例网站
cp -r "$root/tests/fixtures/sample-site" "$site"

builder_pid=""
player_pid=""
cleanup() {
  for p in $player_pid $builder_pid; do kill "$p" 2>/dev/null || true; done
  wine_stop
  xvfb_stop
}
trap cleanup EXIT

xvfb_start

echo "== preparing the Wine prefix"
wine_start

run() { LC_ALL=$PW_WINE_LOCALE timeout 600 "$WINE" "$@" </dev/null; }
driver() { run "$driver_exe" "$@"; }
winpath() { LC_ALL=$PW_WINE_LOCALE "$WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
now() { date +%s%N; }
ms_since() { echo $(( ($(now) - $1) / 1000000 )); }
# Saves what the screen shows inside the rectangle that the driver printed ("rect L T W H").
shot() {
  local rect=$1 out=$2
  read -r _ l t w h <<<"$rect"
  sleep 1
  xwd -root -silent | /usr/bin/convert xwd:- -crop "${w}x${h}+${l}+${t}" +repage "$out"
}

wsite=$(winpath "$site")
wtemp=$(winpath "$job/temp")
wreport=$(winpath "$job")\\location.txt
book=$job/示例网站.exe

echo "== packing $site with the builder's window"
run "$driver_exe" run "TEMP=$wtemp" "TMP=$wtemp" -- "$(winpath "$builder")" 2>>"$job/wine.log" &
builder_pid=$!
rect=$(driver fill "$wsite" "$wsite\\index.htm" 600 800 | grep '^rect')
shot "$rect" "$root/docs/builder.png"
start=$(now)
message=$(driver start) || { echo "$message"; echo "packing failed" >&2; exit 1; }
pack_ms=$(ms_since "$start")
echo "$message" | grep -v '^rect'
driver dismiss
driver close-builder
wait "$builder_pid" || true
builder_pid=""
[ -f "$book" ] || { echo "no book at $book" >&2; exit 1; }

echo "== opening the book in the player"
start=$(now)
run "$driver_exe" run "TEMP=$wtemp" "TMP=$wtemp" "QVPLAY_LOCATION_FILE=$wreport" -- "$(winpath "$book")" \
  2>>"$job/wine.log" &
player_pid=$!
shown=$(driver player-location "$wreport")
open_ms=$(ms_since "$start")
echo "the player shows: $(echo "$shown" | grep -v '^rect')"
shot "$(echo "$shown" | grep '^rect')" "$root/docs/player.png"
driver close-player
wait "$player_pid" || true
player_pid=""

left=$(find "$job/temp" -mindepth 1 | wc -l)
echo
echo "programs:    $arch ($win)"
echo "book:        $book ($(stat -c %s "$book") bytes)"
echo "packing:     ${pack_ms} ms from the click on 开始打包 to the completion message"
echo "opening:     ${open_ms} ms from starting the book to its home page in the browser"
echo "left behind: $left files in the temporary folder"
echo "pictures:    $root/docs/builder.png, $root/docs/player.png"
