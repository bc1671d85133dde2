#!/bin/sh
# Runs the window tests named by a filter with the screen at another DPI,
# and sets the screen back to 96 dpi afterwards, whatever happened.
#   sh tests/win/at_dpi.sh DPI BUILD_DIR SOURCE_DIR GTEST_FILTER
dpi=$1 build=$2 src=$3 filter=$4
export WINEPREFIX="$build/wineprefix"
. "$src/cmake/wine-env.sh"
# Each program reads the DPI when it starts: the value is in place once the
# registry tool has ended.
logpixels() { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
logpixels "$dpi"
BW_SCREEN_DPI=$dpi wine "$build/bin/win_tests.exe" --gtest_filter="$filter"
rc=$?
logpixels 96
exit $rc
