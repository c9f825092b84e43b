#!/usr/bin/env bash
# KiCad 6 itself on an exported project, for the tests:
#   kicad_run.sh netlist SCHEMATIC OUT.xml   KiCad's own net list of it (its XML form)
#   kicad_run.sh screenshot SCHEMATIC OUT.png  the schematic editor's window as it draws it
#   kicad_run.sh erc SCHEMATIC OUT.rpt         KiCad's electrical rules check, its report saved
# The schematic editor runs on a virtual display with a HOME of its own, so
# nothing of the user's KiCad is read or changed. Exit 77 (a skipped test)
# with a message when KiCad, Xvfb, xdotool or ImageMagick is missing; 1 when
# KiCad did not do it.
set -u
[[ $# == 3 && ( $1 == netlist || $1 == screenshot || $1 == erc ) ]] ||
  { echo "usage: $0 netlist|screenshot|erc SCHEMATIC OUT" >&2; exit 2; }
for tool in eeschema xvfb-run xdotool import; do
  command -v "$tool" >/dev/null ||
    { echo "$0: $tool is missing (scripts/install-packages.sh kicad installs it); not run" >&2; exit 77; }
done
mode=$1
schematic=$(realpath "$2")
out=$(realpath -m "$3")
rm -f "$out"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
config=$home/.config/kicad/6.0
mkdir -p "$config"
# KiCad opens a copy of the project: the lock files it leaves behind when it
# is stopped must not stand in the way of the next run.
cp -r "$(dirname "$schematic")" "$home/project"
schematic=$home/project/$(basename "$schematic")
echo "(sym_lib_table)" >"$config/sym-lib-table"
echo "(fp_lib_table)" >"$config/fp-lib-table"
# The net list comes through the BOM dialog: its generator copies the
# intermediate net list that KiCad hands it (%I) to OUT.
printf '#!/bin/sh\ncp "$1" "%s"\n' "$out" >"$home/copy.sh"
chmod +x "$home/copy.sh"
cat >"$config/eeschema.json" <<JSON
{ "bom": { "plugins": [ { "command": "sh $home/copy.sh \"%I\"", "name": "copy", "path": "$home/copy.sh" } ],
           "selected_plugin": "copy" } }
JSON
export HOME=$home MODE=$mode SCHEMATIC=$schematic OUT=$out
screen=1280x900x24
[[ $mode == erc ]] && screen=1600x1000x24 # room for the checker's dialog beside the editor
timeout 240 xvfb-run -a -s "-screen 0 $screen" bash -c '
  window() { # window NAME SECONDS
    for _ in $(seq 1 "$2"); do
      w=$(xdotool search --name "$1" 2>/dev/null | tail -n 1)
      [[ -n $w ]] && { echo "$w"; return 0; }
      sleep 1
    done
    return 1
  }
  eeschema "$SCHEMATIC" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 1 90); do
    # The first run asks where the settings are: the default.
    w=$(xdotool search --name "Configure KiCad Settings Path" 2>/dev/null | tail -n 1)
    [[ -n $w ]] && { xdotool windowfocus "$w" 2>/dev/null; xdotool key Return; sleep 2; }
    xdotool search --name "Schematic Editor" >/dev/null 2>&1 && break
    sleep 1
  done
  editor=$(window "Schematic Editor" 5) || { echo "the schematic editor did not open" >&2; kill $pid; exit 1; }
  sleep 4
  xdotool windowfocus "$editor" 2>/dev/null
  if [[ $MODE == screenshot ]]; then
    xdotool windowsize "$editor" 1280 900 2>/dev/null
    xdotool windowmove "$editor" 0 0 2>/dev/null
    sleep 1; xdotool key ctrl+Home; xdotool mousemove 1279 899; sleep 2
    import -window root "$OUT"
  elif [[ $MODE == erc ]]; then
    # Inspect > Electrical Rules Checker, Run (the default button), then
    # the dialog'"'"'s Save... button and the report'"'"'s name.
    xdotool windowsize "$editor" 1600 1000 2>/dev/null
    xdotool key alt+i; sleep 1; xdotool key Return
    erc=$(window "Electrical Rules Checker" 10) || { echo "the rules checker did not open" >&2; kill $pid; exit 1; }
    xdotool windowfocus "$erc" 2>/dev/null; xdotool key Return; sleep 8
    eval "$(xdotool getwindowgeometry --shell "$erc")"
    xdotool mousemove $((X + WIDTH - 61)) $((Y + HEIGHT - 78)) click 1; sleep 3
    xdotool key ctrl+a; xdotool type "$OUT"; sleep 1; xdotool key Return; sleep 3
  else
    xdotool key alt+t; sleep 1; xdotool key End Return
    dialog=$(window "Bill of Material" 30) || { echo "the BOM dialog did not open" >&2; kill $pid; exit 1; }
    # Generate, once the dialog has settled; again should a click be lost.
    sleep 2
    for _ in 1 2 3; do
      eval "$(xdotool getwindowgeometry --shell "$dialog")"
      xdotool windowfocus "$dialog" 2>/dev/null
      xdotool mousemove $((X + WIDTH - 60)) $((Y + HEIGHT - 22)) click 1
      for _ in $(seq 1 20); do [[ -s $OUT ]] && break 2; sleep 1; done
    done
    xdotool key Escape; sleep 1
  fi
  kill $pid 2>/dev/null
  wait $pid 2>/dev/null
  [[ -s $OUT ]]'
[[ -s $out ]] || { echo "$0: KiCad wrote no $mode of $2" >&2; exit 1; }
