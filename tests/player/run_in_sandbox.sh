#!/usr/bin/env bash
# Runs a Windows test program that starts the player (whose clean-up deletes folder trees)
# inside a sandbox: a Wine prefix of its own whose every drive lies inside one folder.
#
#   run_in_sandbox.sh SANDBOX ARTIFACTS PROGRAM.exe [FILE...] [-- ARGS...]
#
# SANDBOX holds the prefix (C:), a home folder for Wine and the folder that is drive Z:. Z: is
# emptied, gets PROGRAM and the FILEs, and becomes the program's current folder. Before the
# program runs, the script checks that no drive and no link in the prefix leads outside
# SANDBOX; otherwise it stops without running anything. Screenshots that the program leaves
# in Z:\artefacts are copied to ARTIFACTS. Exit status: the program's; 77 without a display.
set -uo pipefail

if [ $# -lt 3 ]; then
  echo "usage: $0 SANDBOX ARTIFACTS PROGRAM.exe [FILE...] [-- ARGS...]" >&2
  exit 2
fi
sandbox=$(realpath -m -- "$1")
artifacts=$(realpath -m -- "$2")
program=$(realpath -e -- "$3") || { echo "no program $3" >&2; exit 2; }
shift 3
files=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  files+=("$(realpath -e -- "$1")") || { echo "no file $1" >&2; exit 2; }
  shift
done
[ "${1:-}" = "--" ] && shift
args=("$@")

if [ -z "${DISPLAY:-}" ]; then
  echo "skipped: the player needs a display (DISPLAY is not set)"
  exit 77
fi
# The sandbox must be a dedicated folder of its own name, never a system folder.
case "$(basename -- "$sandbox")" in
  *sandbox*) ;;
  *) echo "refusing: the sandbox folder's name must contain 'sandbox': $sandbox" >&2; exit 2 ;;
esac
case "$sandbox" in
  /|/root|/home|/home/*/|/tmp|/usr|/usr/*|/etc|/etc/*|/bin|/bin/*|/var|/opt|/work|/work/main)
    echo "refusing sandbox $sandbox" >&2; exit 2 ;;
esac

mkdir -p "$sandbox" "$artifacts"
exec 9>"$sandbox.lock"
flock 9   # one run at a time per sandbox: the drive link is shared

prefix=$sandbox/prefix
home=$sandbox/home
zdrive=$sandbox/z
export WINEPREFIX=$prefix HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share
export XDG_DESKTOP_DIR=$home XDG_DOCUMENTS_DIR=$home
export WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;winemenubuilder.exe=d;winedbg.exe=d"
export LC_ALL=${LC_ALL:-zh_CN.UTF-8}
WINE=${WINE:-$(command -v wine || command -v wine-stable || echo /usr/lib/wine/wine64)}
WINESERVER=${WINESERVER:-$(command -v wineserver || command -v wineserver-stable || echo /usr/lib/wine/wineserver64)}

stop_server() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
}
trap stop_server EXIT

# Links inside the prefix that lead outside the sandbox (Wine points the user's folders at the
# Unix home), one per line.
outside_links() {
  local entry target
  while IFS= read -r -d '' entry; do
    target=$(realpath -m -- "$entry")
    case "$target" in
      "$sandbox"|"$sandbox"/*) ;;
      *) printf '%s\n' "$entry" ;;
    esac
  done < <(find "$prefix" -path "$prefix/dosdevices" -prune -o -type l -print0)
}

# Keeps every way out of the sandbox closed: drive letters other than c: and z: go, z: is the
# sandbox's own folder, and links that lead outside become plain folders.
confine() {
  local entry
  for entry in "$prefix"/dosdevices/*; do
    [ -e "$entry" ] || [ -L "$entry" ] || continue
    case "$(basename -- "$entry")" in
      c:) ;;
      *) rm -f -- "$entry" ;;
    esac
  done
  ln -sfn -- "$zdrive" "$prefix/dosdevices/z:"
  outside_links | while IFS= read -r entry; do
    rm -f -- "$entry"
    mkdir -p -- "$entry"
  done
}

# True when the prefix now reaches nothing outside the sandbox.
confined() {
  local entry target ok=0
  for entry in "$prefix"/dosdevices/*; do
    [ -e "$entry" ] || [ -L "$entry" ] || continue
    target=$(realpath -m -- "$entry")
    case "$(basename -- "$entry")|$target" in
      "c:|$prefix/drive_c"|"z:|$zdrive") ;;
      com[0-9]*"|/dev/"*|lpt[0-9]*"|/dev/"*) ;;   # serial and parallel ports: devices, not files
      *) echo "drive outside the sandbox: $entry -> $target" >&2; ok=1 ;;
    esac
  done
  [ "$(realpath -m -- "$prefix/dosdevices/c:")" = "$prefix/drive_c" ] || { echo "c: is not the prefix's" >&2; ok=1; }
  [ "$(realpath -m -- "$prefix/dosdevices/z:")" = "$zdrive" ] || { echo "z: is not the sandbox's" >&2; ok=1; }
  local links
  links=$(outside_links)
  if [ -n "$links" ]; then
    echo "links outside the sandbox:" >&2
    echo "$links" >&2
    ok=1
  fi
  return $ok
}

stop_server
mkdir -p "$home"
if [ ! -f "$prefix/system.reg" ]; then
  echo "== creating the sandbox prefix (once)"
  mkdir -p "$prefix"
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  timeout 300 "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
  timeout 60 "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || true
  stop_server
  [ -f "$prefix/system.reg" ] || { echo "cannot create the sandbox prefix" >&2; exit 1; }
fi

rm -rf -- "$zdrive"
mkdir -p -- "$zdrive/artefacts"
echo "sandbox drive" >"$zdrive/.player-sandbox"
confine
# Start the server and the background processes detached (they would hold our output open),
# then look again: nothing started may have opened a way out.
"$WINESERVER" -p </dev/null >/dev/null 2>&1
timeout 120 "$WINE" wineboot </dev/null >/dev/null 2>&1 || true
if ! confined; then
  echo "the sandbox is not closed; nothing was run" >&2
  exit 1
fi

cp -- "$program" "${files[@]}" "$zdrive/"
name=$(basename -- "$program")
cd "$zdrive" || exit 1
timeout --kill-after=10 "${PW_SANDBOX_TIMEOUT:-600}" "$WINE" "./$name" "${args[@]}"
status=$?

shopt -s nullglob
for shot in "$zdrive"/artefacts/*; do
  base=$(basename -- "$shot")
  if [ -x /usr/bin/convert ] && [ "${base##*.}" = bmp ]; then
    /usr/bin/convert "$shot" "$artifacts/${base%.*}.png" 2>/dev/null || cp -- "$shot" "$artifacts/"
  else
    cp -- "$shot" "$artifacts/"
  fi
done
cd "$sandbox" || exit 1
stop_server
# A passing run leaves nothing; a failing one keeps its drive for a look.
[ $status -eq 0 ] && rm -rf -- "$zdrive"
exit $status
