#!/bin/sh
# Builds and runs the benchmarks: the native core (Google Benchmark), the
# web page in headless Chromium and, when the Windows build is there, the
# window's timing loop under Wine. The tick's instructions, which do not
# depend on the machine's load, are counted by scripts/tick-instructions.sh.
set -e
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
sh scripts/web-player.sh  # the player the native and the Windows builds carry
cmake -S . -B build/native -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C build/native core_bench bwtool examples >/dev/null
build/native/core_bench "$@"
# The web page in headless Chromium: first frame, the page's core against
# the native one, the clock over a minute.
node bench/web/page_bench.mjs
. scripts/windows-target.sh
if [ -f "$WIN_BUILD/bin/win_bench.exe" ]; then
    xvfb-run -a -s '-screen 0 1024x768x24 -nolisten tcp' sh -c '
        export WINEPREFIX=$PWD/$1/wineprefix
        . cmake/wine-env.sh
        cmake/wine-run.sh && wine "$1/bin/win_bench.exe"
        [ -f "$1/bin/win_play_bench.exe" ] && wine "$1/bin/win_play_bench.exe"
        [ -f "$1/bin/win_check_bench.exe" ] && wine "$1/bin/win_check_bench.exe"
        [ -f "$1/bin/win_undo_bench.exe" ] && wine "$1/bin/win_undo_bench.exe"
        [ -f "$1/bin/win_live_check_bench.exe" ] && wine "$1/bin/win_live_check_bench.exe"
        [ -f "$1/bin/win_selection_bench.exe" ] && wine "$1/bin/win_selection_bench.exe"
        wineserver -k' sh "$WIN_BUILD"
fi
