#!/bin/sh
# Builds the Windows program in release form and writes the release into
# dist/: Bumpwright-<version>-setup.exe (the installer, made with NSIS) and
# Bumpwright-<version>-portable.zip. The version is the project's, from
# CMakeLists.txt. Prints the two paths.
set -e
cd "$(dirname "$0")/.."
root=$PWD
sh scripts/install-deps.sh
sh scripts/web-player.sh  # the player the native and the Windows builds carry
# The native bwtool builds the example tables that the release carries.
nice -n 5 cmake -S . -B build/native -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
nice -n 5 ninja -C build/native bwtool >/dev/null
nice -n 5 cmake --no-warn-unused-cli -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686-posix.cmake \
    -DCMAKE_BUILD_TYPE=Release -DBW_TABLE_TOOL="$root/build/native/bwtool" -DBW_DIST_DIR="$root/dist" >/dev/null
nice -n 5 ninja -C build/win dist >/dev/null
name=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' build/win/CMakeCache.txt)
ls "$root/dist/Bumpwright-$name-setup.exe" "$root/dist/Bumpwright-$name-portable.zip"
