#!/usr/bin/env bash
# A small mutation check of sheettool's design model and the view's
# geometry: each slip of a list (slips.tsv beside this script: a plausible
# one-line mistake) is made in turn in a scratch copy of the source, which
# is built and tested with the whole suite; a slip that no test notices is
# reported as a survivor. Slips that change nothing a user can see
# (equivalent ones) survive too: each survivor needs a look.
#
#   tests/mutation/run.sh [SLIPS] [NAME...]
#
# SLIPS defaults to tests/mutation/slips.tsv; NAMEs pick slips by name.
# The scratch copy and its build go to $DOVLA32_MUTATION_DIR (default a new
# temporary folder, removed at the end). $DOVLA32_MUTATION_TESTS, a ctest
# name pattern, measures a part of the suite alone (for example Golden for
# the golden suite). Needs the packages of the tests
# (scripts/install-packages.sh test). Exit status 1 when a slip survived.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
slips=${1:-$source_dir/tests/mutation/slips.tsv}
[[ $# -gt 0 ]] && shift
wanted=" $* "
scratch=${DOVLA32_MUTATION_DIR:-}
if [[ -z "$scratch" ]]; then
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/dovla32-mutation.XXXXXX")
  trap 'rm -rf "$scratch"' EXIT
fi
copy="$scratch/source"
build="$scratch/build"
mkdir -p "$copy"
# The committed files and the work in progress, without build folders.
(cd "$source_dir" && git ls-files -co --exclude-standard -z) |
  (cd "$source_dir" && xargs -0 cp --parents -t "$copy")

echo "+ building the unchanged copy"
cmake -S "$copy" -B "$build" -G Ninja -DDOVLA32_BENCH=OFF >"$scratch/configure.log" 2>&1 ||
  { cat "$scratch/configure.log"; exit 1; }
cmake --build "$build" >"$scratch/build.log" 2>&1 || { tail -n 30 "$scratch/build.log"; exit 1; }
ctest --test-dir "$build" -j2 ${DOVLA32_MUTATION_TESTS:+-R "$DOVLA32_MUTATION_TESTS"} >"$scratch/test.log" 2>&1 ||
  { echo "the unchanged copy fails its tests:"; tail -n 20 "$scratch/test.log"; exit 1; }

# Replaces the one occurrence of a text in a file; fails when there is not
# exactly one.
slip() {
  python3 - "$@" <<'PY'
import sys
path, old, new = sys.argv[1:4]
text = open(path, encoding="utf-8").read()
if text.count(old) != 1:
    sys.exit(f"{path}: the text occurs {text.count(old)} times: {old}")
open(path, "w", encoding="utf-8").write(text.replace(old, new))
PY
}

caught=0
survived=()
broken=()
while IFS=$'\t' read -r name file old new; do
  [[ -z "$name" || "$name" == \#* ]] && continue
  [[ "$wanted" == "  " || "$wanted" == *" $name "* ]] || continue
  cp "$copy/$file" "$scratch/original"
  if ! slip "$copy/$file" "$old" "$new"; then
    broken+=("$name")
    continue
  fi
  start=$(date +%s)
  if ! cmake --build "$build" >"$scratch/build.log" 2>&1; then
    result="does not build"
    broken+=("$name")
  # A slip that makes a loop endless is caught by the time it takes: no
  # test without a limit of its own takes a minute.
  elif ctest --test-dir "$build" -j2 --stop-on-failure --timeout 300 \
    ${DOVLA32_MUTATION_TESTS:+-R "$DOVLA32_MUTATION_TESTS"} >"$scratch/test.log" 2>&1; then
    result="SURVIVED"
    survived+=("$name")
  else
    # ctest's line of the first test that failed: "12/600 Test #12: Name ...***Failed".
    failed=$(sed -nE 's/.*Test +#[0-9]+: ([^ ]+) .*[*]{3}(Failed|Exception|Timeout|SEGFAULT|Subprocess).*/\1/p' "$scratch/test.log" | head -n 1)
    result="caught${failed:+ by $failed}"
    caught=$((caught + 1))
  fi
  cp "$scratch/original" "$copy/$file"
  # The file's time moves on, so that the next build sees it back.
  touch "$copy/$file"
  echo "$name: $result ($(($(date +%s) - start)) s)"
done <"$slips"

cmake --build "$build" >/dev/null 2>&1 || true
echo "caught $caught, survived ${#survived[@]}, not applied or not built ${#broken[@]}"
((${#broken[@]})) && echo "not applied or not built: ${broken[*]}"
if ((${#survived[@]})); then
  echo "survived: ${survived[*]}"
  exit 1
fi
