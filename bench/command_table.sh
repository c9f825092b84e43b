#!/usr/bin/env bash
# Prints, for every sheettool command, its median time and median peak
# memory beside dovla32's on the same design, and both as multiples of
# dovla32's: on the 32-sheet benchmark design, on a design of 40,000 nets
# that share one label name (so that every net key needs its place), and
# on two hostile shapes: 40,000 slanting wires from one crowded cell, and
# 15,000 resistors placed on one place.
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

mkdir "$work/32" "$work/nets" "$work/slanting" "$work/stacked"
"$build/bench/make_design" 32 "$work/32" >/dev/null
awk -f "$bench/label_nets.awk" >"$work/nets/design.txt"
"$tool" build "$work/nets/design.txt" -o "$work/nets/design.sch"
cp "$work/32/TAVEL.INI" "$work/32/design.lib" "$work/nets/"
"$build/bench/make_design" --crowded ends 40000 "$work/slanting" >/dev/null
"$build/bench/make_design" --crowded stacked 15000 "$work/stacked" >/dev/null
for design in 32 nets slanting stacked; do
  cp "$work/$design/design.sch" "$work/$design/other.sch"
done

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

declare -A titles=(
  [32]="32-sheet benchmark design"
  [nets]="40,000 nets sharing one label name"
  [slanting]="40,000 slanting wires from one crowded cell"
  [stacked]="15,000 resistors on one place"
)
for design in 32 nets slanting stacked; do
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
  echo "${titles[$design]} ($(stat -c %s design.sch) bytes), medians of $runs runs"
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
