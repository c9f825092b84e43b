#!/usr/bin/env bash
# Times dovla32 on generated designs of 1, 4, 16 and 32 sheets, in both
# formats, with and without -s, as the median wall time of several runs and
# as a multiple of the floor: a program that only reads the same sheet file
# whole, walks its records and writes a report of the same size, timed in
# the same invocation (this machine is shared, so ratios say more than
# times). Then the peak resident memory, items per second, the ratios
# between sizes, and the crowded shapes, where many ends meet at a point.
#
#   bench/run_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/timing.sh"
build=$(cd "${1:-build}" && pwd)
runs=${2:-7}
program="$build/dovla32"
generator="$build/bench/make_design"
floor="$build/bench/floor"
for tool in "$program" "$generator" "$floor"; do
  [[ -x "$tool" ]] || { echo "build first: $tool" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The median wall time of a command in microseconds, run in a directory.
timeRuns() {
  local dir=$1 count=$2
  shift 2
  local times=() start end
  for ((i = 0; i < count; i++)); do
    start=$(date +%s%N)
    (cd "$dir" && "$@" >/dev/null 2>&1)
    end=$(date +%s%N)
    times+=($(((end - start) / 1000)))
  done
  printf "%s\n" "${times[@]}" | median
}

printf "%-7s %-8s %9s %9s %9s %7s %10s %12s\n" sheets options items median_ms floor_ms xfloor \
  peak_KB items_per_s
declare -A medians
for sheets in 1 4 16 32; do
  dir="$work/$sheets"
  mkdir -p "$dir"
  items=$("$generator" "$sheets" "$dir")
  for options in "" "-t" "-s" "-t -s"; do
    (cd "$dir" && "$program" $options -oreport.net design.sch 2>/dev/null)
    bytes=$(stat -c %s "$dir/report.net")
    # The floor and the program in turn, so that both see the same machine.
    floors=() programs=()
    for ((r = 0; r < runs; r++)); do
      floors+=("$(timeRuns "$dir" 1 "$floor" design.sch "$bytes" /dev/null)")
      programs+=("$(timeRuns "$dir" 1 "$program" $options -o/dev/null design.sch)")
    done
    us=$(printf "%s\n" "${programs[@]}" | median)
    floorUs=$(printf "%s\n" "${floors[@]}" | median)
    peak=$(cd "$dir" && /usr/bin/time -f %M "$program" $options -o/dev/null design.sch 2>&1 >/dev/null | tail -1)
    medians["$sheets ${options:-none}"]=$us
    printf "%-7s %-8s %9d %9.2f %9.2f %7.1f %10d %12.0f\n" "$sheets" "${options:-none}" "$items" \
      "$(echo "$us / 1000" | bc -l)" "$(echo "$floorUs / 1000" | bc -l)" \
      "$(echo "$us / $floorUs" | bc -l)" "$peak" "$(echo "$items * 1000000 / $us" | bc -l)"
  done
done
echo
echo "ratios of median times"
for options in none -t -s "-t -s"; do
  t4=${medians["4 $options"]}; t32=${medians["32 $options"]}
  printf "%-8s 32/4 sheets: %.2f   " "$options" "$(echo "$t32 / $t4" | bc -l)"
  if [[ $options == none ]]; then
    printf -- "-s/default at 32: %.2f" "$(echo "${medians["32 -s"]} / $t32" | bc -l)"
  fi
  echo
done
echo
echo "crowded points (median of 3 runs)"
printf "%-10s %7s %10s %9s %10s\n" shape count file_KB median_ms peak_KB
for shape in "ends 5000" "ends 20000" "zero 10000" "zero 50000" "collinear 1000" "collinear 2000"; do
  set -- $shape
  dir="$work/$1-$2"
  mkdir -p "$dir"
  "$generator" --crowded "$1" "$2" "$dir" >/dev/null
  us=$(timeRuns "$dir" 3 "$program" -o/dev/null design.sch)
  peak=$(cd "$dir" && /usr/bin/time -f %M "$program" -o/dev/null design.sch 2>&1 >/dev/null | tail -1)
  printf "%-10s %7d %10d %9.1f %10d\n" "$1" "$2" "$(($(stat -c %s "$dir/design.sch") / 1024))" \
    "$(echo "$us / 1000" | bc -l)" "$peak"
done
