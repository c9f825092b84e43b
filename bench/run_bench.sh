#!/usr/bin/env bash
# Times dovla32 on generated designs of 1, 4, 16 and 32 sheets, in both
# formats, with and without -s: median wall time of several runs, peak
# resident memory, items per second, and the ratios between sizes.
#
#   bench/run_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-7}
program="$build/dovla32"
generator="$build/bench/make_design"
[[ -x "$program" && -x "$generator" ]] || { echo "build first: $program, $generator" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

printf "%-7s %-8s %9s %9s %10s %12s\n" sheets options items "median_ms" "peak_KB" "items_per_s"
declare -A medians
for sheets in 1 4 16 32; do
  dir="$work/$sheets"
  mkdir -p "$dir"
  items=$("$generator" "$sheets" "$dir")
  for options in "" "-t" "-s" "-t -s"; do
    times=()
    for ((i = 0; i < runs; i++)); do
      start=$(date +%s%N)
      (cd "$dir" && "$program" $options -o/dev/null design.sch 2>/dev/null)
      end=$(date +%s%N)
      times+=($(((end - start) / 1000)))
    done
    us=$(printf "%s\n" "${times[@]}" | median)
    peak=$(cd "$dir" && /usr/bin/time -f %M "$program" $options -o/dev/null design.sch 2>&1 >/dev/null | tail -1)
    medians["$sheets ${options:-none}"]=$us
    printf "%-7s %-8s %9d %9.2f %10d %12.0f\n" "$sheets" "${options:-none}" "$items" \
      "$(echo "$us / 1000" | bc -l)" "$peak" "$(echo "$items * 1000000 / $us" | bc -l)"
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
