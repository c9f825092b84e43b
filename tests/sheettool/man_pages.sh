#!/bin/sh
# Renders both manual pages with every groff warning on; any warning, or a
# page that does not render, fails. Without groff the test is skipped (77).
docs=$1
if ! command -v groff >/dev/null 2>&1; then
    echo "groff is not installed: skipped"
    exit 77
fi
status=0
for page in "$docs/dovla32.1" "$docs/sheettool.1"; do
    if ! warnings=$(groff -man -ww -z "$page" 2>&1) || [ -n "$warnings" ]; then
        echo "$page:"
        echo "$warnings"
        status=1
    fi
done
exit $status
