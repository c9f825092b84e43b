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

# A fresh root from the base, holding a clean clone of the commit under test.
new_root() {
  local root=$1
  mkdir -p "$root"
  tar -xf "$work/base.tar" -C "$root"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  git clone -q --no-local "$repo" "$root/root/dovla32"
  # The newcomer's shell: in the clone, the command as typed, and still in
  # the clone afterwards.
  cat >"$root/root/readme-command.sh" <<'SCRIPT'
cd /root/dovla32 || exit 1
eval "$1" || exit
if [[ $PWD != /root/dovla32 ]]; then
  echo "the command left the shell in $PWD"
  exit 1
fi
SCRIPT
}

# Runs one README command in the root's clone, as root, in a shell with
# nothing of this machine's environment. The root's /proc, /sys and /dev
# are mounted in a mount namespace of the run's own, so they go with it and
# nothing outside ever sees them (removing the work folder cannot reach
# the machine's devices).
run_in() {
  local root=$1 name=$2 command=$3
  local log
  log="$work/$(basename "$root")-$name.log"
  local start
  start=$(date +%s)
  echo "+ [$(elapsed) s] $(basename "$root"): $name: $command"
  # shellcheck disable=SC2016
  if ! unshare --mount --propagation private -- bash -c '
      for fs in proc sys dev; do mount --rbind "/$fs" "$1/$fs" || exit; done
      exec chroot "$1" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        bash /root/readme-command.sh "$2"' bash "$root" "$command" >"$log" 2>&1; then
    echo "FAIL: the README's $name command in a fresh root: $command" >&2
    echo "its last lines:" >&2
    tail -n 40 "$log" >&2
    exit 1
  fi
  echo "+ [$(elapsed) s] $(basename "$root"): $name passed in $(($(date +%s) - start)) s"
}

# The example's command ends with dovla32's report: the README's listing.
sh tests/packaging/readme_listing.sh README.md 'prints \(tabs shown as' >"$work/listing"
[[ $(wc -l <"$work/listing") -gt 40 ]] || { echo "the README's listing was not found" >&2; exit 1; }
ends_with_listing() {
  tail -n "$(wc -l <"$work/listing")" "$1" | cmp -s - "$work/listing" ||
    { echo "FAIL: $1 does not end with the README's listing" >&2; exit 1; }
}

# A root goes once its commands have run, and the base once the last root is
# made: only the logs stay, so that the roots never hold more than one
# build's worth of the machine's disk.
new_root "$work/root-example"
run_in "$work/root-example" example "$example_command"
ends_with_listing "$work/root-example-example.log"
run_in "$work/root-example" example-again "$example_command"
rm -rf "$work/root-example"

new_root "$work/root-test"
rm -f "$work/base.tar"
run_in "$work/root-test" test "$test_command"
grep -E '^100% tests passed' "$work/root-test-test.log" ||
  { echo "FAIL: the test command did not pass every test" >&2; tail -n 40 "$work/root-test-test.log" >&2; exit 1; }
grep -E 'tests passed|Skipped|Not Run' "$work/root-test-test.log" | tail -n 5
run_in "$work/root-test" example-after-tests "$example_command"
ends_with_listing "$work/root-test-example-after-tests.log"
rm -rf "$work/root-test"
echo "+ [$(elapsed) s] the README's commands work in fresh roots"
