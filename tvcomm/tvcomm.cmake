# tvcomm.dll, the Talvik device library, its import library and its tests.
# Included by the top CMakeLists.txt when building for Windows.
#
#   tvcomm          tvcomm.dll in ${CMAKE_BINARY_DIR}/bin, exports without @N
#   tvcomm_import   link this to call the library; imports by plain name
#   tvcomm_tests    the library's tests (run under Wine by CTest)

enable_language(RC)

set(TVCOMM_DIR ${CMAKE_CURRENT_LIST_DIR})
set(TVCOMM_BIN_DIR ${CMAKE_BINARY_DIR}/bin)

# 32-bit __stdcall names carry @N; the 64-bit build (for testing on machines
# that cannot run 32-bit programs) has no decoration, so its .def has none.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TVCOMM_TRIPLE x86_64-w64-mingw32)
  file(READ ${TVCOMM_DIR}/tvcomm.def def)
  string(REGEX REPLACE "@[0-9]+" "" def "${def}")
  set(TVCOMM_DEF ${CMAKE_BINARY_DIR}/tvcomm64.def)
  file(WRITE ${TVCOMM_DEF} "${def}")
else()
  set(TVCOMM_TRIPLE i686-w64-mingw32)
  set(TVCOMM_DEF ${TVCOMM_DIR}/tvcomm.def)
endif()

add_library(tvcomm SHARED
  ${TVCOMM_DIR}/tvcomm.cpp
  ${TVCOMM_DIR}/tvcomm.rc
  ${TVCOMM_DEF}
)
set_target_properties(tvcomm PROPERTIES
  PREFIX ""
  RUNTIME_OUTPUT_DIRECTORY ${TVCOMM_BIN_DIR}
  # ld's own import library would name the functions without @N, which
  # callers cannot link against; it is kept out of the way.
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tvcomm-ld
)
target_include_directories(tvcomm PRIVATE ${TVCOMM_DIR}/..)
target_compile_definitions(tvcomm PRIVATE TVCOMM_BUILDING_DLL)
target_compile_options(tvcomm PRIVATE -Wall -Wextra -Werror=return-type)
# The .def names the __stdcall functions with @N; --kill-at exports them without.
target_link_options(tvcomm PRIVATE -Wl,--kill-at $<$<CONFIG:Release>:-s>)
target_link_libraries(tvcomm PRIVATE comctl32 shell32)

# The import library that callers link: made from the .def by dlltool, so
# that a call to TalvikIsValidFileNameA@4 binds to the export TalvikIsValidFileNameA.
set(TVCOMM_IMPLIB ${CMAKE_BINARY_DIR}/libtvcomm_imp.a)
add_custom_command(OUTPUT ${TVCOMM_IMPLIB}
  COMMAND ${TVCOMM_TRIPLE}-dlltool -k -D tvcomm.dll -d ${TVCOMM_DEF} -l ${TVCOMM_IMPLIB}
  DEPENDS ${TVCOMM_DEF}
  COMMENT "Import library for tvcomm.dll")
add_custom_target(tvcomm_implib DEPENDS ${TVCOMM_IMPLIB})

add_library(tvcomm_import INTERFACE)
add_dependencies(tvcomm_import tvcomm tvcomm_implib)
target_include_directories(tvcomm_import INTERFACE ${TVCOMM_DIR}/..)
target_link_libraries(tvcomm_import INTERFACE ${TVCOMM_IMPLIB})

# Tests, on GoogleTest built from Debian's sources. The Windows program's
# build may add GoogleTest too, later in the configuration; so it is added
# here only at the end, if nobody has.
enable_testing()
function(tvcomm_add_googletest)
  if(TARGET gtest)
    return()
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  if(NOT GTEST_SOURCE_DIR)
    execute_process(
      COMMAND sh -c "dpkg -L googletest | grep '/googletest/googletest/CMakeLists.txt$' | head -1 | xargs dirname | xargs dirname"
      OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT found)
      set(found /usr/src/googletest)
    endif()
    set(GTEST_SOURCE_DIR ${found} CACHE PATH "sources of Debian's googletest package")
  endif()
  add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endfunction()
cmake_language(DEFER CALL tvcomm_add_googletest)

add_executable(tvcomm_tests
  ${CMAKE_CURRENT_LIST_DIR}/../tests/tvcomm/exports_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../tests/tvcomm/name_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../tests/tvcomm/wizard_test.cpp
)
set_target_properties(tvcomm_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TVCOMM_BIN_DIR})
target_include_directories(tvcomm_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
target_compile_options(tvcomm_tests PRIVATE -Wall -Wextra)
target_link_libraries(tvcomm_tests PRIVATE tvcomm_import gtest_main comctl32 shell32)

include(GoogleTest)
gtest_discover_tests(tvcomm_tests
  DISCOVERY_MODE PRE_TEST
  DISCOVERY_TIMEOUT 60
  TEST_PREFIX "tvcomm."
  # The wizard's windows would take the activation from the window tests.
  PROPERTIES RESOURCE_LOCK desktop TIMEOUT 60)
