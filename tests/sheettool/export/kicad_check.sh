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
# Stacked pins (two pins of a part at one point) on the ends of three
# wires, a junction elsewhere on the sheet, and the same on a part without a
# reference: KiCad connects every pin as the design does (its net list for
# U1, its rules check for the part it leaves out of the net list).
cat >stacked.lib.txt <<'LIBRARY'
library-file
header
part name="STK" width=4 height=4 blocks=1 pins=3
  pin side=left offset=2 numbers=1
  pin side=left offset=2 numbers=2
  pin side=right offset=2 numbers=3
LIBRARY
cat >stacked.txt <<'SHEET'
sheet-file
sheet code=4
part at=100,100 ref="U1" name="STK" lib="STK"
wire from=10,80 to=50,80
wire from=50,40 to=50,80
wire from=50,130 to=50,80
part at=0,90 ref="R1" name="RES" lib="RES"
part at=100,50 ref="R2" name="RES" lib="RES"
part at=100,140 ref="R3" name="RES" lib="RES"
wire from=200,200 to=300,200
wire from=250,150 to=250,250
junction at=250,200
part at=500,100 ref="" name="STK" lib="STK"
wire from=410,80 to=450,80
wire from=450,40 to=450,80
wire from=450,130 to=450,80
junction at=450,80
part at=400,90 ref="R5" name="RES" lib="RES"
SHEET
"$build/sheettool" build stacked.lib.txt -o stacked.lib && echo "LIB2=stacked.lib" >>TAVEL.INI &&
  "$build/sheettool" build stacked.txt -o stacked.sch || fail "the stacked pins' design is not built"
check_nets stacked stacked.sch
if kicad erc stacked/stacked.kicad_sch stacked.rpt; then
  ! grep -A3 "pin_not_connected" stacked.rpt | grep -E "Symbol (U1|#U01) .*Pin [12] " ||
    fail "KiCad's rules check leaves a stacked pin unconnected"
else
  fail "KiCad's rules check did not run on the stacked pins"
fi
for seed in 3 6 9 12; do
  python3 "$here/random_design.py" $seed >r$seed.txt
  "$build/sheettool" build r$seed.txt -o r$seed.sch || { fail "seed $seed: not built"; continue; }
  check_nets random$seed r$seed.sch $( ((seed % 2)) && echo -s)
done
echo "$failures failures; screenshots in $shots"
((failures == 0))
