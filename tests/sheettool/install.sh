#!/bin/sh
# Installs the build into a scratch prefix and looks for both programs,
# both manual pages, the documentation and the example where users expect
# them.
build=$1
cmake=$2
prefix=$(mktemp -d "${TMPDIR:-/tmp}/dovla32-install.XXXXXX") || exit 1
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null || exit 1
status=0
for file in bin/dovla32 bin/sheettool share/man/man1/dovla32.1.gz share/man/man1/sheettool.1.gz \
    share/doc/dovla32/README.md share/doc/dovla32/sheettool-json.md \
    share/doc/dovla32/example/demo.sch share/doc/dovla32/example/TAVEL.INI; do
    if [ ! -f "$prefix/$file" ]; then
        echo "not installed: $file"
        status=1
    fi
done
for program in dovla32 sheettool; do
    if [ ! -x "$prefix/bin/$program" ]; then
        echo "not executable: bin/$program"
        status=1
    fi
done
"$prefix/bin/sheettool" --version >/dev/null || status=1
exit $status
