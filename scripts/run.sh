#!/bin/sh
# Installs what is missing, builds the tools and the Windows program, and
# starts Bumpwright under Wine with the classic example table. Where there
# is no display it runs the program under Xvfb instead, saves a screenshot
# of its window, prints the screenshot's path and ends.
set -e
cd "$(dirname "$0")/.."
root=$PWD
sh scripts/install-deps.sh
sh scripts/web-player.sh  # the player the native and the Windows builds carry
cmake -S . -B build/native -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C build/native >/dev/null
. scripts/windows-target.sh
cmake -S . -B "$WIN_BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$WIN_TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$WIN_BUILD" >/dev/null

table=build/native/examples/classic.bwt
if [ ! -f "$table" ]; then
    table=build/native/classic.bwt
    build/native/bwtool build examples/classic.txt "$table"
fi

export WINEPREFIX="$root/$WIN_BUILD/wineprefix"
. cmake/wine-env.sh
cmake/wine-run.sh
# The program takes a Windows path (one beginning with "/" would be a
# switch); Wine shows the Linux root as drive Z:.
wintable="Z:$(printf '%s' "$root/$table" | tr / '\\')"

if [ -n "$DISPLAY" ]; then
    exec wine "$WIN_BUILD/bin/Bumpwright.exe" "$wintable"
fi

shot="$root/build/screenshots/bumpwright.png"
mkdir -p "$(dirname "$shot")"
rm -f "$shot"
xvfb-run -a -s '-screen 0 1024x768x24 -nolisten tcp' sh -c '
    wine "$3/bin/Bumpwright.exe" "$1" & pid=$!
    wid=$(timeout 60 xdotool search --sync --onlyvisible --name " - Bumpwright\$" | head -1)
    sleep 2
    rc=1
    [ -n "$wid" ] && import -window "$wid" "$2" && rc=0
    kill $pid 2>/dev/null
    wineserver -k
    exit $rc' sh "$wintable" "$shot" "$WIN_BUILD"
echo "$shot"
