#!/usr/bin/env bash
# The setup program under Wine, in a fresh prefix of its own (never the prefix
# of the other suites): unattended install, the console started from the
# installed folder, upgrades over a running copy, unattended removal.
# Usage: installer_test.sh LANE SETUP.EXE RESULTS.XML [HELP]
# Each scenario is one test case in RESULTS.XML (GoogleTest's form, which
# test.sh adds up); the exit status is non-zero when one failed. With HELP the
# help document is expected among the installed files.
set -u
lane=$1 setup=$2 results=$3 help=${4:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
ZED_LANE=$lane
WINE_BUILD_DIR=$(cd "$(dirname "$setup")/.." && pwd)
source "$root/scripts/wine-env.sh"
# No menu entries on the host for the shortcuts made in the prefix.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
trap teardown_wine EXIT
start_display
make_prefix "$WINE_BUILD_DIR/installer-prefix"

drive=$WINEPREFIX/drive_c
program_dir="$drive/Program Files/ZedSMS Lite"
win_program_dir='C:\Program Files\ZedSMS Lite'
shortcut_dir="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/ZedSMS Lite"
data_dir="$drive/ProgramData/ZedSMS Lite"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZedSMS Lite'
event_key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\ZedSMS'

failures=""
cases=()
fail() { failures+="$*"$'\n'; }
expect_eq() {  # what, expected, actual
  [ "$2" == "$3" ] || fail "$1: expected [$2], got [$3]"
}
end_case() {
  cases+=("$1")
  case_failures+=("$failures")
  [ -z "$failures" ] && echo "[       OK ] $1" || printf '[  FAILED  ] %s\n%s' "$1" "$failures"
  failures=""
}
case_failures=()

listing() { (cd "$1" 2>/dev/null && ls -1 | sort | paste -sd' '); }
# A registry value's data, empty when the key or the value is missing.
reg_value() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
reg_key_exists() { wine reg query "$1" >/dev/null 2>&1; }
# The setup (or its uninstaller, which re-starts itself from a temporary copy)
# is done when every program of the prefix has ended, the services included.
wait_for_prefix() { timeout 300 wineserver -w || fail "programs still running after 300 s"; }
run_setup() {
  wine "$setup" "$@" >/dev/null 2>&1 || fail "setup $* exited with $?"
}
service_image() { reg_value "HKLM\\SYSTEM\\CurrentControlSet\\Services\\$1" ImagePath; }
# Set by the stand-in service when it stops (by control or by its status
# block); cleared here to see the next stop.
last_stop() { sed -n "/^\[$1\]/,/^\[/s/^LastStop=//p" "$data_dir/GATEWAYSIM.INI" 2>/dev/null | tr -d '\r'; }
clear_last_stop() { sed -i '/^LastStop=/d' "$data_dir/GATEWAYSIM.INI" 2>/dev/null; }

joined() { printf '%s\n' "$@" | sort | paste -sd' '; }
files=(FWRULE.EXE GPRSLINK.DLL GWCORE.DLL GWTLS.DLL MMSACCT.DLL MMSTEST.MMS OPERATORS.INI SMSGWCFG.EXE Uninstall.exe)
links=("ZedSMS Lite Console.lnk" "Uninstall ZedSMS Lite.lnk")
if [ -n "$help" ]; then
  files+=("ZedSMS Lite.pdf")
  links+=("ZedSMS Lite Help.lnk")
fi
product_files=$(joined "${files[@]}")
demo_files=$(joined "${files[@]}" MMSCSVC.EXE SMSGWSVC.EXE)

# A silent install puts the product, and nothing else, in its place.
run_setup /S
expect_eq "installed files" "$product_files" "$(listing "$program_dir")"
expect_eq "shortcuts" "$(joined "${links[@]}")" "$(listing "$shortcut_dir")"
expect_eq "uninstall entry" "\"$win_program_dir\\Uninstall.exe\"" "$(reg_value "$uninstall_key" UninstallString)"
expect_eq "event message file" "$win_program_dir\\SMSGWCFG.EXE" "$(reg_value "$event_key" EventMessageFile)"
end_case FreshSilentInstall

# Upgraded with the demo services, the console installed from the program
# folder registers services that run from there and asks for the firewall rule.
run_setup /S /DEMO
expect_eq "files with the demo services" "$demo_files" "$(listing "$program_dir")"
wine "$program_dir/SMSGWCFG.EXE" -QUIET -INSTALLSERVICE >/dev/null 2>&1 || fail "console exited with $?"
# The services' paths are in their short form.
for service in ZedSMS:SMSGWSVC.EXE ZedMMSC:MMSCSVC.EXE; do
  image=$(service_image "${service%%:*}")
  expect_eq "program of ${service%%:*}" "$win_program_dir\\${service#*:}" \
    "$([ -n "$image" ] && wine winepath -l "$image" 2>/dev/null | tr -d '\r')"
done
firewall_log() { tr -d '\r' < "$data_dir/FWRULE.LOG" 2>/dev/null | sort | paste -sd' '; }
for _ in $(seq 100); do [ "$(firewall_log | grep -o 'program=' | wc -l)" -ge 2 ] && break; sleep 0.1; done
expect_eq "firewall requests" \
  "program=$win_program_dir\\MMSCSRV.EXE|name=Zed MMS Gateway Lite Edition program=$win_program_dir\\SMSGWSRV.EXE|name=Zed SMS Gateway Lite Edition" \
  "$(firewall_log)"
end_case ConsoleInstallsServicesFromProgramFolder

# The firewall helper, run twice as the console or the uninstaller would: it
# makes, updates or removes the rule, or, where the firewall refuses (the
# test system's firewall API is a stub), says so in one line and fails.
# Twice: silent success, or status 1 and the one line that begins with $1.
firewall_helper_twice() {
  local refusal=$1 run status said
  shift
  for run in 1 2; do
    status=0
    said=$(wine "$program_dir/FWRULE.EXE" "$@" 2>&1 >/dev/null) || status=$?
    said=${said//$'\r'/}
    case "$status:$said" in
      "0:" | "1:$refusal"*) ;;
      *) fail "FWRULE $*, run $run: status $status, said [$said]" ;;
    esac
  done
}
firewall_helper_twice 'FWRULE: cannot allow "C:\Demo\SMSGWSRV.EXE" through the firewall as "Demo Rule": ' \
  'C:\Demo\SMSGWSRV.EXE' 'Demo Rule'
