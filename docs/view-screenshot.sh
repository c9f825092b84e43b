#!/bin/sh
# Makes docs/view-example.png, the picture of `sheettool view` in README.md:
# the page of the shipped example with the net D0 chosen, as headless
# Chromium shows it in a window of 1200 by 720.
#
#   sh docs/view-screenshot.sh [BUILD]    (BUILD defaults to build)
set -eu
docs=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build/examples" && "$build/sheettool" view demo.sch -o "$work/demo.html")
chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
  --disable-component-update --disable-sync --hide-scrollbars --force-device-scale-factor=1 \
  --user-data-dir="$work/profile" --window-size=1200,720 --virtual-time-budget=5000 \
  --screenshot="$docs/view-example.png" "file://$work/demo.html#net=D0" 2>/dev/null
