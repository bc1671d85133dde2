# Sourced (POSIX sh) by everything that runs the Windows build under Wine,
# with WINEPREFIX set. WINEARCH is win32 unless set: the 64-bit build (for
# machines that cannot run 32-bit programs) uses a win64 prefix, and Debian's
# `wine` starts the 32-bit loader whenever wine32 is installed, so for win64
# a folder beside the prefix with `wine` and `wine-stable` that start the
# 64-bit loader goes first on PATH.
: "${WINEARCH:=win32}"
export WINEPREFIX WINEARCH WINEDEBUG="${WINEDEBUG:--all}"
if [ "$WINEARCH" = win64 ]; then
    bw_wine_bin="$WINEPREFIX.bin"
    if [ ! -x "$bw_wine_bin/wine-stable" ]; then
        mkdir -p "$bw_wine_bin"
        for bw_name in wine wine-stable; do
            printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' > "$bw_wine_bin/$bw_name.tmp"
            chmod +x "$bw_wine_bin/$bw_name.tmp"
            mv "$bw_wine_bin/$bw_name.tmp" "$bw_wine_bin/$bw_name"
        done
    fi
    case ":$PATH:" in *":$bw_wine_bin:"*) ;; *) PATH="$bw_wine_bin:$PATH" ;; esac
    export PATH WINELOADER=/usr/lib/wine/wine64
fi
