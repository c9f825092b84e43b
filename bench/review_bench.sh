#!/usr/bin/env bash
# Times the review page of sheettool diff on the 32-sheet benchmark design
# against itself with every resistor renumbered (some eleven thousand
# re-annotations): the page written, against the page of view of the same
# design in the same loop, and their sizes; and, with Chromium installed,
# the script's time of the reviewer's steps (tests/sheettool/pages,
# reviewing.js): opening a change by its address, stepping with n and p to
# a change on another sheet, choosing from the list, switching sheets and
# the layout. Medians of the runs, with the largest.
#
#   bench/review_bench.sh [BUILD_DIR] [RUNS]
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
# Every R<n> becomes R<n + 100000>: the same parts in the same places.
"$tool" dump design.sch |
  awk '{ if (match($0, /ref="R[0-9]+"/)) {
           n = substr($0, RSTART + 6, RLENGTH - 7)
           $0 = substr($0, 1, RSTART - 1) "ref=\"R" (n + 100000) "\"" substr($0, RSTART + RLENGTH)
         }
         print }' >renumbered.txt
"$tool" build renumbered.txt -o renumbered.sch

view=() review=()
for ((i = 0; i < runs; i++)); do
  view+=("$(milliseconds "$tool" view design.sch -o view.html)")
  review+=("$(milliseconds "$tool" diff design.sch renumbered.sch --html -o review.html)")
done
view_ms=$(printf "%s\n" "${view[@]}" | median)
review_ms=$(printf "%s\n" "${review[@]}" | median)
view_bytes=$(stat -c %s view.html)
review_bytes=$(stat -c %s review.html)
changes=$("$tool" diff design.sch renumbered.sch | tail -n +2 | wc -l) || true
echo "sheettool diff --html, 32 sheets, $changes changes: median ${review_ms} ms of $runs runs," \
  "page $review_bytes bytes"
echo "sheettool view, the same design:  median ${view_ms} ms, page $view_bytes bytes"
awk -v t="$review_ms" -v vt="$view_ms" -v s="$review_bytes" -v vs="$view_bytes" \
  'BEGIN { printf "review against view: %.2f x the time, %.2f x the size\n", t / vt, s / vs }'

chromium=$(command -v chromium || command -v chromium-browser || true)
if [[ -z "$chromium" ]]; then
  echo "Chromium is not installed: the page is not opened"
  exit 0
fi
cp "$pages"/* "$work/"
cp review.html page.html
for ((i = 0; i < runs; i++)); do
  browse --allow-file-access-from-files --virtual-time-budget=60000 --dump-dom \
    "file://$work/drive.html?reviewing" |
    python3 -c '
import html, json, re, sys
found = re.search(r"data-results=\"([^\"]*)\"", sys.stdin.read())
results = json.loads(html.unescape(found.group(1)))
if results["error"]:
    sys.exit(results["error"])
print("first sheet drawn\t%d" % results["readyMs"])
for step in results["steps"]:
    print("%s\t%.1f" % (step["name"], step["ms"]))'
done >"$work/steps.tsv"
step_table "$work/steps.tsv" "$runs"
