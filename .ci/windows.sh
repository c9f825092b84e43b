#!/usr/bin/env bash
# The Windows pass: cross-build dovla32.exe and sheettool.exe with
# MinGW-w64 (Release, the example built under Wine), package them as the
# .zip users download and check that package under Wine, then run the
# native end-to-end tests against the programs under Wine.
#
#   bash .ci/windows.sh [NATIVE]
#
# NATIVE is a native build directory (brought up to date, so that test_e2e
# and the example it runs on are there) or a test_e2e binary itself; without
# it the native build is made in build-wintest. The cross build goes to build-windows, or to
# $DOVLA32_WINDOWS_BUILD.
set -euo pipefail
native=${1:-}
if [[ -n "$native" ]]; then
  native=$(realpath "$native")
fi
cross=$(realpath -m "${DOVLA32_WINDOWS_BUILD:-$(dirname "$0")/../build-windows}")
cd "$(dirname "$0")/.."
root=$(pwd)
started=$(date +%s.%N)

elapsed() {
  awk -v s="$started" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s }'
}

echo "+ [$(elapsed) s] installing what is missing"
bash scripts/install-packages.sh test
bash scripts/install-packages.sh windows

# A prefix of its own, no display (Wine then needs no X server), no debug
# channels, and no offer to install Mono or Gecko.
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/dovla32-wine.XXXXXX")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

# One persistent server for the prefix's set-up and every run of the tests,
# instead of a server start per run.
echo "+ [$(elapsed) s] wineboot"
boot_started=$(date +%s.%N)
boot_log="$WINEPREFIX/boot.log"
wineserver -p
if ! timeout 300 wineboot -i >"$boot_log" 2>&1; then
  cat "$boot_log" >&2
  exit 1
fi
echo "+ wine ready: wineboot took $(awk -v s="$boot_started" -v e="$(date +%s.%N)" \
  'BEGIN { printf "%.1f", e - s }') s"

echo "+ [$(elapsed) s] cross build and package ($cross)"
cmake -S . -B "$cross" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DDOVLA32_TESTS=OFF
cmake --build "$cross" -j2 --target package
exe="$cross/dovla32.exe"
bash tests/packaging/check_packages.sh "$cross"/dovla32-*-win64.zip

# Static linking leaves only DLLs that every Windows has.
for program in dovla32.exe sheettool.exe; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$cross/$program" | awk '/DLL Name:/ { print $3 }')
  echo "+ $program imports: $(echo $dlls)"
  for dll in $dlls; do
    case "${dll,,}" in
      kernel32.dll | msvcrt.dll | user32.dll | advapi32.dll | ucrtbase.dll | api-ms-win-*) ;;
      *) echo "$program needs $dll, which Windows does not ship" >&2; exit 1 ;;
    esac
  done
done

if [[ -z "$native" ]]; then
  echo "+ [$(elapsed) s] native build (build-wintest)"
  cmake -S . -B build-wintest
  cmake --build build-wintest -j2
  test_e2e="$root/build-wintest/tests/test_e2e"
elif [[ -d "$native" ]]; then
  echo "+ [$(elapsed) s] native build ($native)"
  cmake --build "$native" -j2
  test_e2e="$native/tests/test_e2e"
else
  test_e2e=$native
fi
[[ -x "$test_e2e" ]] || { echo "no test_e2e at $test_e2e" >&2; exit 1; }

echo "+ [$(elapsed) s] test_e2e against $exe under wine"
results="$WINEPREFIX/test_e2e.xml"
status=0
DOVLA32_RUNNER=wine DOVLA32_PROGRAM="$exe" DOVLA32_SHEETTOOL="$cross/sheettool.exe" \
  DOVLA32_CRLF=1 \
  timeout 1800 "$test_e2e" --gtest_brief=1 --gtest_output="xml:$results" || status=$?
if [[ -f "$results" ]]; then
  awk '/<testsuites / { match($0, / tests="[0-9]+"/); total = substr($0, RSTART + 8, RLENGTH - 9)
                        match($0, / failures="[0-9]+"/); failed = substr($0, RSTART + 11, RLENGTH - 12) }
       /<testsuite / { match($0, / skipped="[0-9]+"/); skipped += substr($0, RSTART + 10, RLENGTH - 11) }
       END { printf "windows: %d passed, %d failed, %d skipped\n", total - failed - skipped, failed, skipped }' \
    "$results"
fi
echo "+ Windows pass took $(elapsed) s"
exit "$status"
