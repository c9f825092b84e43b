#!/usr/bin/env bash
# Times sheettool check with a text report and with a SARIF log in the same
# run, on a design of 40,000 nets that share one label name (80,000 open
# wire ends and a name on 40,000 nets), on the 32-sheet benchmark design,
# and on a hostile sheet whose 400,000 wires all lie outside the drawing.
# Prints the median time and peak memory of each and the ratios SARIF/text,
# and the sizes of the two reports.
#
#   bench/sarif_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
bench=$(cd "$(dirname "$0")" && pwd)
runs=${2:-5}
tool=$build/sheettool
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_design" 32 "$work" >/dev/null
cd "$work"
awk -f "$bench/label_nets.awk" >nets.txt
awk 'BEGIN {
  srand(7)
  print "sheet-file"
  for (s = 0; s < 8; s++) {
    print "sheet code=4"
    for (i = 0; i < 50000; i++) {
      x = -30000 + int(rand() * 60000); y = -30000 + int(rand() * 60000)
      printf "wire from=%d,%d to=%d,%d\n", x, y, -x, (y > 0 ? -2767 : 2767)
    }
  }
}' >hostile.txt
"$tool" build nets.txt -o nets.sch
"$tool" build hostile.txt -o hostile.sch

# The median of a column of numbers.
median() {
  sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# "MS KB": the median time and peak memory of check on a design with the
# given options.
measure() {
  local design=$1
  shift
  : >times.txt
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f "%e %M" -o time.txt "$tool" check "$design" "$@" -o report.out ||
      [[ $? == 1 ]]
    cat time.txt >>times.txt
  done
  echo "$(awk '{ print int($1 * 1000) }' times.txt | median) $(awk '{ print $2 }' times.txt | median)"
}

for design in nets.sch design.sch hostile.sch; do
  read -r text_ms text_kb < <(measure "$design")
  text_size=$(stat -c %s report.out)
  read -r sarif_ms sarif_kb < <(measure "$design" --sarif)
  sarif_size=$(stat -c %s report.out)
  awk -v d="$design" -v tm="$text_ms" -v tk="$text_kb" -v ts="$text_size" -v sm="$sarif_ms" \
    -v sk="$sarif_kb" -v ss="$sarif_size" -v r="$runs" 'BEGIN {
    printf "%s: text %d ms, %d KB, report %d bytes; SARIF %d ms, %d KB, log %d bytes;" \
      " SARIF/text: time %.2f, memory %.2f, size %.2f (medians of %d runs)\n",
      d, tm, tk, ts, sm, sk, ss, sm / (tm > 0 ? tm : 1), sk / tk, ss / (ts > 0 ? ts : 1), r }'
done
