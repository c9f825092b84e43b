#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer, LeakSanitizer,
# UndefinedBehaviorSanitizer) and runs each of them, one after the other,
# for the given number of seconds (default 60) from its seed corpus and the
# inputs that once broke it. Any crash, sanitizer report, leak, timeout or
# excess of memory fails the script.
#
#   .ci/fuzz.sh [seconds]
#
# DOVLA32_FUZZ_BUILD names the build directory (default build-fuzz). The
# corpus grows in <build>/fuzz/work/<target> from run to run; logs go to
# <build>/fuzz/logs, the input of any finding to <build>/fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "usage: .ci/fuzz.sh [seconds]" >&2; exit 2; }
build=${DOVLA32_FUZZ_BUILD:-build-fuzz}
targets=(sheet library ini args design waivers)

bash scripts/install-packages.sh example fuzz

echo "+ building the fuzz targets in $build"
CC=clang CXX=clang++ cmake -S . -B "$build" -DDOVLA32_FUZZ=ON -DDOVLA32_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target fuzz_corpus "${targets[@]/#/fuzz_}"

fuzz_dir=$(cd "$build/fuzz" && pwd)
mkdir -p "$fuzz_dir/logs" "$fuzz_dir/artifacts"
# The targets keep their working files here; tmpfs when there is one.
scratch_base=/tmp
[[ -d /dev/shm && -w /dev/shm ]] && scratch_base=/dev/shm
scratch=$(mktemp -d "$scratch_base/dovla32-fuzz-ci.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# fuzz_design reads sheet files as fuzz_sheet does.
declare -A dictionary=([design]=sheet)
failed=()
for target in "${targets[@]}"; do
  work="$fuzz_dir/work/$target"
  artifacts="$fuzz_dir/artifacts/$target/"
  log="$fuzz_dir/logs/$target.log"
  mkdir -p "$work" "$artifacts"
  cp -n "$fuzz_dir/corpus/$target"/* "$work"/ 2>/dev/null || true
  echo "+ fuzz_$target for ${seconds}s"
  status=0
  # One fuzzer process at a time: the machine is shared.
  TMPDIR="$scratch" "$fuzz_dir/fuzz_$target" \
    -max_total_time="$seconds" -timeout=2 -rss_limit_mb=2048 -detect_leaks=1 \
    -print_final_stats=1 -dict="$PWD/fuzz/${dictionary[$target]:-$target}.dict" -artifact_prefix="$artifacts" \
    "$work" "$PWD/fuzz/regressions/$target" >"$log" 2>&1 || status=$?
  grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true
  if ((status != 0)) || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$log"; then
    echo "fuzz_$target FAILED (exit status $status); the end of $log:" >&2
    tail -40 "$log" >&2
    failed+=("$target")
  fi
done

if ((${#failed[@]})); then
  echo "fuzzing failed: ${failed[*]}; inputs in $fuzz_dir/artifacts" >&2
  exit 1
fi
echo "fuzzing passed: ${targets[*]}, ${seconds}s each"
