#!/bin/sh
# The release as a Windows user meets it, in a Wine prefix of its own made in
# WORK_DIR: install, open by association, upgrade, uninstall, the portable zip.
#   sh tests/release/install_test.sh BUILD_DIR DIST_DIR WORK_DIR     (needs DISPLAY)
set -u -f  # no globbing: "_?=" below is the uninstaller's switch
HERE=$(cd "$(dirname "$0")" && pwd)
VERSION=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$1/CMakeCache.txt")
SETUP=$(cd "$2" && pwd)/Bumpwright-$VERSION-setup.exe
ZIP=$(cd "$2" && pwd)/Bumpwright-$VERSION-portable.zip
rm -rf "$3" && mkdir -p "$3" && WORK=$(cd "$3" && pwd) || exit 2
export WINEPREFIX="$WORK/prefix" WINEDEBUG=-all
. "$HERE/../../cmake/wine-env.sh"  # WINEARCH: win32, or win64 for the 64-bit build
export WINEDLLOVERRIDES="winemenubuilder.exe=d"  # no menus or MIME types in the real home
trap 'wineserver -k 2>/dev/null' EXIT

fail() { echo "FAIL: $*"; exit 1; }
ok() { echo "ok: $*"; }
unix() { printf '%s' "$1" | sed "s|^C:|$WINEPREFIX/drive_c|; s|\\\\|/|g"; }  # C:\a\b -> prefix path
query() {  # KEY: reads it and its subkeys into reg.txt; fails when it is absent
    wine reg query "$1" /s 2>/dev/null | tr -d '\r' >"$WORK/reg.txt" && [ -s "$WORK/reg.txt" ]
}
value() {  # SUBKEY NAME: the data of NAME ("(Default)") in the queried key's SUBKEY ("" = itself)
    awk -F '    ' -v key="$1" -v name="$2" '/^HKEY_/ { here = substr($0, length($0) - length(key) + 1) == key; next }
        here && $2 == name { print $4; exit }' "$WORK/reg.txt"
}
gone() { ! wine reg query "$1" >/dev/null 2>&1; }
window() {  # waits 30 s; a search fails now and then when a window goes away during it
    for i in $(seq 150); do xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 | grep . && return; sleep 0.2; done; }
opened() {  # TITLE: a window with exactly this title appears; Alt+F4 closes it
    id=$(window ' - Bumpwright$') && [ "$(xdotool getwindowname "$id")" = "$1" ] ||
        fail "no window \"$1\" ($(xdotool getwindowname "${id:-0}" 2>/dev/null))"
    xdotool windowfocus --sync "$id" key alt+F4
    for i in $(seq 100); do xdotool search --onlyvisible --name ' - Bumpwright$' >/dev/null 2>&1 || return 0; sleep 0.1; done
    fail "\"$1\" did not close"
}

INST='C:\Program Files\Tischbauer Übung'
INST_U=$(unix "$INST")
UNINSTALL='Software\Microsoft\Windows\CurrentVersion\Uninstall\Bumpwright'
START_MENU="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Bumpwright.lnk"
TABLE='C:\Tische Übung\Flipper Tisch.bwt'
t0=$(date +%s)
sh "$HERE/../../cmake/wine-run.sh" || fail "no Wine prefix"
unzip -q "$ZIP" -d "$(unix 'C:\Portable Ablage')" || fail "the zip does not unpack"
PORTABLE=$(unix 'C:\Portable Ablage')/Bumpwright-$VERSION
mkdir -p "$(unix 'C:\Tische Übung')" && cp "$PORTABLE/Examples/classic.bwt" "$(unix "$TABLE")"
wineserver -p  # one server for the whole run
echo "prefix ready after $(($(date +%s) - t0)) s"

# ---- install: /D= takes the rest of the command line, so its words go unquoted
wine "$SETUP" /S /D=C:\\Program Files\\Tischbauer Übung || fail "setup /S exited $?"
(cd "$PORTABLE" && find . -type f ! -name ReadMe.txt; echo ./Uninstall.exe) | sort >"$WORK/expected"
(cd "$INST_U" && find . -type f | sort) >"$WORK/installed"
diff "$WORK/expected" "$WORK/installed" || fail "installed files differ from the zip's"
for f in $(cat "$WORK/expected"); do
    [ "$f" = ./Uninstall.exe ] || cmp -s "$PORTABLE/$f" "$INST_U/$f" || fail "$f differs from the zip's"
