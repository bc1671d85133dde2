#!/bin/sh
# End to end: a user builds a table in the running Bumpwright.exe with the
# mouse and the keyboard (real X input through xdotool), saves it through
# the Save dialog by typing a name, closes the program answering its
# questions, and opens the file again.
#
#   sh tests/e2e/editor_e2e.sh BUILD_DIR SOURCE_DIR [BWTOOL]
#
# Needs DISPLAY (an X server such as Xvfb without a window manager) and the
# build's Wine prefix with its wineserver running. Everything it writes
# goes to a temporary folder that it removes; it ends every program it
# started, and only those.
set -u

BUILD=$(cd "$1" && pwd) || exit 2
SRC=$(cd "$2" && pwd) || exit 2
BWTOOL=${3:-$SRC/build/native/bwtool}
export WINEPREFIX="$BUILD/wineprefix" WINEARCH=win32 WINEDEBUG=-all
PROGRAM="$BUILD/bin/Bumpwright.exe"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/bw-e2e.XXXXXX") || exit 2
PID=""
cleanup() {
    [ -n "$PID" ] && kill "$PID" 2>/dev/null
    # A program ended this way leaves its copy of unsaved changes, which
    # the next start would offer back.
    rm -f "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Bumpwright/Recovery.txt
    # The pointer goes back off the windows: the tests after this one place
    # their windows at the screen's corner and must get no mouse moves.
    xdotool mousemove 1000 740 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

fail() {
    echo "FAIL: $*"
    echo "windows on the screen:"
    for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        echo "  $(xdotool getwindowname "$id" 2>/dev/null)"
    done
    [ -f "$WORK/program.log" ] && grep -v 'Read access denied' "$WORK/program.log" | tail -n 20
    exit 1
}

[ -n "${DISPLAY:-}" ] || fail "no DISPLAY"
[ -x "$BWTOOL" ] || fail "no bwtool at $BWTOOL (build the native tools first)"
[ -f "$PROGRAM" ] || fail "no $PROGRAM"

# The temporary folder as the program sees it (Wine's drive Z: is /).
WORK_WIN="Z:$(echo "$WORK" | sed 's|/|\\|g')"
TABLE="$WORK/e2e_table.bwt"

start() {  # arguments for the program
    wine "$PROGRAM" "$@" >>"$WORK/program.log" 2>&1 &
    PID=$!
}

# The id of the visible window whose title is exactly $1, waiting for it.
window() {
    timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1
}

# Waits until no visible window has the title $1.
gone() {
    i=0
    while xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; do
        i=$((i + 1))
        [ $i -gt 300 ] && fail "window \"$1\" still open"
        sleep 0.1
    done
}

# Waits for the program to end by itself.
ended() {
    i=0
    while kill -0 "$PID" 2>/dev/null; do
        i=$((i + 1))
        [ $i -gt 300 ] && fail "the program did not end"
        sleep 0.1
    done
    wait "$PID" 2>/dev/null
    PID=""
}

# Wine draws the frame itself (there is no window manager): the client area
# starts 5 pixels right of the window's corner (3 of frame, 2 of sunken
# edge) and 43 below it (frame, caption, menu bar, edge).
CLIENT_X=5
CLIENT_Y=43
click() {  # client x, y [button]
    xdotool mousemove --window "$MAIN" $((CLIENT_X + $1)) $((CLIENT_Y + $2)) click "${3:-1}"
}

# The toolbar on the right edge: client x 432 onwards, buttons of 27 x 26
# pixels one below the other, a separator of 8 after Open and Save.
tool() {  # button index among the tools, 0 = 10-point obstacle
    click 445 $((73 + 26 * $1))
}
OBSTACLE10=0
HOLE=3
LEFT_FLIPPER=4
RIGHT_FLIPPER=5
CANNON=6
BORDER=7

# Bytes given as decimal numbers.
bytes() {
    for n in "$@"; do printf "\\$(printf '%03o' "$n")"; done
}

# ---- 1. build a table ---------------------------------------------------------------
start
MAIN=$(window Bumpwright)
[ -n "$MAIN" ] || fail "the main window did not open"
click 100 100  # makes the window active; no tool is selected, so nothing is placed

# A mouse position is made even and halved: window (61, 81) is table (30, 40).
tool $OBSTACLE10
click 61 81        # (30, 40)
tool $LEFT_FLIPPER
click 81 171       # (40, 85)
tool $RIGHT_FLIPPER
click 161 171      # (80, 85)
tool $CANNON
click 221 181      # (110, 90)
tool $BORDER
click 21 21        # start point (10, 10)
click 221 21       # vertex (110, 10)
click 221 121      # vertex (110, 60)
click 221 121 3    # the right button ends the border

# ---- 2. save it through the Save dialog -----------------------------------------------
xdotool key alt+f
xdotool key s      # Save: no file yet, so the Save dialog opens
DIALOG=$(window "Save As")
[ -n "$DIALOG" ] || fail "the Save dialog did not open"
xdotool key End shift+Home
xdotool type --delay 5 "$WORK_WIN\\e2e_table"
xdotool key Return
gone "Save As"
i=0
while [ ! -s "$TABLE" ] || [ "$(wc -c <"$TABLE")" -ne 35 ]; do
    i=$((i + 1))
    [ $i -gt 100 ] && fail "no table file of 35 bytes at $TABLE"
    sleep 0.1
done
[ -n "$(window 'e2e_table.bwt - Bumpwright')" ] || fail "the title does not name the file"

# The header, then one record (x, y, kind) per piece in the order placed,
# the border as its start point (kind 1) and vertices (kind 11) with an end
# record of its own, and the end record of the table.
bytes 66 87 84 0 0 0 0 0 \
      30 40 4   40 85 8   80 85 9   110 90 10 \
      10 10 1   110 10 11   110 60 11   0 0 0 \
      0 0 0 >"$WORK/expected.bwt"
cmp "$TABLE" "$WORK/expected.bwt" || {
    od -An -tu1 "$TABLE"
    fail "the saved bytes differ"
}

# The loader's view: depth, kind, x, y per piece. The cannon builds its four
# walls at its corners (x +/- 3, y +/- 3); the border is a group at (0, 0)
# holding the start point and the segments.
"$BWTOOL" dump "$TABLE" >"$WORK/dump.txt" || fail "bwtool dump failed"
cat >"$WORK/dump.expected" <<'EOF'
0 4 30 40
0 8 40 85
0 9 80 85
0 10 110 90
1 11 113 87
1 11 113 93
1 11 107 93
1 11 107 87
0 2 0 0
1 1 10 10
1 11 110 10
1 11 110 60
records 9
EOF
diff "$WORK/dump.expected" "$WORK/dump.txt" || fail "bwtool dump differs"

# ---- 3. close, answering the unsaved question ---------------------------------------------
tool $HOLE
click 121 141      # a hole at (60, 70), not saved
xdotool key alt+F4
BOX=$(window Bumpwright)
[ -n "$BOX" ] || fail "closing did not ask about the unsaved table"
xdotool key Escape # Cancel: the program stays
gone Bumpwright
kill -0 "$PID" 2>/dev/null || fail "Cancel closed the program"
xdotool key alt+F4
[ -n "$(window Bumpwright)" ] || fail "closing again did not ask"
xdotool key n      # No: close without saving
ended
cmp "$TABLE" "$WORK/expected.bwt" || fail "No changed the file"

# ---- 4. open it again -------------------------------------------------------------------------
# Through the Open dialog ...
start
MAIN=$(window Bumpwright)
[ -n "$MAIN" ] || fail "the main window did not open again"
click 100 100
xdotool key alt+f
xdotool key o
DIALOG=$(window Open)
[ -n "$DIALOG" ] || fail "the Open dialog did not open"
xdotool key End shift+Home
xdotool type --delay 5 "$WORK_WIN\\e2e_table.bwt"
xdotool key Return
gone Open
MAIN=$(window 'e2e_table.bwt - Bumpwright')
[ -n "$MAIN" ] || fail "the opened file is not named in the title"
# The 10-point obstacle is painted yellow at window (60, 80).
i=0
while :; do
    import -window "$MAIN" "$WORK/opened.png" 2>/dev/null
    colour=$(convert "$WORK/opened.png" -format "%[pixel:p{$((CLIENT_X + 60)),$((CLIENT_Y + 80))}]" info: 2>/dev/null)
    case "$colour" in srgb\(2[0-9][0-9],2[0-9][0-9],[0-9]\)|srgb\(2[0-9][0-9],2[0-9][0-9],[0-9][0-9]\)) break ;; esac
    i=$((i + 1))
    [ $i -gt 50 ] && fail "no yellow obstacle at (60, 80): $colour"
    sleep 0.1
done
xdotool key alt+f
xdotool key x      # Exit: nothing unsaved, nothing asked
ended

# ... and named on the command line.
start "$WORK_WIN\\e2e_table.bwt"
MAIN=$(window 'e2e_table.bwt - Bumpwright')
[ -n "$MAIN" ] || fail "the file named on the command line was not opened"
click 100 100
xdotool key alt+F4
ended
cmp "$TABLE" "$WORK/expected.bwt" || fail "opening changed the file"

echo "PASS: built, saved, closed and reopened e2e_table.bwt"
exit 0
