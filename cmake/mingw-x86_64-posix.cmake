# Cross build for 64-bit Windows with mingw-w64 (posix threads): the same
# program, for testing on machines that cannot run 32-bit programs.
set(BW_MINGW x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(BW_MINGW_WINEARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-posix.cmake)
