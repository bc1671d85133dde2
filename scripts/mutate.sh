#!/bin/sh
# The mutation check: plants one small fault at a time in a copy of the
# sources (under build/mutate/), rebuilds, runs the tests and counts the
# faults they catch. Not part of the test command.
#   sh scripts/mutate.sh --part core --seed 1 --count 60   # native tests
#   sh scripts/mutate.sh --part win  --seed 1 --count 20   # ui/ win/ tvcomm/, tests under Wine
# Ends with a line such as "core seed 1: 57 of 60 caught".
set -u
cd "$(dirname "$0")/.." || exit 2
case " $* " in
*" win "*|*"--part=win"*)
    mkdir -p build/mutate/win
    # Wine and the display once for the whole run, as the test command does.
    export WINEPREFIX=$PWD/build/mutate/win/build/wineprefix WINEARCH=win32 WINEDEBUG=-all
    exec xvfb-run -a -s '-screen 0 1024x768x24 -nolisten tcp' sh -c '
        mkdir -p build/mutate/win/build && cmake/wine-run.sh && wineserver -w && wineserver -p &&
        wine wineboot >/dev/null 2>&1
        python3 scripts/mutate.py "$@"; rc=$?
        wineserver -k; exit $rc' sh "$@" ;;
*)
    exec python3 scripts/mutate.py "$@" ;;
esac
