#!/bin/sh
# Runs a Windows program under Wine in the build's own prefix: 32-bit
# (WINEARCH=win32, the default) or, for the 64-bit build, win64.
# With no arguments it only makes sure the prefix exists: created once,
# with the Wine fonts linked in (so that "System" and "MS Sans Serif" are
# the real ones and a dialog unit is 2 pixels), windows left unmanaged
# (Xvfb has no window manager) and crash dialogs turned off.
: "${WINEPREFIX:=$(pwd)/wineprefix}"
. "$(dirname "$0")/wine-env.sh"
if [ ! -f "$WINEPREFIX/.ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  flock "$WINEPREFIX.lock" sh -c '[ -f "$WINEPREFIX/.ready" ] && exit 0
    wineboot -i >/dev/null 2>&1 || exit 1
    dpkg -L fonts-wine | grep -E "\.(ttf|fon)\$" | xargs ln -sft "$WINEPREFIX/drive_c/windows/Fonts"
    printf "REGEDIT4\n\n[HKEY_CURRENT_USER\\\\Software\\\\Wine\\\\X11 Driver]\n\"Managed\"=\"N\"\n\n[HKEY_CURRENT_USER\\\\Software\\\\Wine\\\\WineDbg]\n\"ShowCrashDialog\"=dword:00000000\n" > "$WINEPREFIX/ci.reg"
    wine regedit /S "$WINEPREFIX/ci.reg" && wineserver -w && touch "$WINEPREFIX/.ready"' || exit 1
fi
[ $# -eq 0 ] && exit 0
exec wine "$@"
