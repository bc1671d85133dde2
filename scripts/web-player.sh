#!/bin/sh
# Builds the web player (web/: the core compiled to WebAssembly with the
# page's script) into build/web/bumpwright-player.js with Debian's
# emscripten. The native and the Windows builds carry it (bwtool page, the
# program's File › Export › Web page...), so it is built before them.
set -e
cd "$(dirname "$0")/.."
if ! command -v emcmake >/dev/null 2>&1 || ! command -v em++ >/dev/null 2>&1; then
    echo "The web player needs Debian's emscripten: apt-get install emscripten (or sh scripts/install-deps.sh as root)." >&2
    exit 1
fi
# Debian's emscripten finds its JavaScript parser (acorn) among Debian's
# node modules, where a node from elsewhere does not look by itself.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
emcmake cmake -S web -B build/web -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C build/web >/dev/null
