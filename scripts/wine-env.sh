# Sourced by the scripts: the private Wine prefix of a build folder and its server.
# usage: . scripts/wine-env.sh BUILD_DIR [WINE_DIR]
#   BUILD_DIR  the configuration's build folder (its prefix is BUILD_DIR/wineprefix)
#   WINE_DIR   a Wine made by scripts/setup-wine32.sh (for the i686 build); default the system's
# wine_use BUILD_DIR [WINE_DIR] switches to another configuration later.
wine_use() {
  export WINEPREFIX="$1/wineprefix"
  export WINEARCH=win64 WINEDEBUG=-all
  # Wine needs the Unix locale itself to create files with Chinese names; we compile it into
  # the build folder, so no system locale has to be generated.
  export LOCPATH="$1/locale"
  export WINEDLLOVERRIDES="mscoree=;winemenubuilder.exe=d;winedbg.exe=d"
  if [ -n "${2:-}" ]; then
    WINE=$2/bin/wine
    WINESERVER=$2/bin/wineserver
  else
    WINE=$(command -v wine || command -v wine-stable || echo /usr/lib/wine/wine64)
    WINESERVER=$(command -v wineserver || command -v wineserver-stable || echo /usr/lib/wine/wineserver64)
  fi
  export WINE WINESERVER
}
# Chinese locale for the programs only (GetACP becomes 936); not exported to the shell itself.
PW_WINE_LOCALE=zh_CN.UTF-8
[ -n "${1:-}" ] && wine_use "$@"

# Starts this prefix's server and background processes detached, so that they do not
# hold the test runner's output open. Creates the prefix on first use.
wine_start() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  mkdir -p "$WINEPREFIX"
  if [ ! -d "$LOCPATH/zh_CN.UTF-8" ]; then
    mkdir -p "$LOCPATH"
    localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8" >/dev/null 2>&1 || echo "warning: cannot compile the zh_CN.UTF-8 locale"
  fi
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  LC_ALL=$PW_WINE_LOCALE timeout 120 "$WINE" wineboot </dev/null >/dev/null 2>&1 || true
  # This Wine does not look in its own font folder (package fonts-wine): without Marlett the
  # caption buttons draw as "0 1 r". Its fonts go into the prefix instead.
  local fonts=$WINEPREFIX/drive_c/windows/Fonts
  if [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
    cp -n /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
  fi
  # Wine draws window captions itself: there is no window manager under Xvfb.
  LC_ALL=$PW_WINE_LOCALE timeout 60 "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || true
}

wine_stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
}

# Starts a private Xvfb on a free display when there is none (or always with force=1);
# its pid is left in PW_XVFB_PID for the caller's clean-up.
PW_XVFB_PID=${PW_XVFB_PID:-}
xvfb_start() {
  local force=${1:-0}
  [ -n "${DISPLAY:-}" ] && [ "$force" = 0 ] && return 0
  for n in $(seq 91 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    PW_XVFB_PID=$!
    export DISPLAY=":$n"
    break
  done
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}

xvfb_stop() {
  [ -n "$PW_XVFB_PID" ] && kill "$PW_XVFB_PID" 2>/dev/null
  PW_XVFB_PID=""
}