firewall_helper_twice 'FWRULE: cannot remove the firewall rule "Demo Rule": ' /REMOVE 'Demo Rule'
status=0; wine "$program_dir/FWRULE.EXE" 'C:\Demo\SMSGWSRV.EXE' >/dev/null 2>&1 || status=$?
expect_eq "status without a rule name" 2 "$status"
end_case FirewallHelperMakesTheRuleOrSaysWhyNot

# An upgrade over running services stops them, keeps the configuration and
# starts them again.
printf '[SMSGW]\r\nModem1=Edited Modem\r\nWebPort=18841\r\n' > "$data_dir/SMSGW.INI"
cp "$data_dir/SMSGW.INI" "$WINE_BUILD_DIR/installer-edited.ini"
clear_last_stop
run_setup /S
[ -n "$(last_stop ZedSMS)" ] || fail "services not stopped for the upgrade"
cmp -s "$data_dir/SMSGW.INI" "$WINE_BUILD_DIR/installer-edited.ini" || fail "SMSGW.INI changed by the upgrade"
expect_eq "files after the upgrade" "$demo_files" "$(listing "$program_dir")"
clear_last_stop
end_case UpgradeKeepsConfiguration

# A silent uninstall stops and removes the services and takes away every
# file, shortcut and registry entry, but keeps the data folder.
wine "$program_dir/Uninstall.exe" /S >/dev/null 2>&1 || fail "uninstaller exited with $?"
wait_for_prefix
[ -n "$(last_stop ZedSMS)" ] || fail "services not running after the upgrade, or not stopped by the uninstaller"
for service in ZedSMS ZedMMSC; do
  reg_key_exists "HKLM\\SYSTEM\\CurrentControlSet\\Services\\$service" && fail "service $service still installed"
done
[ -e "$program_dir" ] && fail "program folder left: $(listing "$program_dir")"
[ -e "$shortcut_dir" ] && fail "shortcut folder left: $(listing "$shortcut_dir")"
reg_key_exists "$uninstall_key" && fail "uninstall entry left"
reg_key_exists "$event_key" && fail "event source left"
cmp -s "$data_dir/SMSGW.INI" "$WINE_BUILD_DIR/installer-edited.ini" || fail "data folder not kept"
end_case SilentUninstallLeavesOnlyData

mkdir -p "$(dirname "$results")"
{
  failed=0
  for f in "${case_failures[@]}"; do [ -n "$f" ] && failed=$((failed + 1)); done
  echo '<?xml version="1.0" encoding="UTF-8"?>'
  echo "<testsuites tests=\"${#cases[@]}\" failures=\"$failed\" name=\"AllTests\">"
  echo "  <testsuite name=\"Installer\" tests=\"${#cases[@]}\" failures=\"$failed\">"
  for i in "${!cases[@]}"; do
    echo "    <testcase name=\"${cases[$i]}\" classname=\"Installer\">"
    if [ -n "${case_failures[$i]}" ]; then
      text=$(printf '%s' "${case_failures[$i]}" | sed 's/&/\&amp;/g; s/</\&lt;/g; s/>/\&gt;/g; s/"/\&quot;/g')
      echo "      <failure message=\"$text\"/>"
    fi
    echo "    </testcase>"
  done
  echo "  </testsuite>"
  echo "</testsuites>"
} > "$results"
[ "$failed" -eq 0 ]
