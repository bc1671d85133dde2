#!/bin/sh
# The mutation check: plants one small fault at a time in a copy of the
# sources (under build/mutate/), rebuilds, runs the tests and counts the
# faults they catch. Not part of the test command.
#   sh scripts/mutate.sh --part core --seed 1 --count 60   # model/ physics/ files/ games/ editor/ workers/ tools/, native tests
#   sh scripts/mutate.sh --part win  --seed 1 --count 20   # ui/ win/ tvcomm/, Windows tests under Wine
#   ... --rev COMMIT   tests that commit's files instead of the working tree
# Ends with a line such as "core seed 1: 57 of 60 caught".
set -u
cd "$(dirname "$0")/.." || exit 2
sh scripts/web-player.sh || exit 2  # the player the copies' builds carry
case " $* " in
*" win "*|*"--part=win"*)
    exec xvfb-run -a -s '-screen 0 1024x768x24 -nolisten tcp' python3 scripts/mutate.py "$@" ;;
*)
    exec python3 scripts/mutate.py "$@" ;;
esac
