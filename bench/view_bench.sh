#!/usr/bin/env bash
# Times the page of sheettool view on the 32-sheet benchmark design: the
# page written (against sheettool check in the same loop, which loads the
# same design and writes little), its size, and, with Chromium installed,
# how long headless Chromium takes from the start of loading the page to
# the first sheet drawn (as the page itself measures it) and to a
# screenshot of it; and, with the tests' driving pages
# (tests/sheettool/pages, timing.js), the script's time of choosing the
# widest net, a part and a finding and of switching sheets, medians of the
# runs.
#
#   bench/view_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/timing.sh"
build=$(cd "${1:-build}" && pwd)
pages=$(cd "$(dirname "$0")/../tests/sheettool/pages" && pwd)
runs=${2:-5}
tool="$build/sheettool"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_design" 32 "$work" >/dev/null
cd "$work"

check=() view=()
for ((i = 0; i < runs; i++)); do
  check+=("$(milliseconds "$tool" check design.sch -o findings.txt)")
  view+=("$(milliseconds "$tool" view design.sch -o page.html)")
done
check_ms=$(printf "%s\n" "${check[@]}" | median)
view_ms=$(printf "%s\n" "${view[@]}" | median)
echo "sheettool view, 32 sheets: median ${view_ms} ms of $runs runs (check: ${check_ms} ms)," \
  "page $(stat -c %s page.html) bytes"

chromium=$(command -v chromium || command -v chromium-browser || true)
if [[ -z "$chromium" ]]; then
  echo "Chromium is not installed: the page is not opened"
  exit 0
fi
# The page measures when its first sheet is drawn; a screenshot is the
# whole way from starting the browser to the pixels, timed in turn with
# one of an empty page (the browser's own start and end).
ready=() shot=() blank=()
for ((i = 0; i < runs; i++)); do
  ready+=("$(browse --dump-dom "file://$work/page.html" | grep -o 'data-ready-ms="[0-9]*"' |
    grep -o '[0-9]*')")
  shot+=("$(milliseconds browse --screenshot="$work/page.png" "file://$work/page.html")")
  blank+=("$(milliseconds browse --screenshot="$work/blank.png" about:blank)")
done
echo "headless Chromium: first sheet drawn $(printf "%s\n" "${ready[@]}" | median) ms after the" \
  "page began to load; a screenshot $(printf "%s\n" "${shot[@]}" | median) ms from the" \
  "browser's start, against $(printf "%s\n" "${blank[@]}" | median) ms for an empty page" \
  "(medians of $runs runs)"

# The script's time of each step of timing.js, one line of "name<TAB>ms"
# per step and run, summed up by step.
cp "$pages"/* "$work/"
for ((i = 0; i < runs; i++)); do
  browse --allow-file-access-from-files --virtual-time-budget=60000 --dump-dom \
    "file://$work/drive.html?timing" | python3 -c '
import html, json, re, sys
found = re.search(r"data-results=\"([^\"]*)\"", sys.stdin.read())
for step in json.loads(html.unescape(found.group(1)))["steps"]:
    print("%s\t%.1f" % (step["name"], step["ms"]))'
done >"$work/steps.tsv"
step_table "$work/steps.tsv" "$runs"
