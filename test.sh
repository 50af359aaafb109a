#!/usr/bin/env bash
# Builds both builds and runs every test: the portable core natively, the
# program under Wine. The last line is the total over all test cases.
set -uo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh || exit 1

root="$PWD"
rm -rf build/native/results build/windows/results
cmake --preset native >/dev/null && cmake --build --preset native || exit 1
cmake --preset windows >/dev/null && cmake --build --preset windows || exit 1

WINE_BUILD_DIR="$root/build/windows"
source scripts/wine-env.sh
trap teardown_wine EXIT
start_display
make_prefix "$WINE_BUILD_DIR/wineprefix"
start_modem_cables "$root/build/native/ptyrelay"

crashed=0
(cd build/native && ctest --output-on-failure) || crashed=$((crashed + 1))
(cd build/windows && ctest --output-on-failure) || crashed=$((crashed + 1))

python3 scripts/test-summary.py --ctest-failures "$crashed" build/native/results build/windows/results
