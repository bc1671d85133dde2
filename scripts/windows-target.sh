# Sourced by the scripts: which Windows build runs under Wine here.
# Bumpwright is a 32-bit program (build/win). Some machines cannot run
# 32-bit programs at all (their kernel refuses them, and Wine's 32-bit
# loader with them); there the same sources are also built for 64-bit
# Windows (build/win64) and run in a 64-bit Wine prefix. BW_WIN_ARCH=32 or
# 64 chooses by hand.
if [ -z "${BW_WIN_ARCH:-}" ]; then
    if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then BW_WIN_ARCH=32; else BW_WIN_ARCH=64; fi
fi
if [ "$BW_WIN_ARCH" = 64 ]; then
    WIN_BUILD=build/win64 WIN_TOOLCHAIN=cmake/mingw-x86_64-posix.cmake WINEARCH=win64
else
    WIN_BUILD=build/win WIN_TOOLCHAIN=cmake/mingw-i686-posix.cmake WINEARCH=win32
fi
export BW_WIN_ARCH WINEARCH
