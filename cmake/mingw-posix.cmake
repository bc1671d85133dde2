# What the two mingw-w64 cross builds (posix threads) share; the toolchain
# file of each sets BW_MINGW (the target triplet), CMAKE_SYSTEM_PROCESSOR and
# BW_MINGW_WINEARCH, then includes this.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${BW_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BW_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER  ${BW_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${BW_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# libgcc, libstdc++ and winpthread linked into every binary.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
# CTest runs every .exe through Wine, with the prefix inside the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEARCH=${BW_MINGW_WINEARCH}
    ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
