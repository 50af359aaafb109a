#!/usr/bin/env bash
# Runs a Windows test executable under the Wine of its lane (first argument:
# i686 or x86_64) with the test run's prefix and display. test.sh exports
# WINEPREFIX and DISPLAY; the default keeps a bare ctest away from ~/.wine.
ZED_LANE="$1"
shift
source "$(dirname "$0")/wine-env.sh" || exit 1
export WINEPREFIX="${WINEPREFIX:-$WINE_BUILD_DIR/wineprefix}"
exec "$WINELOADER" "$@"
