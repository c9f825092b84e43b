#!/bin/sh
# Makes the pictures of `sheettool view` in docs/, as headless Chromium
# shows the page in a window of 1200 by 720:
#   view-example.png  the shipped example with the net D0 chosen (README.md)
#   view-block.png    the example with the third block of U1 chosen
#   view-finding.png  the example with its finding chosen
#   view-large.png    the 32-sheet benchmark design with R5000 chosen
# and, from the screenshots the browser tests take (the build's
# test_sheettool), of its texts and of the review page of diff --html:
#   view-texts.png    small bodies' pin names, turned parts, power symbols
#   review-merge.png  two nets merged by a new wire, both sides lit
#   review-moved.png  two pins that traded nets, with their nets before and after
#
#   sh docs/view-screenshot.sh [BUILD]    (BUILD defaults to build)
set -eu
docs=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build/examples" && "$build/sheettool" view demo.sch -o "$work/demo.html")
"$build/bench/make_design" 32 "$work" >/dev/null
(cd "$work" && "$build/sheettool" view design.sch -o "$work/large.html")
shot() {
  chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --hide-scrollbars --force-device-scale-factor=1 \
    --user-data-dir="$work/profile" --window-size=1200,720 --virtual-time-budget=10000 \
    --screenshot="$docs/$1" "file://$work/$2" 2>/dev/null
}
shot view-example.png 'demo.html#net=D0'
shot view-block.png 'demo.html#part=U1(3%2F4)'
shot view-finding.png 'demo.html#finding=1'
shot view-large.png 'large.html#part=R5000'
"$build/tests/sheettool/test_sheettool" \
  --gtest_filter='TextsInBrowser.NoText*:Revisions/ReviewInBrowser.*/Merge:Revisions/ReviewInBrowser.*/MovedPin' \
  >/dev/null
shots="$build/tests/sheettool/view-screenshots"
cp "$shots/view-texts.png" "$docs/view-texts.png"
cp "$shots/review-Merge.png" "$docs/review-merge.png"
cp "$shots/review-MovedPin.png" "$docs/review-moved.png"
