#!/usr/bin/env bash
# Pictures of the console's screens on the demo setup, for looking at them and
# for the help document: runs ./run.sh's demo on Xvfb and writes them to
# build/windows-<lane>/screens/. When the demo has no modem yet (a new demo
# data directory; `screenshots.sh wizard` starts one), the setup wizard is
# walked first as a new user would, one picture per page (w<n>-<page>.png):
# the simulated modem picked and tested, the settings taken as they are, the
# test SMS sent. Then one picture per tab of the main sheet (<n>-<tab>.png).
# `screenshots.sh dialogs` then opens each dialog the pages open, one picture
# each (d<n>-<dialog>.png), with a few messages put in the queues first.
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

# Clicks a page's control by its dialog-unit centre (MS Shell Dlg under Wine:
# 1.5 pixels a unit across, 1.625 down; the page starts at 12,51).
click_page() { click "$window" $(( 12 + $1 * 3 / 2 )) $(( 51 + $2 * 13 / 8 )); }

# Opens a dialog with a click on the page, photographs it and closes it.
shoot_dialog() {
  local name="$1" caption="$2" dialog
  click_page "$3" "$4"
  dialog=$(wait_window "^$caption\$")
  sleep 1.5
  import -window "$dialog" "$out/$name.png"
  xdotool key Escape
  for _ in $(seq 1 20); do xdotool search --name "^$caption\$" >/dev/null 2>&1 || return 0; sleep 0.5; done
  echo "'$caption' stays open" >&2
}

put_demo_messages() {
  mkdir -p "$data"/{Q,VASPQ,SMS-IN,MMS-IN/m1}
  printf '[SMS]\r\nPhoneNumber=+447700900123\r\nData=Queued for sending\r\n' > "$data/Q/DEMO1.REQ"
  printf '[Recipients]\r\nRecip1=+447700900124/TYPE=PLMN\r\n[Routing]\r\nSenderAddress=+447700900125\r\n' \
    > "$data/VASPQ/DEMO1.INI"
  printf 'MMS' > "$data/VASPQ/DEMO1.MMS"
  printf '[SMS]\r\nSender=+447700900126\r\nData=Hello from a phone\r\n' > "$data/SMS-IN/DEMO1.SMS"
  printf 'From: +447700900127/TYPE=PLMN\r\nSubject: Holiday\r\nX-ZedMMS-Content-Location: m1\\BODYTEXT;text/plain\r\n' \
    > "$data/MMS-IN/m1.HDR"
  printf 'See you soon' > "$data/MMS-IN/m1/BODYTEXT"
}

shoot_dialogs() {
  put_demo_messages
  click "$window" "${tab_x[0]}" 40  # Status
  sleep 1
  shoot_dialog d1-outbound-sms-queue "Outbound SMS Queue" 273 109
  shoot_dialog d2-received-sms "Received SMS Messages" 273 148
  shoot_dialog d3-outbound-mms-queue "Outbound MMS Queue" 273 187
  shoot_dialog d4-event-log "Event Log" 273 36
  # The received MMS viewer, and the details of its message.
  click_page 273 226
  local viewer
  viewer=$(wait_window "^Received MMS Messages\$")
  sleep 1.5
  import -window "$viewer" "$out/d5-received-mms.png"
  xdotool mousemove --window "$viewer" 60 82 click --repeat 2 --delay 80 1  # its first row
  local details
  details=$(wait_window "^MMS Message Details\$")
  sleep 1.5
  import -window "$details" "$out/d6-mms-details.png"
  xdotool key Escape; sleep 1; xdotool key Escape; sleep 1
  click "$window" "${tab_x[1]}" 40  # Modem
  sleep 1
  shoot_dialog d7-select-modem "Select Modem" 263 14
  click_page 20 95  # Send MMS Messages
  sleep 0.5
  shoot_dialog d8-operator-settings "Operator Settings" 236 95
  click "$window" "${tab_x[3]}" 40  # Users
  sleep 1
  shoot_dialog d9-edit-user "Edit User" 160 226
  click "$window" "${tab_x[4]}" 40  # 2-Way
  sleep 1
  click_page 13 14  # Process received SMS Messages
  sleep 0.5
  shoot_dialog d10-command "2-Way SMS Command" 268 75
  click_page 23 152  # Process received MMS Messages
  click_page 33 185  # Route via MM7 or PHP Upload
  sleep 0.5
  shoot_dialog d11-mm7-receiver "Configure MM7 Receiver" 268 185
}

[ "${1:-}" = dialogs ] && shoot_dialogs
echo "screens: $out"
