#!/usr/bin/env bash
# Installs the validator that the tests check sheettool's SARIF logs with:
# the SARIF multitool, a self-contained Linux program from the npm
# registry, pinned to one version. It goes to DIR (by default
# ~/.local/share/dovla32-tools), as DIR/bin/sarif-multitool, where CMake
# looks for it; nothing is done when it is there already. npm comes from
# Debian.
#
#   scripts/install-sarif-validator.sh [DIR]
set -euo pipefail
dir=${1:-${XDG_DATA_HOME:-$HOME/.local/share}/dovla32-tools}
version=5.7.0
tool="$dir/bin/sarif-multitool"
if [[ -x "$tool" ]] && "$tool" --version 2>/dev/null | grep -q "$version"; then
  exit 0
fi
command -v npm >/dev/null || bash "$(dirname "$0")/install-packages.sh" npm
mkdir -p "$dir/bin"
npm install --prefix "$dir" --no-save --no-audit --no-fund --loglevel=error \
  "@microsoft/sarif-multitool-linux@$version"
program="$dir/node_modules/@microsoft/sarif-multitool-linux/Sarif.Multitool"
# The package leaves the program without its execute bit.
chmod +x "$program"
ln -sf "$program" "$tool"
"$tool" --version >/dev/null
