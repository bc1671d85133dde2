#!/bin/sh
# Counts the instructions of the check's tick with callgrind, against the
# flat-array yardstick: those of `bwtool check --games 4000 --jobs 1` less
# those of `--games 1000`, over the difference in ticks played, for each
# table; and those of one iteration of core_bench's TickLimitFlat25 and of
# one tick of its PlayTickClassic and PlayTickFull.
# Instruction counts do not depend on the machine's load.
#   sh scripts/tick-instructions.sh [TABLE.bwt...]   (default: classic and full)
#   BW_BUILD=dir  the build to measure (default build/native, built first)
set -e
cd "$(dirname "$0")/.."
BUILD=${BW_BUILD:-build/native}
if [ -z "${BW_BUILD:-}" ]; then
    cmake -S . -B build/native -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    ninja -C build/native core_bench bwtool examples >/dev/null
fi
[ $# -gt 0 ] || set -- "$BUILD/examples/classic.bwt" "$BUILD/examples/full.bwt"
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT

# Instructions counted in callgrind's output file $1.
instructions() { sed -n 's/^totals: *\([0-9]*\).*/\1/p' "$1"; }

# The yardstick: instructions of BM_TickLimitFlat25 run 1,048,576 times.
valgrind --tool=callgrind --callgrind-out-file="$OUT/flat" --toggle-collect='*BM_TickLimitFlat25*' \
    "$BUILD/core_bench" --benchmark_filter='BM_TickLimitFlat25/iterations' >/dev/null 2>&1
flat=$(instructions "$OUT/flat")
echo "TickLimitFlat25: $flat instructions in 1048576 iterations ($(awk "BEGIN { printf \"%.1f\", $flat / 1048576 }") an iteration)"

# One play tick as core_bench's PlayTickClassic and PlayTickFull play it
# (262,144 ticks, inside PlayTick only).
for name in Classic Full; do
    valgrind --tool=callgrind --callgrind-out-file="$OUT/play$name" --toggle-collect='bw::PlayTick(*' \
        "$BUILD/core_bench" --benchmark_filter="BM_PlayTick$name/iterations" >/dev/null 2>&1
    awk -v name="$name" -v i="$(instructions "$OUT/play$name")" -v flat="$flat" 'BEGIN {
        printf "PlayTick%s: %.1f instructions a tick, %.2fx TickLimitFlat25\n", name, i / 262144, (i / 262144) / (flat / 1048576)
    }'
done

for table in "$@"; do
    name=$(basename "$table" .bwt)
    for games in 1000 4000; do
        valgrind --tool=callgrind --callgrind-out-file="$OUT/$name-$games" \
            "$BUILD/bwtool" check "$table" --games $games --jobs 1 --json >"$OUT/$name-$games.json" 2>/dev/null
    done
    i1=$(instructions "$OUT/$name-1000")
    i4=$(instructions "$OUT/$name-4000")
    t1=$(sed -n 's/^  "ticks": \([0-9]*\),/\1/p' "$OUT/$name-1000.json")
    t4=$(sed -n 's/^  "ticks": \([0-9]*\),/\1/p' "$OUT/$name-4000.json")
    awk -v name="$name" -v i1="$i1" -v i4="$i4" -v t1="$t1" -v t4="$t4" -v flat="$flat" 'BEGIN {
        tick = (i4 - i1) / (t4 - t1)
        printf "%s: check of 1000 games %.0f instructions, %.0f ticks; of 4000 games %.0f instructions, %.0f ticks: %.1f a tick, %.2fx TickLimitFlat25\n",
            name, i1, t1, i4, t4, tick, tick / (flat / 1048576)
    }'
done
