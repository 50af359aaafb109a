#!/usr/bin/env bash
# Builds the libFuzzer targets over the portable core and runs each one for
# SECONDS (default 60) on a scratch copy of its seed corpus, so the committed
# corpus never grows. Prints one line per target:
#   FUZZ <target> execs=<n> findings=<k>
# and exits non-zero when any target found something. Crash inputs are kept
# under build/fuzz/work/<target>/artifacts/.
set -euo pipefail
cd "$(dirname "$0")"

seconds=${1:-60}
case "$seconds" in
  '' | *[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;;
esac

./scripts/install-deps.sh

build=build/fuzz
mkdir -p "$build"
if ! cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
     -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DZED_FUZZ=ON \
     >"$build/configure.log" 2>&1; then
  cat "$build/configure.log" >&2
  exit 1
fi
if ! cmake --build "$build" --target fuzz_targets >"$build/build.log" 2>&1; then
  cat "$build/build.log" >&2
  exit 1
fi

targets=(sms_file mms_header recipients hex_ucs2 gsm7 unescape_line_breaks
  at_answers daily_log profile_text user_records two_way_entry monitor_files addresses tls_wire)

# Longest input per target: SMS files beyond the 8192-byte fixed buffer;
# the others a little beyond what their callers can hand them (two records
# and their fields, two counter files, a server address of 1023 characters).
max_len() {
  case "$1" in
    sms_file) echo 20000 ;;
    recipients) echo 600 ;;
    user_records) echo 1400 ;;
    monitor_files) echo 3010 ;;
    addresses) echo 1024 ;;
    *) echo 9000 ;;
  esac
}

failed=0
for target in "${targets[@]}"; do
  work="$build/work/$target"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  if [ -d "fuzz/corpus/$target" ]; then
    cp -R "fuzz/corpus/$target/." "$work/corpus/"
  fi
  log="$work/fuzz.log"
  rc=0
  "$build/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
    -max_len="$(max_len "$target")" -artifact_prefix="$work/artifacts/" \
    "$work/corpus" >"$log" 2>&1 || rc=$?

  execs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$log" | tail -n 1)
  if [ -z "$execs" ]; then
    # A run that stopped early prints no final stats; take its last status line.
    execs=$(sed -n 's/^#\([0-9][0-9]*\).*/\1/p' "$log" | tail -n 1)
  fi
  findings=$(find "$work/artifacts" -type f | wc -l)
  if [ "$rc" -ne 0 ] && [ "$findings" -eq 0 ]; then
    findings=1
  fi
  [ "$findings" -eq 0 ] || failed=1
  echo "FUZZ $target execs=${execs:-0} findings=$findings"
done

exit "$failed"
