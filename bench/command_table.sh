#!/usr/bin/env bash
# Prints, for every sheettool command, its median time and median peak
# memory beside dovla32's on the same design, and both as multiples of
# dovla32's: on the 32-sheet benchmark design and on a design of 40,000
# nets that share one label name (so that every net key needs its place).
# Runs are interleaved (dovla32, then each command, then again), so that a
# busy moment of this shared machine falls on all of them alike.
#
#   bench/command_table.sh [BUILD_DIR] [RUNS]
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/timing.sh"
build=$(cd "${1:-build}" && pwd)
bench=$(cd "$(dirname "$0")" && pwd)
runs=${2:-5}
tool=$build/sheettool
program=$build/dovla32
for executable in "$tool" "$program" "$build/bench/make_design"; do
  [[ -x "$executable" ]] || { echo "build first: $executable" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/32" "$work/nets"
"$build/bench/make_design" 32 "$work/32" >/dev/null
awk -f "$bench/label_nets.awk" >"$work/nets/design.txt"
"$tool" build "$work/nets/design.txt" -o "$work/nets/design.sch"
cp "$work/32/TAVEL.INI" "$work/32/design.lib" "$work/nets/"
cp "$work/32/design.sch" "$work/32/other.sch"
cp "$work/nets/design.sch" "$work/nets/other.sch"

# Each row: a label, then the command's words; DESIGN stands for the sheet.
commands=(
  "dovla32|$program -o/dev/null DESIGN"
  "nets|$tool nets DESIGN -o out"
  "nets --json|$tool nets DESIGN --json -o out"
  "check|$tool check DESIGN -o out"
  "check --sarif|$tool check DESIGN --sarif -o out"
  "view|$tool view DESIGN -o out"
  "diff (two loads)|$tool diff DESIGN other.sch -o out"
  "export bom-csv|$tool export bom-csv DESIGN -o out"
  "export kicad-project|$tool export kicad-project DESIGN -o project"
)

for design in 32 nets; do
  cd "$work/$design"
  declare -A times=() memory=()
  for ((r = 0; r < runs; r++)); do
    for entry in "${commands[@]}"; do
      label=${entry%%|*}
      words=${entry#*|}
      rm -rf project
      start=$(date +%s%N)
      /usr/bin/time -f %M -o memory.txt ${words//DESIGN/design.sch} >/dev/null 2>&1 || true
      end=$(date +%s%N)
      times[$label]+="$(((end - start) / 1000000)) "
      memory[$label]+="$(tail -1 memory.txt) "
    done
  done
  base_ms=$(printf "%s\n" ${times[dovla32]} | median)
  base_kb=$(printf "%s\n" ${memory[dovla32]} | median)
  if [[ $design == 32 ]]; then
    echo "32-sheet benchmark design ($(stat -c %s design.sch) bytes), medians of $runs runs"
  else
    echo "40,000 nets sharing one label name ($(stat -c %s design.sch) bytes), medians of $runs runs"
  fi
  printf "| %-22s | %8s | %10s | %9s | %8s |\n" command time "× dovla32" "peak MB" "× memory"
  printf "|%s|%s|%s|%s|%s|\n" ------------------------ ---------- ------------ ----------- ----------
  for entry in "${commands[@]}"; do
    label=${entry%%|*}
    ms=$(printf "%s\n" ${times[$label]} | median)
    kb=$(printf "%s\n" ${memory[$label]} | median)
    awk -v l="$label" -v ms="$ms" -v kb="$kb" -v bms="$base_ms" -v bkb="$base_kb" 'BEGIN {
      printf "| %-22s | %5d ms | %10.1f | %9.1f | %8.1f |\n", "`" l "`", ms,
        ms / (bms > 0 ? bms : 1), kb / 1024, kb / bkb }'
  done
  echo
  unset times memory
done
