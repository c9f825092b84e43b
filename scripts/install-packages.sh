#!/usr/bin/env bash
# Installs the Debian packages that a part of the work needs, those of them
# that are missing and nothing else, with apt-get: as root directly, else
# through sudo. Nothing is downloaded from anywhere but Debian's archive.
#
#   scripts/install-packages.sh GROUP...
#
# The groups:
#   build     dovla32 alone: CMake, make and a C++ compiler
#   example   build, and sheettool's JSON and command line libraries: the
#             shipped example is made by sheettool from its texts
#   test      example, and all that the tests use: GoogleTest, libpng (the
#             page's screenshots), git (the diff driver), groff (the manual
#             pages), Chromium (the page in a browser), ESLint (its script),
#             poppler-utils (the printed page read back as pixels),
#             Python (the page's script hash)
#   package   the Linux packages: dpkg-dev (their dependencies), lintian
#   windows   the cross build with MinGW-w64 and the runs under 64-bit Wine
#   kicad     KiCad 6 and a virtual display (Xvfb, xdotool, ImageMagick): the
#             tests open exported projects in KiCad itself
#   npm       npm, which installs the SARIF validator of the tests
#             (scripts/install-sarif-validator.sh)
#   fuzz      clang with its libFuzzer and sanitizer runtimes
#   fresh     mmdebstrap, to make the fresh Debian roots that CI runs the
#             README's commands in
set -euo pipefail

packages=()
recommends=yes
for group in "$@"; do
  case "$group" in
  build) packages+=(cmake make g++) ;;
  example) packages+=(cmake make g++ nlohmann-json3-dev libcli11-dev) ;;
  test)
    packages+=(cmake make g++ nlohmann-json3-dev libcli11-dev libgtest-dev libpng-dev git
      groff-base chromium eslint python3 poppler-utils)
    ;;
  package) packages+=(dpkg-dev lintian groff-base) ;;
  # 64-bit Wine alone runs a 64-bit program: wine32 and the i386
  # architecture (Recommends of wine64) are left out. The preloader reserves
  # the addresses Wine must have before the system loader can take them;
  # without it about one start in a few hundred fails.
  windows)
    packages+=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 wine64-preloader
      groff-base)
    recommends=no
    ;;
  kicad)
    packages+=(kicad xvfb xauth xdotool imagemagick python3)
    recommends=no
    ;;
  npm) packages+=(npm) ;;
  fuzz) packages+=(clang libclang-rt-14-dev) ;;
  fresh) packages+=(mmdebstrap) ;;
  *)
    echo "usage: scripts/install-packages.sh build|example|test|package|windows|kicad|npm|fuzz|fresh..." >&2
    exit 2
    ;;
  esac
done
((${#packages[@]})) || { echo "usage: scripts/install-packages.sh GROUP..." >&2; exit 2; }

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    [[ " ${missing[*]} " == *" $package "* ]] || missing+=("$package")
  fi
done
((${#missing[@]})) || exit 0

as_root=()
if [[ $(id -u) != 0 ]]; then
  command -v sudo >/dev/null || {
    echo "install-packages: not root and no sudo; install as root: ${missing[*]}" >&2
    exit 1
  }
  as_root=(sudo)
fi
# The downloaded archives go once they are installed: nothing reads them
# again, and on a small disk they are gigabytes (Chromium, KiCad, Wine).
options=(-y -q -o APT::Keep-Downloaded-Packages=false)
[[ $recommends == yes ]] || options+=(--no-install-recommends)
echo "install-packages: installing ${missing[*]}" >&2
"${as_root[@]}" apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install "${options[@]}" "${missing[@]}"
