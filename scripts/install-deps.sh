#!/bin/sh
# Installs the Debian packages the build and the tests need, then the
# browser tests' npm packages (tests/web, from its lock file). Does nothing
# when everything is already there; must run as root otherwise.
set -e
cd "$(dirname "$0")/.."
PKGS="g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 wine32:i386 fonts-wine xvfb xauth xdotool imagemagick
      fp-utils-3.2.2 cmake ninja-build googletest libgtest-dev libbenchmark-dev libpng-dev
      clang libclang-rt-14-dev file libgif-dev nsis zip unzip emscripten chromium nodejs valgrind"
# Debian's nodejs comes without npm; other builds of it carry their own.
command -v npm >/dev/null 2>&1 || PKGS="$PKGS npm"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  if [ "$(id -u)" != 0 ]; then
    echo "Some packages are missing and this is not root; run as root:" >&2
    echo "  sh scripts/install-deps.sh" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi
# puppeteer-core and pngjs for the browser tests, as the lock file has them
# (puppeteer-core drives the Chromium installed above and fetches no browser).
if ! cmp -s tests/web/package-lock.json tests/web/node_modules/.installed-from-lock 2>/dev/null; then
  (cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null &&
   cp package-lock.json node_modules/.installed-from-lock)
fi
