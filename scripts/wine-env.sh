# Sourced by test.sh and run.sh: a display and a Wine prefix of their own,
# inside the build folder, torn down by their own process ids.
WINE_BUILD_DIR="${WINE_BUILD_DIR:?}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
XVFB_PID=""

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

# A fresh prefix for this run, with a virtual desktop so window activation is fast.
make_prefix() {
  export WINEPREFIX="$1"
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
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

teardown_wine() {
  if [ -n "$RELAY_PID" ]; then kill "$RELAY_PID" 2>/dev/null || true; fi
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
}
