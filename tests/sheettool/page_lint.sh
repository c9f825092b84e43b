#!/bin/sh
# Lints the scripts of sheettool's pages (view's and diff's review page)
# with ESLint (Debian's eslint package) under the rules of CONFIG; without
# ESLint, Node.js at least parses them. Without either the test is skipped
# (77).
#
#   page_lint.sh CONFIG SCRIPT...

config=$1
shift
# Debian keeps ESLint's modules where a Node.js of another origin does not
# look for them.
NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
export NODE_PATH
if command -v eslint >/dev/null 2>&1; then
    exec eslint --no-eslintrc --no-ignore -c "$config" -f unix "$@"
fi
if command -v node >/dev/null 2>&1; then
    echo "eslint is not installed: the scripts are only parsed"
    for script in "$@"; do
        node --check "$script" || exit 1
    done
    exit 0
fi
echo "neither eslint nor node is installed: skipped"
exit 77
