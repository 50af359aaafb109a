#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine: ./bench.sh [NAME]. Each prints its
# figures and a line "BENCH <name> ratio=<x> goal=<y>". They run on the 32-bit
# program where this machine runs it, else on the 64-bit one (ZED_LANE chooses).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
root="$PWD"
source scripts/wine-env.sh
echo "benchmarks of the $ZED_LANE program"
cmake --preset native >/dev/null && cmake --build --preset native >/dev/null || { cmake --build --preset native; exit 1; }
cmake --preset "windows-$ZED_LANE" >/dev/null && cmake --build --preset "windows-$ZED_LANE" >/dev/null ||
  { cmake --build --preset "windows-$ZED_LANE"; exit 1; }

trap teardown_wine EXIT
start_display
make_prefix "$WINE_BUILD_DIR/bench-prefix"
start_modem_cables "$root/build/native/ptyrelay"

for bench in "$WINE_BUILD_DIR"/bin/*_bench.exe; do
  name=$(basename "$bench" .exe)
  [ -n "${1:-}" ] && [ "$name" != "$1" ] && [ "${name%_bench}" != "$1" ] && continue
  echo "== $name"
  (cd "$WINE_BUILD_DIR/bin" && wine "./$name.exe")
done
