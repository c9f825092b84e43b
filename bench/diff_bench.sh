#!/usr/bin/env bash
# Times sheettool diff on two revisions of the 32-sheet benchmark design
# that differ in a handful of connections (junctions taken out, a label
# renamed, a part left out), and prints the changes it finds.
#
#   bench/diff_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-5}
tool="$build/sheettool"
generator="$build/bench/make_design"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$generator" 32 "$work" >/dev/null
cd "$work"
"$tool" dump design.sch > old.txt
# Every 2000th junction out, one label renamed, one part left out.
awk '/^junction/ && ++j % 2000 == 0 { next }
     /text="S7R3C4"/ && !renamed { sub(/text="S7R3C4"/, "text=\"RENAMED\""); renamed = 1 }
     /ref="R4321"/ { next }
     { print }' old.txt > new.txt
"$tool" build new.txt -o new.sch
times=()
for ((i = 0; i < runs; i++)); do
  start=$(date +%s%N)
  "$tool" diff design.sch new.sch > changes.txt || [[ $? == 1 ]]
  end=$(date +%s%N)
  times+=($(((end - start) / 1000000)))
done
printf "%s\n" "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { printf "sheettool diff, 32 sheets: median %d ms of %d runs\n", v[int((NR + 1) / 2)], NR }'
cat changes.txt
