#!/usr/bin/env bash
# KiCad 6 on exported projects: the shipped example opens in the schematic
# editor with both sheets drawn (screenshots kept in SHOTS, checked for
# KiCad's colours of wires, buses and part bodies) and passes KiCad's rules
# check, and KiCad's own net list of the example, of the designs made to meet its rules where they
# differ and of random designs equals the design's nets.
#   kicad_check.sh BUILD_DIR SHOTS
# Exit 77 (skipped) where KiCad, Xvfb, xdotool or ImageMagick is missing.
set -u
build=$(realpath "$1")
shots=$(realpath -m "$2")
here=$(dirname "$(realpath "$0")")
run=$here/kicad_run.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$shots"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cp "$build"/examples/{demo.sch,basic.lib,logic.lib,TAVEL.INI} "$work"/
cd "$work" || exit 1
"$build/sheettool" export kicad-project demo.sch -o demo >/dev/null || exit 1

# KiCad on a virtual display, once more when it did not come up (a display
# taken by another run at the same moment).
kicad() {
  "$run" "$@"
  local status=$?
  ((status == 1)) || return $status
  "$run" "$@"
}

# Pixels of a colour in a screenshot.
pixels() { convert "$1" -fill black +opaque "rgb($2)" -fill white -opaque "rgb($2)" \
  -format '%[fx:int(mean*w*h+0.5)]' info:; }

for file in demo-sheet1 demo-sheet2 demo; do
  kicad screenshot "demo/$file.kicad_sch" "$shots/$file.png"
  status=$?
  [[ $status == 77 ]] && exit 77
  [[ $status == 0 ]] || { fail "KiCad did not show $file"; continue; }
  if [[ $file == demo ]]; then
    # The root: a sheet symbol for each sheet, its file named in brown.
    (($(pixels "$shots/$file.png" 114,86,0) > 100)) || fail "the root shows no sheets"
    continue
  fi
  wires=$(pixels "$shots/$file.png" 0,150,0)
  buses=$(pixels "$shots/$file.png" 0,0,132)
  bodies=$(pixels "$shots/$file.png" 255,255,194)
  echo "$file: $wires wire, $buses bus, $bodies part body pixels"
  ((wires > 500)) || fail "$file: no wires drawn"
  ((buses > 100)) || fail "$file: no bus drawn"
  ((bodies > 1000)) || fail "$file: no parts drawn"
done

# KiCad's rules check on the example finds nothing: power symbols as KiCad's
# own, each power net driven by a PWR_FLAG.
if kicad erc demo/demo.kicad_sch demo.rpt; then
  grep -q "ERC messages: 0 " demo.rpt || { fail "KiCad's rules check of the example:"; cat demo.rpt; }
else
  fail "KiCad's rules check did not run"
fi

# KiCad's own nets.
check_nets() { # check_nets NAME SHEET OPTIONS...
  local name=$1 sheet=$2
  shift 2
  rm -rf "$name"
  "$build/sheettool" nets --json "$@" "$sheet" -o "$name.json" || { fail "$name: no nets"; return; }
  "$build/sheettool" export kicad-project "$@" "$sheet" -o "$name" >/dev/null 2>&1 ||
    { fail "$name: no export"; return; }
  kicad netlist "$name/${sheet%.sch}.kicad_sch" "$name.xml" || { fail "$name: KiCad wrote no net list"; return; }
  python3 "$here/kicad_nets.py" "$name/${sheet%.sch}.kicad_sch" "$name.json" --xml "$name.xml" ||
    fail "$name: KiCad's nets differ"
}
check_nets example demo.sch
check_nets example-w demo.sch -wD1
# The designs made to meet KiCad's rules where they differ from dovla32's.
python3 "$here/export_checks.py" cases "$build" "$work" >/dev/null || fail "the cases do not export"
for case in case*.sch; do
  check_nets "${case%.sch}" "$case"
done
# Shared and unannotated references: KiCad makes a net list of the project
# (it refuses one of a schematic not fully annotated), the same as export's.
python3 -c "import sys; sys.path.insert(0, '$here'); import export_checks; print(export_checks.Checks.ANNOTATION, end='')" >refs.txt
"$build/sheettool" build refs.txt -o refs.sch || fail "the references' design is not built"
check_nets refs refs.sch
"$build/sheettool" export kicad-netlist refs.sch -o refs.net 2>/dev/null
python3 "$here/kicad_nets.py" --same-netlist refs.net refs.xml || fail "export's net list is not KiCad's"
for seed in 3 6 9 12; do
  python3 "$here/random_design.py" $seed >r$seed.txt
  "$build/sheettool" build r$seed.txt -o r$seed.sch || { fail "seed $seed: not built"; continue; }
  check_nets random$seed r$seed.sch $( ((seed % 2)) && echo -s)
done
echo "$failures failures; screenshots in $shots"
((failures == 0))
