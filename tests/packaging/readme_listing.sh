#!/bin/sh
# Prints the README's listing of a report that follows the line matching
# MARKER (an awk pattern), as the program writes it: "(empty line)" is an
# empty line, "<TAB>" a tab.
#
#   tests/packaging/readme_listing.sh README MARKER
awk -v marker="$2" '
  !state && $0 ~ marker { state = 1; next }
  state == 1 && /^    / { state = 2 }
  state == 2 {
    if ($0 !~ /^    /) exit
    line = substr($0, 5)
    if (line == "(empty line)") line = ""
    gsub(/<TAB>/, "\t", line)
    print line
  }' "$1"
