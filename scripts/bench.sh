#!/bin/sh
# Builds and runs the benchmarks: the native core (Google Benchmark) and,
# when the Windows build is there, the window's timing loop under Wine.
set -e
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build/native -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C build/native core_bench bwtool examples >/dev/null
build/native/core_bench "$@"
if [ -x build/win/bin/win_bench.exe ] || [ -f build/win/bin/win_bench.exe ]; then
    xvfb-run -a -s '-screen 0 1024x768x24 -nolisten tcp' sh -c '
        export WINEPREFIX=$PWD/build/win/wineprefix WINEARCH=win32 WINEDEBUG=-all
        cmake/wine-run.sh && wine build/win/bin/win_bench.exe
        [ -f build/win/bin/win_play_bench.exe ] && wine build/win/bin/win_play_bench.exe
        [ -f build/win/bin/win_undo_bench.exe ] && wine build/win/bin/win_undo_bench.exe
        wineserver -k'
fi