done
[ -f "$START_MENU" ] || fail "no Start-menu entry"
query 'HKCR\.bwt' && [ "$(value '' '(Default)')" = Bumpwright.Table ] || fail ".bwt is not associated"
query 'HKCR\Bumpwright.Table' && [ "$(value '' '(Default)')" = "Bumpwright table" ] || fail "no file type"
case "$(value '\DefaultIcon' '(Default)')" in *'\Bumpwright.exe,0') ;; *) fail "no table icon" ;; esac
case "$(value '\shell\open\command' '(Default)')" in
    '"C:\Program Files\Tischbauer '*'\Bumpwright.exe" "%1"') ;; *) fail "wrong open command" ;; esac
query "HKLM\\$UNINSTALL" && [ "$(value '' DisplayName)" = Bumpwright ] &&
    [ "$(value '' DisplayVersion)" = "$VERSION" ] && [ -n "$(value '' Publisher)" ] &&
    [ $(($(value '' EstimatedSize))) -gt 100 ] || fail "incomplete uninstall entry"
ok "installed in $INST with Start-menu entry, association and uninstall entry"

wine start /unix "$(unix "$TABLE")" && opened "Flipper Tisch.bwt - Bumpwright"
ok "the open verb opened $TABLE"

# ---- upgrade in place: the second run finds the first one's folder
cp "$(unix "$TABLE")" "$INST_U/Examples/Mein Tisch.bwt"
wine "$SETUP" /S || fail "setup over itself exited $?"
[ ! -e "$(unix 'C:\Program Files\Bumpwright')" ] || fail "the upgrade went elsewhere"
[ -f "$INST_U/Examples/Mein Tisch.bwt" ] || fail "the upgrade lost the user's table"
ok "upgraded in place"

# ---- uninstall in place; the user's tables and settings stay
wine reg add 'HKCU\Software\Bumpwright' /v Recent1 /d 'C:\Tische\x.bwt' /f >/dev/null
mkdir -p "$(unix 'C:\Kopie')" && cp "$INST_U/Uninstall.exe" "$(unix 'C:\Kopie')/"
# As from Add/Remove Programs: it runs a copy of itself from the temporary
# folder and returns at once; that copy removes the uninstall entry last.
wine "$INST\\Uninstall.exe" /S || fail "uninstall exited $?"
for i in $(seq 60); do gone "HKLM\\$UNINSTALL" && break; sleep 0.5; done
left=$(cd "$INST_U" && find . | sort | tr '\n' ' ')
[ "$left" = ". ./Examples ./Examples/Mein Tisch.bwt " ] || fail "left in the folder: $left"
[ -f "$(unix "$TABLE")" ] && [ ! -e "$START_MENU" ] || fail "tables or Start-menu entry wrong"
for key in 'HKCR\.bwt' 'HKCR\Bumpwright.Table' "HKLM\\$UNINSTALL"; do gone "$key" || fail "$key is left"; done
query 'HKCU\Software\Bumpwright' && [ "$(value '' Recent1)" = 'C:\Tische\x.bwt' ] || fail "the user's settings are gone"
ok "uninstalled: only the user's tables and settings are left"

# ---- the uninstaller again: silently it just ends; otherwise it says so
timeout 60 wine 'C:\Kopie\Uninstall.exe' /S _?=C:\\Kopie || fail "a second silent uninstall exited $?"
wine 'C:\Kopie\Uninstall.exe' _?=C:\\Kopie & pid=$!
box=$(window '^Bumpwright Uninstall$')
[ -n "$box" ] && [ "$(xdotool search --onlyvisible --name . | wc -l)" -eq 1 ] || fail "no message, or more windows"
xdotool windowfocus --sync "$box" key Return; wait $pid || fail "the message ended with $?"
ok "the uninstaller run again ends with a message"

# ---- the folder deleted by hand: the uninstaller still removes the entries
wine "$SETUP" /S && [ -f "$(unix 'C:\Program Files\Bumpwright\Bumpwright.exe')" ] || fail "no default install"
rm -rf "$(unix 'C:\Program Files\Bumpwright')"
timeout 60 wine 'C:\Kopie\Uninstall.exe' /S _?=C:\\Kopie || fail "uninstall after deletion exited $?"
gone "HKLM\\$UNINSTALL" && gone 'HKCR\.bwt' && gone 'HKCR\Bumpwright.Table' &&
    [ ! -e "$START_MENU" ] || fail "entries left after the folder was deleted"
ok "after the folder was deleted by hand the uninstaller removed the entries"

# ---- portable: started from its own folder with a table
(cd "$PORTABLE" && wine Bumpwright.exe "$TABLE" &) && opened "Flipper Tisch.bwt - Bumpwright"
ok "the portable copy opened $TABLE; the whole check took $(($(date +%s) - t0)) s"
