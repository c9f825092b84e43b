#!/usr/bin/env bash
# Unpacks each package given (.deb, .tar.gz, .zip) into a scratch root,
# looks for every file a user is promised there, checks that the programs
# are stripped (and, on Windows, carry their version information), and runs
# the packaged programs on the packaged example: the report must be the
# README's listing, in both formats. The Windows programs run under Wine
# (WINEPREFIX and the like as the caller has set them).
#
#   tests/packaging/check_packages.sh PACKAGE...
#
# Prints each package's size and contents.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
readme="$root/README.md"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/dovla32-packages.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

readme_listing() {
  sh "$root/tests/packaging/readme_listing.sh" "$readme" "$1"
}
readme_listing 'prints \(tabs shown as' >"$scratch/default.expected"
readme_listing '^and `\.\./dovla32 -t demo\.sch`:$' >"$scratch/package.expected"
[[ $(wc -l <"$scratch/default.expected") -gt 40 && $(wc -l <"$scratch/package.expected") -gt 10 ]] ||
  { echo "the README's listings were not found" >&2; exit 1; }

# The report of a run in the example's directory ($1: the program and its
# options, as words), with CR LF line ends made LF when $2 is "crlf" (where
# every line must have them).
report() {
  local dir=$1 ends=$2
  shift 2
  local out="$scratch/report"
  (cd "$dir" && "$@" demo.sch >"$out" 2>"$scratch/stderr") || {
    fail "$* in $dir: exit status $?: $(cat "$scratch/stderr")"
    return
  }
  if [[ $ends == crlf ]]; then
    [[ $(grep -c $'\r$' "$out") == $(wc -l <"$out") ]] || fail "$*: lines without CR LF"
    tr -d '\r' <"$out"
  else
    cat "$out"
  fi
}

check_example() {
  local example=$1 ends=$2
  shift 2
  report "$example" "$ends" "$@" | cmp -s - "$scratch/default.expected" ||
    fail "$* demo.sch differs from the README's listing"
  report "$example" "$ends" "$@" -t | cmp -s - "$scratch/package.expected" ||
    fail "$* -t demo.sch differs from the README's listing"
}

require_files() {
  local dir=$1
  shift
  for file in "$@"; do
    [[ -f "$dir/$file" ]] || fail "missing in the package: $file"
  done
}

# POSIX programs: no symbol table, no debug information.
check_stripped_elf() {
  if readelf -S "$1" | grep -qE '\.(symtab|debug_)'; then
    fail "not stripped: $1"
  fi
}

check_posix() {
  local top=$1 package=$2
  require_files "$top" bin/dovla32 bin/sheettool share/man/man1/dovla32.1.gz \
    share/man/man1/sheettool.1.gz share/doc/dovla32/README.md share/doc/dovla32/LICENSE \
    share/doc/dovla32/copyright share/doc/dovla32/changelog.gz share/doc/dovla32/sheet-text-format.md \
    share/doc/dovla32/sheettool-json.md share/doc/dovla32/example/demo.sch \
    share/doc/dovla32/example/basic.lib share/doc/dovla32/example/logic.lib \
    share/doc/dovla32/example/TAVEL.INI
  check_stripped_elf "$top/bin/dovla32"
  check_stripped_elf "$top/bin/sheettool"
  # The example is copied where it can be run: a package's files are not
  # the user's to write beside.
  cp -r "$top/share/doc/dovla32/example" "$scratch/example-$package"
  check_example "$scratch/example-$package" lf "$top/bin/dovla32"
  (cd "$scratch/example-$package" && "$top/bin/sheettool" check demo.sch >/dev/null) ||
    fail "$package: sheettool check demo.sch finds something"
  [[ $("$top/bin/sheettool" --version) == "sheettool 1.11" ]] || fail "$package: sheettool --version"
}

version_value() {
  strings -el "$1" | awk -v name="$2" 'found { print; exit } $0 == name { found = 1 }'
}

check_windows() {
  local top=$1
  require_files "$top" dovla32.exe sheettool.exe README.md LICENSE doc/dovla32.txt doc/sheettool.txt \
    doc/sheet-text-format.md doc/sheettool-json.md example/demo.sch example/basic.lib \
    example/logic.lib example/TAVEL.INI
  for exe in dovla32.exe sheettool.exe; do
    if x86_64-w64-mingw32-objdump -h "$top/$exe" | grep -q '\.debug_'; then
      fail "not stripped: $exe"
    fi
    [[ $(version_value "$top/$exe" ProductName) == "Tavel Net List Utility" ]] ||
      fail "$exe: no product name in its version information"
    [[ $(version_value "$top/$exe" ProductVersion) == 1.11 ]] ||
      fail "$exe: no version 1.11 in its version information"
    [[ -n $(version_value "$top/$exe" FileDescription) ]] || fail "$exe: no description"
    [[ $(version_value "$top/$exe" LegalCopyright) == *"the dovla32 authors"* ]] ||
      fail "$exe: no copyright in its version information"
  done
  grep -q $'^NAME\r$' "$top/doc/dovla32.txt" || fail "doc/dovla32.txt is not the manual page as text"
  check_example "$top/example" crlf wine "$top/dovla32.exe"
  (cd "$top/example" && wine "$top/sheettool.exe" check demo.sch >/dev/null) ||
    fail "sheettool.exe check demo.sch finds something"
}

for package in "$@"; do
  # Unpacking changes directory: the package by its full path.
  package=$(realpath "$package")
  name=$(basename "$package")
  unpacked="$scratch/$name.d"
  mkdir -p "$unpacked"
  case "$name" in
    *.deb)
      dpkg-deb -x "$package" "$unpacked"
      dpkg-deb -f "$package" Depends | grep -q libc6 || fail "$name: no dependency on libc6"
      check_posix "$unpacked/usr" deb
      ;;
    *.tar.gz)
      tar -xzf "$package" -C "$unpacked"
      check_posix "$unpacked/${name%.tar.gz}" tgz
      ;;
    *.zip)
      (cd "$unpacked" && cmake -E tar xf "$package")
      check_windows "$unpacked/${name%.zip}"
      ;;
    *)
      fail "not a package: $package"
      continue
      ;;
  esac
  echo "$name: $(stat -c %s "$package") bytes"
  (cd "$unpacked" && find . -type f -printf '  %P  %s\n' | sort)
done

if ((failures)); then
  echo "$failures package checks failed" >&2
  exit 1
fi
echo "packages passed: $*"
