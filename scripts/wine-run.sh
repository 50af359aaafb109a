#!/usr/bin/env bash
# Runs a Windows test executable under Wine with the test run's prefix and display.
# test.sh exports WINEPREFIX and DISPLAY; the defaults keep a bare ctest away from ~/.wine.
here="$(cd "$(dirname "$0")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$here/build/windows/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win32
exec wine "$@"
