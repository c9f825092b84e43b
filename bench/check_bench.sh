#!/usr/bin/env bash
# Times sheettool check on the 32-sheet benchmark design and on a design
# crowded with buses and bus entries that touch none of them (8 sheets of
# 10,000 each: every entry is looked up against the buses), and prints the
# median of each. With BASELINE, another sheettool (an older build) is
# timed on the same designs in the same run, and the ratio is printed.
#
#   bench/check_bench.sh [BUILD_DIR] [RUNS] [BASELINE]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-5}
baseline=${3:+$(realpath "$3")}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_design" 32 "$work" >/dev/null
cd "$work"
awk 'BEGIN {
  print "sheet-file"
  for (s = 0; s < 8; s++) {
    print "sheet code=4"
    for (i = 0; i < 10000; i++)
      printf "bus from=10,%d to=20,%d\n", 10 + (i * 10) % 20000, 10 + (i * 10) % 20000
    for (i = 0; i < 10000; i++)
      printf "bus-entry at=%d,%d attr=wire-entry\n", 1000 + (i % 100) * 20, 100 + int(i / 100) * 20
  }
}' >crowded.txt
"$build/sheettool" build crowded.txt -o crowded.sch

# The median time of a sheettool's check of a design, in milliseconds.
median() {
  local tool=$1 design=$2 times=() i start
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$tool" check "$design" >/dev/null || [[ $? == 1 ]]
    times+=($((($(date +%s%N) - start) / 1000000)))
  done
  printf "%s\n" "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

for design in design.sch crowded.sch; do
  now=$(median "$build/sheettool" "$design")
  if [[ -n "$baseline" ]]; then
    before=$(median "$baseline" "$design")
    awk -v d="$design" -v n="$now" -v b="$before" -v r="$runs" 'BEGIN {
      printf "sheettool check %s: median %d ms, baseline %d ms (baseline/now %.2f), of %d runs\n",
        d, n, b, b / (n > 0 ? n : 1), r }'
  else
    echo "sheettool check $design: median $now ms of $runs runs"
  fi
done
