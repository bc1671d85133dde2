#!/bin/sh
# Installs the Debian packages the build and the tests need. Does nothing
# when everything is already there; must run as root otherwise.
set -e
PKGS="g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 wine32:i386 fonts-wine xvfb xauth xdotool imagemagick
      fp-utils-3.2.2 cmake ninja-build googletest libgtest-dev libbenchmark-dev libpng-dev
      clang libclang-rt-14-dev file libgif-dev nsis zip unzip valgrind"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
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
