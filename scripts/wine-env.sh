# Sourced by the entry scripts: the Wine of one lane (ZED_LANE: i686 for the
# 32-bit program, x86_64 for the 64-bit one; unset: the 32-bit program where
# this machine runs it, else the 64-bit one), a display and a Wine prefix of
# their own inside the build folder, torn down by their own process ids.
#
# /usr/bin/wine execs the 32-bit loader whenever wine32 is installed, even on
# a kernel that cannot run it, so the loaders are called by their own paths.

# Whether this machine runs a lane's programs: asked of the lane's own loader,
# not of the installed packages. Prints why not on failure.
lane_runs() {
  local loader
  case "$1" in
    i686) loader=/usr/lib/wine/wine ;;
    x86_64) loader=/usr/lib/wine/wine64 ;;
    *) echo "unknown lane"; return 1 ;;
  esac
  [ -e "$loader" ] || { echo "$loader is not installed"; return 1; }
  local out
  out=$("$loader" --version 2>&1) && return 0
  echo "$loader does not run here: ${out##*: }"
  return 1
}

# The lane an interactive script uses: the 32-bit program where this machine
# runs it, else the 64-bit one.
pick_lane() {
  if lane_runs i686 >/dev/null; then echo i686; else echo x86_64; fi
}

ZED_LANE="${ZED_LANE:-$(pick_lane)}"
WINE_BUILD_DIR="${WINE_BUILD_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/windows-$ZED_LANE}"
case "$ZED_LANE" in
  i686) export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine ;;
  x86_64) export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 ;;
  *) echo "unknown lane '$ZED_LANE' (i686 or x86_64)" >&2; return 1 ;;
esac
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
XVFB_PID=""

wine() { "$WINELOADER" "$@"; }

start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
    kill "$XVFB_PID" 2>/dev/null; XVFB_PID=""
  done
  echo "cannot start Xvfb" >&2
  exit 1
}

# This Wine reads its own fonts (Tahoma, Marlett for the title-bar buttons) only
# from the prefix's Fonts folder and fontconfig, while fonts-wine puts them in
# /usr/share/wine/fonts: without the copy every text is measured with a
# substitute font and the caption buttons draw as letters.
install_wine_fonts() {
  cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
}

# A fresh prefix for this run, with a virtual desktop so window activation is fast.
make_prefix() {
  export WINEPREFIX="$1"
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  wine wineboot -i >/dev/null 2>&1
  install_wine_fonts
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  wineserver -w
}

# Four serial cables for the simulated modems: the console's ends are COM5..COM8,
# the modems' ends COM21..COM24. COM9 refuses every open with access denied (it
# is a folder), standing in for a port another program holds: the test system
# does not refuse a second open of a serial port.
RELAY_PID=""
start_modem_cables() {
  local relay="$1" dir="$WINE_BUILD_DIR/cables"
  rm -rf "$dir"; mkdir -p "$dir"
  "$relay" "$dir" 4 >/dev/null 2>&1 &
  RELAY_PID=$!
  for _ in $(seq 50); do [ -e "$dir/modem4" ] && break; sleep 0.1; done
  local k
  for k in 1 2 3 4; do
    ln -sfn "$dir/console$k" "$WINEPREFIX/dosdevices/com$((4 + k))"
    ln -sfn "$dir/modem$k" "$WINEPREFIX/dosdevices/com$((20 + k))"
  done
  mkdir -p "$dir/refusing"
  ln -sfn "$dir/refusing" "$WINEPREFIX/dosdevices/com9"
  export ZED_MODEM_CABLES="$dir"
}

stop_modem_cables() {
  if [ -n "$RELAY_PID" ]; then kill "$RELAY_PID" 2>/dev/null || true; wait "$RELAY_PID" 2>/dev/null || true; fi
  RELAY_PID=""
}

teardown_wine() {
  stop_modem_cables
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
}
