#!/usr/bin/env bash
# Pictures of the console's pages on the demo setup, for looking at the
# screens and for the help document: runs ./run.sh's demo on Xvfb and writes
# build/windows-<lane>/screens/<n>-<tab>.png, one per tab of the main sheet.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
unset DISPLAY
./run.sh >/dev/null
source scripts/wine-env.sh
export WINEPREFIX="$WINE_BUILD_DIR/demo-prefix"
trap teardown_wine EXIT
start_display
start_modem_cables "$root/build/native/ptyrelay"
wine "$WINE_BUILD_DIR/bin/MODEMSIM.EXE" 1 </dev/null >/dev/null 2>&1 &
wine "$WINE_BUILD_DIR/bin/SMSGWCFG.EXE" </dev/null >/dev/null 2>&1 &
out="$WINE_BUILD_DIR/screens"
mkdir -p "$out"
tabs=(status modem server users 2-way test-message debug-logs)
window=""
for _ in $(seq 1 30); do
  window=$(xdotool search --name "Zed SMS/MMS Gateway Lite Edition" 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 1
done
[ -n "$window" ] || { echo "the console did not open" >&2; exit 1; }
sleep 2
# Without a window manager the window takes no keys: each tab is clicked at
# the middle of its label (window coordinates of the 64-bit build's layout).
tab_x=(38 90 145 198 252 320 398)
for i in "${!tabs[@]}"; do
  xdotool mousemove --window "$window" "${tab_x[$i]}" 40 click 1
  sleep 1.5
  import -window "$window" "$out/$((i + 1))-${tabs[$i]}.png"
done
echo "screens: $out"
