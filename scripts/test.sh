#!/bin/sh
# Installs what is missing, builds everything (the web player, native,
# sanitizers, fuzzers, Windows) and runs every test (the browser tests with
# the native ones); ends with one summary line.
#   FUZZ_SECONDS   how long each fuzzer runs (default 60)
set -u
cd "$(dirname "$0")/.." || exit 2
ROOT=$(pwd)
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
LOGS=$ROOT/build/logs
passed=0
failed=0
failures=""

note_fail() { failed=$((failed + 1)); failures="$failures\n  $1"; echo "FAILED: $1"; }
note_pass() { passed=$((passed + 1)); }

# Adds the counts of a ctest run (its log in $2) under the name $1.
count_ctest() {
    line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$2" | tail -n 1)
    if [ -z "$line" ]; then note_fail "$1: no test summary"; return; fi
    total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
    bad=$(echo "$line" | sed -E 's/.* ([0-9]+) tests? failed.*/\1/')
    passed=$((passed + total - bad))
    failed=$((failed + bad))
    [ "$bad" -eq 0 ] || failures="$failures\n  $1: $bad of $total failed"
    echo "$1: $line"
}

sh scripts/install-deps.sh || { echo "summary: 0 passed, 1 failed"; exit 1; }
mkdir -p "$LOGS"

build() {  # name, build dir, cmake args...
    name=$1; dir=$2; shift 2
    echo "== building $name"
    if cmake -S . -B "$dir" -G Ninja "$@" >"$LOGS/$name-configure.log" 2>&1 &&
       ninja -C "$dir" >"$LOGS/$name-build.log" 2>&1; then
        note_pass
        return 0
    fi
    tail -n 40 "$LOGS/$name-configure.log" "$LOGS/$name-build.log" 2>/dev/null
    note_fail "build $name"
    return 1
}

# The web player first: the native and the Windows builds carry it.
echo "== building the web player (emscripten)"
if sh scripts/web-player.sh >"$LOGS/web-player-build.log" 2>&1; then
    note_pass
else
    tail -n 40 "$LOGS/web-player-build.log"
    note_fail "build web player"
fi

build native build/native -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release
native_ok=$?
build sanitizers build/asan -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBW_SANITIZE=ON -DBW_FUZZ=ON
asan_ok=$?
. scripts/windows-target.sh
if [ "$BW_WIN_ARCH" = 64 ]; then
    echo "== this machine cannot run 32-bit programs: the window tests run on the 64-bit build of the same sources"
    build windows build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686-posix.cmake -DCMAKE_BUILD_TYPE=Release \
        -DBW_WINE_PREFIX=OFF
    build windows-64 "$WIN_BUILD" -DCMAKE_TOOLCHAIN_FILE="$WIN_TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release
else
    build windows build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686-posix.cmake -DCMAKE_BUILD_TYPE=Release \
        -DBW_WINE_PREFIX=ON
fi
win_ok=$?

if [ $native_ok -eq 0 ]; then
    echo "== native tests"
    ctest --test-dir build/native -j2 --output-on-failure >"$LOGS/native-tests.log" 2>&1
    count_ctest native "$LOGS/native-tests.log"
fi

if [ $asan_ok -eq 0 ]; then
    echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    ctest --test-dir build/asan -j2 --output-on-failure >"$LOGS/asan-tests.log" 2>&1
    count_ctest sanitizers "$LOGS/asan-tests.log"

    echo "== fuzzing for ${FUZZ_SECONDS}s per target"
    fuzzers="read_fuzz roundtrip_fuzz replay_fuzz text_fuzz editor_fuzz"
    for target in $fuzzers; do
        corpus=build/asan/corpus-$target
        mkdir -p "$corpus"
        walk=""
        if [ $target = replay_fuzz ]; then
            cp fuzz/replay_seeds/* "$corpus"/ 2>/dev/null
        elif [ $target = text_fuzz ]; then
            cp fuzz/text_seeds/* examples/*.txt "$corpus"/ 2>/dev/null
        elif [ $target = editor_fuzz ]; then
            walk="-max_len=1024 -len_control=0"  # any bytes are a walk: long ones from the start
        else
            cp fuzz/seeds/* "$corpus"/ 2>/dev/null
            cp build/native/examples/*.bwt "$corpus"/ 2>/dev/null
        fi
        build/asan/$target -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 $walk \
            -print_final_stats=1 "$corpus" >"$LOGS/$target.log" 2>&1 &
    done
    wait
    for target in $fuzzers; do
        if grep -q -E 'ERROR|crash-|deadly signal|runtime error' "$LOGS/$target.log" ||
           ! grep -q 'Done [0-9]* runs' "$LOGS/$target.log"; then
            tail -n 30 "$LOGS/$target.log"
            note_fail "fuzz $target"
        else
            note_pass
            echo "fuzz $target: $(grep -E 'Done [0-9]+ runs' "$LOGS/$target.log")"
        fi
    done
fi

if [ $win_ok -eq 0 ] && [ -f "$WIN_BUILD/CTestTestfile.cmake" ]; then
    echo "== Windows tests under Wine and Xvfb ($WIN_BUILD)"
    xvfb-run -a -s '-screen 0 1024x768x24 -nolisten tcp' sh -c '
        export WINEPREFIX=$PWD/$1/wineprefix
        . cmake/wine-env.sh
        cmake/wine-run.sh && wineserver -w && wineserver -p && wine wineboot >/dev/null 2>&1
        ctest --test-dir "$1" -j2 --output-on-failure; rc=$?
        wineserver -k; exit $rc' sh "$WIN_BUILD" >"$LOGS/windows-tests.log" 2>&1
    count_ctest windows "$LOGS/windows-tests.log"
fi

if [ $win_ok -eq 0 ] && [ $native_ok -eq 0 ]; then
    echo "== release: packing, then installing, opening and uninstalling under Wine"
    if sh scripts/package.sh >"$LOGS/package.log" 2>&1; then
        note_pass
        setup_build=build/win setup_dist=dist
        if [ "$BW_WIN_ARCH" = 64 ]; then
            # The same installer around the 64-bit build, which runs here.
            setup_build=$WIN_BUILD setup_dist=$WIN_BUILD/dist
            cmake -S . -B "$WIN_BUILD" -DBW_TABLE_TOOL="$ROOT/build/native/bwtool" \
                -DBW_DIST_DIR="$ROOT/$setup_dist" >>"$LOGS/package.log" 2>&1 &&
                ninja -C "$WIN_BUILD" dist >>"$LOGS/package.log" 2>&1
        fi
        xvfb-run -a -s '-screen 0 1024x768x24 -nolisten tcp' \
            sh tests/release/install_test.sh "$setup_build" "$setup_dist" build/release-test \
            >"$LOGS/release-test.log" 2>&1
        if [ $? -eq 0 ]; then note_pass; else note_fail "release install test"; fi
        tail -n 1 "$LOGS/release-test.log"
    else
        tail -n 20 "$LOGS/package.log"
        note_fail "package"
    fi
fi

if [ $failed -ne 0 ]; then
    printf "Failures:$failures\n"
    echo "Logs are in $LOGS"
fi
echo "summary: $passed passed, $failed failed"
[ $failed -eq 0 ]
