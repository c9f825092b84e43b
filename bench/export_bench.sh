#!/usr/bin/env bash
# Times sheettool export on the 32-sheet benchmark design, each format
# against `sheettool nets --json` (the design model read and written out)
# in the same run, and prints what the project had to add for KiCad.
#
#   bench/export_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-7}
tool="$build/sheettool"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_design" 32 "$work" >/dev/null
cd "$work"
median() { # median LABEL COMMAND...
  local label=$1 times=() start end
  shift
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    times+=($(((end - start) / 1000000)))
  done
  printf "%s\n" "${times[@]}" | sort -n |
    awk -v label="$label" '{ v[NR] = $1 } END { printf "%-28s median %5d ms of %d runs\n", label, v[int((NR + 1) / 2)], NR }'
}
median "nets --json (baseline)" "$tool" nets --json design.sch -o nets.json
median "export kicad-project" "$tool" export kicad-project design.sch -o project
median "export kicad-netlist" "$tool" export kicad-netlist design.sch -o design.net
median "export bom-csv" "$tool" export bom-csv design.sch -o bom.csv
"$tool" export kicad-project design.sch -o project 2>/dev/null | tail -n 2
du -sh project | awk '{ print "project: " $1 }'
