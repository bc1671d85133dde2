#!/bin/sh
# End to end, with real X input through xdotool: a table built with the mouse
# and keys, saved through the Save dialog, the program closed answering its
# question, the file opened again from the Open dialog and the command line.
#   sh tests/e2e/editor_e2e.sh BUILD_DIR SOURCE_DIR
# Needs DISPLAY (Xvfb, no window manager) and the build's Wine prefix with its
# wineserver running; it ends only the programs it started.
set -u

BUILD=$(cd "$1" && pwd) || exit 2
SRC=$(cd "$2" && pwd) || exit 2
export WINEPREFIX="$BUILD/wineprefix" WINEDEBUG=-all
. "$SRC/cmake/wine-env.sh"  # WINEARCH comes from the build's test environment
PROGRAM="$BUILD/bin/Bumpwright.exe"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/bw-e2e.XXXXXX") || exit 2
PID=""
cleanup() {
    [ -n "$PID" ] && kill "$PID" 2>/dev/null
    # A program ended this way leaves its copy of unsaved changes, which
    # the next start would offer back.
    rm -f "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Bumpwright/Recovery*.txt
    # The pointer goes back off the windows: the tests after this one must
    # get no mouse moves.
    xdotool mousemove 1000 740 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

fail() {
    echo "FAIL: $*"
    for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        echo "  window on the screen: $(xdotool getwindowname "$id" 2>/dev/null)"
    done
    [ -f "$WORK/program.log" ] && grep -v 'Read access denied' "$WORK/program.log" | tail -n 20
    exit 1
}

[ -n "${DISPLAY:-}" ] || fail "no DISPLAY"
[ -f "$PROGRAM" ] || fail "no $PROGRAM"
WORK_WIN="Z:$(echo "$WORK" | sed 's|/|\\|g')"  # as the program sees it: drive Z: is /
TABLE="$WORK/e2e_table.bwt"

start() { wine "$PROGRAM" "$@" >>"$WORK/program.log" 2>&1 & PID=$!; }
# The visible windows titled exactly $1. A search fails now and then when a
# window (a tool tip) goes away during it: a search that finds none is made again.
shown() { for i in 1 2 3; do xdotool search --onlyvisible --name "^$1\$" 2>/dev/null && return; done; }
window() { for i in $(seq 150); do shown "$1" | head -n 1 | grep . && return; sleep 0.2; done; }  # waits 30 s
until_true() {  # waits until $1 (a shell test) holds, for at most 30 s
    i=0
    until eval "$1"; do
        i=$((i + 1))
        [ $i -gt 300 ] && fail "waited in vain for: $1"
        sleep 0.1
    done
}
ended() { until_true '! kill -0 "$PID" 2>/dev/null'; PID=""; }

# Wine draws the frame itself (there is no window manager): the client area starts
# 5 pixels right of the window's corner and 43 below it. The toolbar is at client x
# 432 onwards, buttons of 27 x 26 pixels one below the other, 8 apart after Save.
click() { xdotool mousemove --window "$MAIN" $((5 + $1)) $((43 + $2)) click "${3:-1}"; }
tool() { click 445 $((73 + 26 * $1)); }  # 0 = 10-point obstacle, 3 hole, 4 and 5 flippers, 6 cannon, 7 border
type_name() {  # into the file dialog titled $1
    title=$1
    [ -n "$(window "$title")" ] || fail "the $title dialog did not open"
    xdotool key End shift+Home
    xdotool type --delay 5 "$2"
    xdotool key Return
    until_true '[ -z "$(shown "$title")" ]'
}

# ---- build a table and save it ---------------------------------------------------
start
MAIN=$(window Bumpwright)
[ -n "$MAIN" ] || fail "the main window did not open"
click 100 100  # makes the window active; no tool is selected, so nothing is placed
# A mouse position is made even and halved: window (61, 81) is table (30, 40).
tool 0; click 61 81
tool 4; click 81 171
tool 5; click 161 171
tool 6; click 221 181
tool 7; click 21 21; click 221 21; click 221 121; click 221 121 3  # the right button ends the border
xdotool key alt+f s  # Save: no file yet, so the Save dialog opens
type_name "Save As" "$WORK_WIN\\e2e_table"
until_true '[ "$(wc -c <"$TABLE" 2>/dev/null)" = 35 ]'
[ -n "$(window 'e2e_table.bwt - Bumpwright')" ] || fail "the title does not name the file"
# The header, then a record (x, y, kind) per piece in the order placed, the
# border as its start point and corners with an end record of its own, and
# the table's end record.
for n in 66 87 84 0 0 0 0 0  30 40 4  40 85 8  80 85 9  110 90 10  10 10 1  110 10 11  110 60 11  0 0 0  0 0 0; do
    printf "\\$(printf '%03o' "$n")"
done >"$WORK/expected.bwt"
cmp "$TABLE" "$WORK/expected.bwt" || { od -An -tu1 "$TABLE"; fail "the saved bytes differ"; }

# ---- close, answering the unsaved question -------------------------------------------
tool 3; click 121 141  # a hole, not saved
xdotool key alt+F4
[ -n "$(window Bumpwright)" ] || fail "closing did not ask about the unsaved table"
xdotool key Escape  # Cancel: the program stays
until_true '[ -z "$(shown Bumpwright)" ]'
kill -0 "$PID" 2>/dev/null || fail "Cancel closed the program"
xdotool key alt+F4
[ -n "$(window Bumpwright)" ] || fail "closing again did not ask"
xdotool key n  # No: close without saving
ended
cmp "$TABLE" "$WORK/expected.bwt" || fail "No changed the file"

# ---- open it again, through the Open dialog and from the command line ----------------------
start
MAIN=$(window Bumpwright)
click 100 100
xdotool key alt+f o
type_name Open "$WORK_WIN\\e2e_table.bwt"
MAIN=$(window 'e2e_table.bwt - Bumpwright')
[ -n "$MAIN" ] || fail "the opened file is not named in the title"
# The 10-point obstacle is painted yellow at window (60, 80).
until_true 'import -window "$MAIN" "$WORK/opened.png" 2>/dev/null &&
    convert "$WORK/opened.png" -format "%[fx:p{65,123}.r>0.8&&p{65,123}.g>0.8&&p{65,123}.b<0.2]" info: | grep -q 1'
xdotool key alt+f x  # Exit: nothing unsaved, nothing asked
ended
start "$WORK_WIN\\e2e_table.bwt"
MAIN=$(window 'e2e_table.bwt - Bumpwright')
[ -n "$MAIN" ] || fail "the file named on the command line was not opened"
click 100 100
xdotool key alt+F4
ended
cmp "$TABLE" "$WORK/expected.bwt" || fail "opening changed the file"
echo "PASS: built, saved, closed and reopened e2e_table.bwt"
