#!/bin/sh
# Lints the script of sheettool view's page with ESLint (Debian's eslint
# package) under the rules beside it; without ESLint, Node.js at least
# parses it. Without either the test is skipped (77).

# ESLint takes its files relative to the directory it runs in.
cd "$1" || exit 1
# Debian keeps ESLint's modules where a Node.js of another origin does not
# look for them.
NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
export NODE_PATH
if command -v eslint >/dev/null 2>&1; then
    exec eslint --no-eslintrc --no-ignore -c eslint.json -f unix page.js
fi
if command -v node >/dev/null 2>&1; then
    echo "eslint is not installed: the script is only parsed"
    exec node --check page.js
fi
echo "neither eslint nor node is installed: skipped"
exit 77
