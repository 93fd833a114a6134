#!/usr/bin/env bash
# Runs the spanned-archive test program in a Wine prefix of its own where A: is a floppy
# drive (HKLM\Software\Wine\Drives) over one scratch folder and D: a fixed drive over
# another; the prefix's server is restarted so that the drive type takes effect.
#
#   span_floppy_prefix.sh WORKDIR PROGRAM.exe
set -uo pipefail
work=$(realpath -m -- "$1")
program=$(realpath -e -- "$2") || exit 2
WINE_BIN=${WINE:-$(command -v wine || echo /usr/lib/wine/wine64)}
WINESERVER_BIN=${WINESERVER:-$(command -v wineserver || echo /usr/lib/wine/wineserver64)}
export WINEPREFIX=$work/prefix
floppy=$work/floppy
fixed=$work/fixed
mkdir -p "$WINEPREFIX"
exec 9>"$work.lock"
flock 9

stop() { "$WINESERVER_BIN" -k >/dev/null 2>&1; "$WINESERVER_BIN" -w >/dev/null 2>&1; }
stop
rm -rf "$floppy" "$fixed"
mkdir -p "$floppy" "$fixed"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  timeout 180 "$WINE_BIN" wineboot -i </dev/null >/dev/null 2>&1
  stop
fi
ln -sfn "$floppy" "$WINEPREFIX/dosdevices/a:"
ln -sfn "$fixed" "$WINEPREFIX/dosdevices/d:"
timeout 60 "$WINE_BIN" reg add 'HKLM\Software\Wine\Drives' /v 'a:' /d floppy /f </dev/null >/dev/null 2>&1
timeout 60 "$WINE_BIN" reg add 'HKLM\Software\Wine\Drives' /v 'd:' /d hd /f </dev/null >/dev/null 2>&1
stop   # the drive types are read when the server starts
"$WINESERVER_BIN" -p </dev/null >/dev/null 2>&1
PW_SPAN_FLOPPY=$floppy PW_SPAN_FIXED=$fixed timeout --kill-after=10 300 "$WINE_BIN" "$program"
status=$?
stop
exit $status
