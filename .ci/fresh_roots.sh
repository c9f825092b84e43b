#!/usr/bin/env bash
# Runs the README's two commands, exactly as README.md writes them, in fresh
# minimal Debian 12 roots: what a newcomer has on a new machine (cmake, g++,
# make, git, python3, dpkg-dev, groff-base and ninja-build, none of the
# project's libraries, no sudo), working as root. The first root runs the
# example's command twice; the second runs the test command and then the
# example's, so that both work a second time and in either order. Each must
# also leave the shell in the folder it started in.
#
#   .ci/fresh_roots.sh [WORK_DIR]
#
# Needs root and mmdebstrap (scripts/install-packages.sh fresh). A failure
# names the command and shows the last lines it printed.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
work=$(realpath -m "${1:-build-fresh}")
rm -rf "$work"
mkdir -p "$work"
started=$(date +%s)

elapsed() { echo $(($(date +%s) - started)); }

# The README's command on the line after the one that matches $1.
readme_command() {
  awk -v marker="$1" '$0 ~ marker { found = 1; next } found && /^    / { sub(/^ +/, ""); print; exit }' README.md
}
example_command=$(readme_command '^Build and run the program on the shipped example')
test_command=$(readme_command '<!-- test-command -->')
[[ -n "$example_command" && -n "$test_command" ]] ||
  { echo "fresh roots: README.md's two commands were not found" >&2; exit 1; }

echo "+ [$(elapsed) s] making the base root with mmdebstrap"
base_packages=cmake,g++,make,git,python3,dpkg-dev,groff-base,ninja-build
mmdebstrap --quiet --variant=apt --include="$base_packages" bookworm "$work/base.tar" \
  >"$work/mmdebstrap.log" 2>&1 || { tail -n 30 "$work/mmdebstrap.log" >&2; exit 1; }

mounted=()
cleanup() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount -l "${mounted[i]}" 2>/dev/null || true
  done
}
trap cleanup EXIT

# A fresh root from the base, holding a clean clone of the commit under test.
new_root() {
  local root=$1
  mkdir -p "$root"
  tar -xf "$work/base.tar" -C "$root"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  for fs in proc sys dev dev/pts; do
    mkdir -p "$root/$fs"
    mount --bind "/$fs" "$root/$fs"
    mounted+=("$root/$fs")
  done
  mkdir -p "$root/dev/shm"
  mount -t tmpfs tmpfs "$root/dev/shm"
  mounted+=("$root/dev/shm")
  git clone -q --no-local "$repo" "$root/root/dovla32"
}

# Runs one README command in the root's clone, as root, in a login shell
# with nothing of this machine's environment.
run_in() {
  local root=$1 name=$2 command=$3
  local log="$work/$(basename "$root")-$name.log"
  local start
  start=$(date +%s)
  echo "+ [$(elapsed) s] $(basename "$root"): $name: $command"
  if ! chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c 'cd /root/dovla32 && eval "$1" && [[ $PWD == /root/dovla32 ]] ||
               { status=$?; [[ $PWD == /root/dovla32 ]] || echo "the command left the shell in $PWD"; exit $((status ? status : 1)); }' \
    bash "$command" >"$log" 2>&1; then
    echo "FAIL: the README's $name command in a fresh root: $command" >&2
    echo "its last lines:" >&2
    tail -n 40 "$log" >&2
    exit 1
  fi
  echo "+ [$(elapsed) s] $(basename "$root"): $name passed in $(($(date +%s) - start)) s"
}

new_root "$work/root-example"
run_in "$work/root-example" example "$example_command"
grep -q '^#PartList' "$work/root-example-example.log" ||
  { echo "FAIL: the example's command printed no part list" >&2; exit 1; }
run_in "$work/root-example" example-again "$example_command"

new_root "$work/root-test"
run_in "$work/root-test" test "$test_command"
grep -E '^100% tests passed' "$work/root-test-test.log" ||
  { echo "FAIL: the test command did not pass every test" >&2; tail -n 40 "$work/root-test-test.log" >&2; exit 1; }
grep -E 'tests passed|Skipped|Not Run' "$work/root-test-test.log" | tail -n 5
run_in "$work/root-test" example-after-tests "$example_command"
echo "+ [$(elapsed) s] the README's commands work in fresh roots"
