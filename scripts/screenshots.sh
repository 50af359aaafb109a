#!/usr/bin/env bash
# Pictures of the console's screens on the demo setup, for looking at them and
# for the help document: runs ./run.sh's demo on Xvfb and writes them to
# build/windows-<lane>/screens/. When the demo has no modem yet (a new demo
# data directory; `screenshots.sh wizard` starts one), the setup wizard is
# walked first as a new user would, one picture per page (w<n>-<page>.png):
# the simulated modem picked and tested, the settings taken as they are, the
# test SMS sent. Then one picture per tab of the main sheet (<n>-<tab>.png).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
unset DISPLAY
source scripts/wine-env.sh
data="$WINE_BUILD_DIR/demo-data"
[ "${1:-}" = wizard ] && rm -rf "$data"
./run.sh >/dev/null
export WINEPREFIX="$WINE_BUILD_DIR/demo-prefix"
trap teardown_wine EXIT
start_display
start_modem_cables "$root/build/native/ptyrelay"
wine "$WINE_BUILD_DIR/bin/MODEMSIM.EXE" 1 </dev/null >/dev/null 2>&1 &
first_run=yes
grep -qa '^Modem1=.' "$data/SMSGW.INI" 2>/dev/null && first_run=""
wine "$WINE_BUILD_DIR/bin/SMSGWCFG.EXE" </dev/null >/dev/null 2>&1 &
out="$WINE_BUILD_DIR/screens"
mkdir -p "$out"

# The id of the first window whose name matches, once there is one.
wait_window() {
  local window=""
  for _ in $(seq 1 120); do
    window=$(xdotool search --name "$1" 2>/dev/null | head -1) && [ -n "$window" ] && { echo "$window"; return; }
    sleep 0.5
  done
  echo "no window '$1'" >&2
  return 1
}

# Without a window manager the window takes no keys from xdotool's focus
# changes, but clicks and typing into the control under the pointer work:
# controls are clicked at window coordinates of the 64-bit build's layout.
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

sms_logged() { { cat "$data"/SMSOUT-*.LOG 2>/dev/null || true; } | wc -l; }

walk_wizard() {
  local title="ZedSMS Lite Setup Wizard:  " wizard next_x=323 next_y=459
  wizard=$(wait_window "${title}Select Modem")
  sleep 2
  import -window "$wizard" "$out/w1-select-modem.png"
  click "$wizard" $next_x $next_y
  # The modem test ends with its result in a box centred on the desktop.
  wait_window "^Zed SMS/MMS Gateway Lite Edition" >/dev/null
  sleep 1
  xdotool mousemove 513 413 click 1
  wait_window "${title}Modem Settings" >/dev/null
  sleep 1
  import -window "$wizard" "$out/w2-modem-settings.png"
  click "$wizard" $next_x $next_y
  wait_window "${title}Server Settings" >/dev/null
  sleep 1
  import -window "$wizard" "$out/w3-server-settings.png"
  click "$wizard" $next_x $next_y
  wait_window "${title}Configuration Complete" >/dev/null
  sleep 1
  import -window "$wizard" "$out/w4-configuration-complete.png"
  click "$wizard" 60 122  # Yes
  sleep 1
  click "$wizard" $next_x $next_y
  wait_window "${title}Send Test Message" >/dev/null
  sleep 2
  local logged
  logged=$(sms_logged)
  click "$wizard" 195 56  # the phone number
  xdotool type --delay 50 "+447700900123"
  sleep 2
  click "$wizard" 87 113  # Send Test SMS
  for _ in $(seq 1 60); do [ "$(sms_logged)" -gt "$logged" ] && break; sleep 0.5; done
  sleep 3  # the page shows the outcome on its next tick
  import -window "$wizard" "$out/w5-send-test-message.png"
  click "$wizard" $next_x $next_y  # Finish
}

[ -n "$first_run" ] && walk_wizard
window=$(wait_window "Zed SMS/MMS Gateway Lite Edition")
sleep 2
tabs=(status modem server users 2-way test-message debug-logs)
tab_x=(38 90 145 198 252 320 398)
for i in "${!tabs[@]}"; do
  click "$window" "${tab_x[$i]}" 40
  sleep 1.5
  import -window "$window" "$out/$((i + 1))-${tabs[$i]}.png"
done
echo "screens: $out"
