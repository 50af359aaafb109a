#!/usr/bin/env bash
# Builds everything and runs every test: the portable core natively, then each
# Windows lane under Wine: the 64-bit program (x86_64) and, where this machine
# runs 32-bit programs, the 32-bit one (i686). ZEDSMS_WINDOWS_LANES limits the
# lanes (for example "x86_64"). The last line is the total over all lanes.
set -uo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh || exit 1

root="$PWD"
requested=" ${ZEDSMS_WINDOWS_LANES:-x86_64 i686} "
requested="${requested//,/ }"

crashed=0
results=()
rm -rf build/native/results
cmake --preset native >/dev/null && cmake --build --preset native || exit 1
echo "== native tests"
(cd build/native && ctest --output-on-failure) || crashed=$((crashed + 1))
results+=(build/native/results)

lane_notes=()
for lane in x86_64 i686; do
  if [[ "$requested" != *" $lane "* ]]; then
    lane_notes+=("lane $lane: skipped (not in ZEDSMS_WINDOWS_LANES)")
    continue
  fi
  echo "== lane $lane"
  dir="build/windows-$lane"
  rm -rf "$dir/results"
  # Built even where it cannot run, so a change that breaks either program is seen.
  if ! (cmake --preset "windows-$lane" >/dev/null && cmake --build --preset "windows-$lane"); then
    lane_notes+=("lane $lane: build failed"); crashed=$((crashed + 1)); continue
  fi
  if ! reason=$(ZED_LANE=$lane; source scripts/wine-env.sh && lane_runs "$lane"); then
    lane_notes+=("lane $lane: built, tests skipped ($reason)")
    continue
  fi
  results+=("$dir/results")
  (
    ZED_LANE=$lane
    WINE_BUILD_DIR="$root/$dir"
    source scripts/wine-env.sh
    trap teardown_wine EXIT
    start_display
    make_prefix "$WINE_BUILD_DIR/wineprefix"
    start_modem_cables "$root/build/native/ptyrelay"
    cd "$dir" && ctest --output-on-failure
  ) || crashed=$((crashed + 1))
  lane_notes+=("lane $lane: ran")
done

printf '%s\n' "${lane_notes[@]}"
python3 scripts/test-summary.py --ctest-failures "$crashed" "${results[@]}"
