#!/usr/bin/env bash
# Builds the console and starts it on a self-contained demo setup: its own Wine
# prefix and data directory inside the build folder, with the stand-in gateway
# services installed and running. On an X display the window is shown; without
# one it runs on Xvfb and a screenshot is written to build/windows-<lane>/screenshot.png.
# A simulated modem answers on COM5, offered as "Simulated GSM Modem" by a
# stand-in telephony library in the demo prefix. A new demo data directory
# starts on the setup wizard; later runs open the main sheet. The 32-bit
# program runs where this machine runs 32-bit programs, else the 64-bit one
# (ZED_LANE=i686|x86_64 chooses).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

root="$PWD"
source scripts/wine-env.sh
echo "running the $( [ "$ZED_LANE" = i686 ] && echo 32 || echo 64)-bit program ($ZED_LANE)"
cmake --preset "windows-$ZED_LANE" >/dev/null
cmake --build --preset "windows-$ZED_LANE"

trap teardown_wine EXIT
had_display="${DISPLAY:-}"
start_display

prefix="$WINE_BUILD_DIR/demo-prefix"
if [ ! -f "$prefix/system.reg" ]; then
  make_prefix "$prefix"
else
  export WINEPREFIX="$prefix"
  install_wine_fonts
fi

# A simulated modem on COM5 (its cable's far end is COM21).
cmake --preset native >/dev/null && cmake --build --preset native >/dev/null
start_modem_cables "$root/build/native/ptyrelay"
wine "$WINE_BUILD_DIR/bin/MODEMSIM.EXE" 1 </dev/null >/dev/null 2>&1 &

# The test system's telephony lists no line devices: this prefix alone gets a
# stand-in TAPI32.DLL that lists the modems recorded under the modem device
# class, and the simulated modem is recorded there as its driver would record
# it, so the console offers it by name and finds its port.
cp "$WINE_BUILD_DIR/demo/tapi32.dll" "$prefix/drive_c/windows/system32/tapi32.dll"
cat > "$WINE_BUILD_DIR/demo/modem.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"tapi32"="native"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Class\{4D36E96D-E325-11CE-BFC1-08002BE10318}]
"Class"="Modem"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Class\{4D36E96D-E325-11CE-BFC1-08002BE10318}\0000]
"FriendlyName"="Simulated GSM Modem"
"AttachedTo"="COM5"
REG
reg_file="$WINE_BUILD_DIR/demo/modem.reg"
wine regedit /S "Z:${reg_file//\//\\}" >/dev/null 2>&1

# The demo's data directory, where the console and the services both find it.
# A new one has no modem configured, so the console starts on the setup wizard.
data="$WINE_BUILD_DIR/demo-data"
mkdir -p "$data"
wine reg add 'HKLM\SOFTWARE\ZedSMS Lite' /v ProgramDataDirectory /d "Z:${data//\//\\}\\" /f >/dev/null 2>&1
if [ ! -s "$data/SMSGW.INI" ]; then
  printf '[SMSGW]\r\nWebPort=8800\r\n' > "$data/SMSGW.INI"
fi

bin="$WINE_BUILD_DIR/bin"
wine "$bin/SMSGWCFG.EXE" -QUIET -INSTALLSERVICE </dev/null >/dev/null 2>&1

if [ -n "$had_display" ]; then
  wine "$bin/SMSGWCFG.EXE" </dev/null
else
  wine "$bin/SMSGWCFG.EXE" </dev/null >/dev/null 2>&1 &
  sleep 6
  import -window root "$WINE_BUILD_DIR/screenshot.png"
  echo "screenshot: $WINE_BUILD_DIR/screenshot.png"
fi
