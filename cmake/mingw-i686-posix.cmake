# Cross build for 32-bit Windows with mingw-w64 (posix threads).
set(BW_MINGW i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(BW_MINGW_WINEARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-posix.cmake)
