# Windows build: Bumpwright.exe, its help file, the window tests and the
# window benchmark, cross-compiled with mingw-w64 and run under Wine.
enable_language(RC)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(BW_GENERATED ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${BW_GENERATED} ${CMAKE_BINARY_DIR}/bin)

find_program(BW_CONVERT convert REQUIRED)
find_program(BW_CHMCMD chmcmd REQUIRED)

# ---- pictures: XPM sources made into 16-colour bitmaps and the icon ----------
set(BW_PICTURES)
foreach(piece ball obstacle10 obstacle50 obstacle100 hole flipper_left flipper_right cannon)
  add_custom_command(OUTPUT ${BW_GENERATED}/${piece}.bmp
    COMMAND ${BW_CONVERT} ${CMAKE_SOURCE_DIR}/res/pieces/${piece}.xpm +dither -colors 16 -type Palette
            BMP3:${BW_GENERATED}/${piece}.bmp
    DEPENDS ${CMAKE_SOURCE_DIR}/res/pieces/${piece}.xpm VERBATIM)
  list(APPEND BW_PICTURES ${BW_GENERATED}/${piece}.bmp)
endforeach()
add_custom_command(OUTPUT ${BW_GENERATED}/toolbar.bmp
  COMMAND ${BW_CONVERT} ${CMAKE_SOURCE_DIR}/res/toolbar.xpm +dither -colors 16 -type Palette
          BMP3:${BW_GENERATED}/toolbar.bmp
  DEPENDS ${CMAKE_SOURCE_DIR}/res/toolbar.xpm VERBATIM)
add_custom_command(OUTPUT ${BW_GENERATED}/app.ico
  COMMAND ${BW_CONVERT} ${CMAKE_SOURCE_DIR}/res/icon32.xpm ${CMAKE_SOURCE_DIR}/res/icon16.xpm +dither -colors 16
          ${BW_GENERATED}/app.ico
  DEPENDS ${CMAKE_SOURCE_DIR}/res/icon32.xpm ${CMAKE_SOURCE_DIR}/res/icon16.xpm VERBATIM)
list(APPEND BW_PICTURES ${BW_GENERATED}/toolbar.bmp ${BW_GENERATED}/app.ico)
add_custom_target(bw_pictures DEPENDS ${BW_PICTURES})

# ---- resources: an object library, so that they are always linked in ---------
add_library(bw_resources OBJECT res/app.rc)
target_include_directories(bw_resources PRIVATE ${CMAKE_SOURCE_DIR}/res ${BW_GENERATED})
set_source_files_properties(res/app.rc PROPERTIES OBJECT_DEPENDS "${BW_PICTURES};${CMAKE_SOURCE_DIR}/res/resource.h;${BW_GENERATED}/version.h")
add_dependencies(bw_resources bw_pictures)

# The web player (see cmake/web-player.cmake), carried as the raw data
# resource BW_WEB_PLAYER for File › Export › Web page...
include(cmake/web-player.cmake)
file(CONFIGURE OUTPUT ${BW_GENERATED}/web_player.rc CONTENT "BW_WEB_PLAYER RCDATA \"@BW_WEB_PLAYER@\"\n" @ONLY)
add_library(bw_web_player OBJECT ${BW_GENERATED}/web_player.rc)
set_source_files_properties(${BW_GENERATED}/web_player.rc PROPERTIES OBJECT_DEPENDS ${BW_WEB_PLAYER})

# The application manifest, in the program and the window benchmarks as it
# is. The window tests carry it without its UTF-8 code page: they run with
# the system's own code page, as on a system that ignores that setting, so
# that every path they take through the program proves its wide calls.
add_library(bw_manifest OBJECT res/manifest.rc)
target_include_directories(bw_manifest PRIVATE ${CMAKE_SOURCE_DIR}/res)
set_source_files_properties(res/manifest.rc PROPERTIES OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/res/Bumpwright.manifest)
file(READ ${CMAKE_SOURCE_DIR}/res/Bumpwright.manifest BW_MANIFEST)
string(REGEX REPLACE "[ ]*<activeCodePage[^\n]*\n" "" BW_TEST_MANIFEST "${BW_MANIFEST}")
if(BW_TEST_MANIFEST STREQUAL BW_MANIFEST)
  message(FATAL_ERROR "res/Bumpwright.manifest names no activeCodePage")
endif()
file(CONFIGURE OUTPUT ${BW_GENERATED}/test-manifest/Bumpwright.manifest CONTENT "${BW_TEST_MANIFEST}" @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/Bumpwright.manifest)
add_library(bw_test_manifest OBJECT ${BW_GENERATED}/test-manifest/manifest.rc)
configure_file(${CMAKE_SOURCE_DIR}/res/manifest.rc ${BW_GENERATED}/test-manifest/manifest.rc COPYONLY)
target_include_directories(bw_test_manifest PRIVATE ${BW_GENERATED}/test-manifest)

# ---- the program: everything but WinMain in libraries the tests share --------
# In layers over the core's (see cmake/layers.cmake): the Win32 layer sees
# the model and the resources' identifiers; the window sees everything below
# it, the device library's header too; the application, at the top, starts
# the window.
set(BW_WARNINGS -Wall -Wextra -Werror=return-type)
# The device library's callers see its folder, not the whole source tree.
set_property(TARGET tvcomm_import PROPERTY INTERFACE_INCLUDE_DIRECTORIES "")
bw_view(tvcomm_import INTERFACE tvcomm)

bw_layer(bw_win32 SEES win res BELOW bw_model bwfiles_win SOURCES
  win/clipboard.cpp
  win/controls.cpp
  win/data_exchange.cpp
  win/dialog.cpp
  win/file_dialog.cpp
  win/file_reports.cpp
  win/gdi_surface.cpp
  win/html_help.cpp
  win/keys.cpp
  win/message_box.cpp
  win/recovery_store.cpp
  win/resources.cpp
  win/send_button.cpp
  win/startup.cpp
  win/toolbar.cpp
  win/window_layout.cpp
  win/window_zoom.cpp
  win/zoom.cpp
  win/back_buffer.cpp
  win/recent_tables.cpp
  win/settings.cpp
)
target_compile_definitions(bw_win32 PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 _WIN32_IE=0x0600)
target_compile_options(bw_win32 PRIVATE ${BW_WARNINGS})
target_link_libraries(bw_win32 PUBLIC comctl32 comdlg32 gdi32 user32 advapi32 shell32 ole32 uuid)

bw_layer(bwwin SEES ui BELOW bw_win32 bw_worker_runner bwfiles_win tvcomm_import SOURCES
  ui/table_dialog.cpp
  ui/table_keys.cpp
  ui/table_files.cpp
  ui/table_check.cpp
  ui/table_recovery.cpp
  ui/table_zoom.cpp
  ui/check_dialog.cpp
  ui/file_dialog.cpp
  ui/table_export.cpp
)
target_compile_options(bwwin PRIVATE ${BW_WARNINGS})

bw_layer(bw_app SEES app BELOW bwwin SOURCES app/table_app.cpp)
target_compile_options(bw_app PRIVATE ${BW_WARNINGS})

add_executable(Bumpwright WIN32 app/main.cpp $<TARGET_OBJECTS:bw_resources> $<TARGET_OBJECTS:bw_manifest>
  $<TARGET_OBJECTS:bw_web_player>)
target_link_libraries(Bumpwright PRIVATE bw_app)
target_compile_options(Bumpwright PRIVATE ${BW_WARNINGS})
target_link_options(Bumpwright PRIVATE $<$<CONFIG:Release>:-s>)

# ---- the help file, compiled beside the program ----------------------------
# The contents page names the version: it is filled in from the project's.
file(GLOB BW_HELP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/help/*)
configure_file(${CMAKE_SOURCE_DIR}/help/index.html ${BW_GENERATED}/help/index.html @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/bin/Bumpwright.chm
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/help
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/help ${CMAKE_BINARY_DIR}/help
  COMMAND ${CMAKE_COMMAND} -E copy ${BW_GENERATED}/help/index.html ${CMAKE_BINARY_DIR}/help/index.html
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/help ${BW_CHMCMD} --no-html-scan Bumpwright.hhp > chmcmd.log
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/help/Bumpwright.chm ${CMAKE_BINARY_DIR}/bin/Bumpwright.chm
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  DEPENDS ${BW_HELP_SOURCES} ${BW_GENERATED}/help/index.html VERBATIM)
add_custom_target(bw_help_file ALL DEPENDS ${CMAKE_BINARY_DIR}/bin/Bumpwright.chm)

# ---- the device-side player program beside the program --------------------
# A stand-in made from its text source, sent by "Download Bumpwright.app...";
# its text names the version.
configure_file(${CMAKE_SOURCE_DIR}/res/player/Bumpwright.app.txt ${BW_GENERATED}/Bumpwright.app @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/bin/Bumpwright.app
  COMMAND ${CMAKE_COMMAND} -E copy ${BW_GENERATED}/Bumpwright.app ${CMAKE_BINARY_DIR}/bin/Bumpwright.app
  DEPENDS ${BW_GENERATED}/Bumpwright.app VERBATIM)
add_custom_target(bw_player_file ALL DEPENDS ${CMAKE_BINARY_DIR}/bin/Bumpwright.app)

# ---- the Wine prefix the tests run in, made once by the build -------------------
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(BW_WINEARCH win64)
else()
  set(BW_WINEARCH win32)
endif()
# A machine that cannot run this build's programs (32-bit ones, on some
# hosts) still builds it, without a prefix: BW_WINE_PREFIX=OFF.
option(BW_WINE_PREFIX "Make the Wine prefix that the tests run in" ON)
if(BW_WINE_PREFIX)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/wineprefix/.ready
    COMMAND env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEARCH=${BW_WINEARCH} ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh
    DEPENDS ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh ${CMAKE_SOURCE_DIR}/cmake/wine-env.sh VERBATIM)
  add_custom_target(bw_wineprefix ALL DEPENDS ${CMAKE_BINARY_DIR}/wineprefix/.ready)
else()
  add_custom_target(bw_wineprefix)
endif()

# ---- window tests: GoogleTest built from Debian's sources, run under Wine -------
enable_testing()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
if(NOT GTEST_SOURCE_DIR)
  execute_process(
    COMMAND sh -c "dpkg -L googletest | grep '/googletest/googletest/CMakeLists.txt$' | head -1 | xargs dirname | xargs dirname"
    OUTPUT_VARIABLE BW_GTEST_FOUND OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT BW_GTEST_FOUND)
    set(BW_GTEST_FOUND /usr/src/googletest)
  endif()
  set(GTEST_SOURCE_DIR ${BW_GTEST_FOUND} CACHE PATH "sources of Debian's googletest package")
endif()
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/gtest-build EXCLUDE_FROM_ALL)

file(GLOB BW_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
# The recorded games play in the Windows build too: the same tick on
# another compiler and another architecture.
add_executable(win_tests ${BW_WIN_TESTS} ${CMAKE_SOURCE_DIR}/tests/core/replay_corpus_test.cpp
  $<TARGET_OBJECTS:bw_resources> $<TARGET_OBJECTS:bw_test_manifest> $<TARGET_OBJECTS:bw_web_player>)
target_link_libraries(win_tests PRIVATE bw_app gtest psapi)
target_compile_options(win_tests PRIVATE ${BW_WARNINGS})
target_include_directories(win_tests PRIVATE ${BW_GENERATED})
bw_view(win_tests PRIVATE tests/win tests/tvcomm tests/core)  # the recorded games use the core tests' helpers
# Paths as the Windows side sees them (Wine maps / to drive Z:).
target_compile_definitions(win_tests PRIVATE BW_SOURCE_DIR_WIN="Z:${CMAKE_SOURCE_DIR}"
  BW_BIN_DIR_WIN="Z:${CMAKE_BINARY_DIR}/bin")
add_dependencies(win_tests bw_help_file bw_player_file bw_wineprefix)

include(GoogleTest)
# The window tests take the one desktop in turn: a window of another test
# process would take the activation that mouse editing needs.
gtest_discover_tests(win_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 TEST_PREFIX "window."
  PROPERTIES RESOURCE_LOCK desktop TIMEOUT 120)
# The window at the screen's DPI, also at 144 and 192 dpi (150 % and 200 %):
# the same tests with the screen set so, and set back to 96 afterwards.
foreach(dpi 144 192)
  add_test(NAME window.ScreenDpi.At${dpi}
    COMMAND sh ${CMAKE_SOURCE_DIR}/tests/win/at_dpi.sh ${dpi} ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR} ScreenDpi.*)
  set_tests_properties(window.ScreenDpi.At${dpi} PROPERTIES RESOURCE_LOCK desktop RUN_SERIAL TRUE TIMEOUT 120
    ENVIRONMENT WINEARCH=${BW_WINEARCH})
endforeach()
# Proof that a failing window test fails the run: this one always fails.
add_test(NAME harness.failure_reaches_ctest
  COMMAND win_tests --gtest_also_run_disabled_tests --gtest_filter=ExitStatus.*)
set_tests_properties(harness.failure_reaches_ctest PROPERTIES WILL_FAIL TRUE)

# ---- end to end: Bumpwright.exe driven from outside with real mouse and keys ----
# Needs the X display of the test run, the prefix's wineserver and the
# native bwtool (build/native) to read the saved file back.
add_test(NAME e2e.editor
  COMMAND sh ${CMAKE_SOURCE_DIR}/tests/e2e/editor_e2e.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
set_tests_properties(e2e.editor PROPERTIES RESOURCE_LOCK desktop TIMEOUT 180
  ENVIRONMENT WINEARCH=${BW_WINEARCH})

# ---- window benchmarks (not tests: they print figures) ----------------------------
function(bw_window_bench name source)
  add_executable(${name} ${source} $<TARGET_OBJECTS:bw_resources> $<TARGET_OBJECTS:bw_manifest>)
  target_link_libraries(${name} PRIVATE bwwin)
  bw_view(${name} PRIVATE bench/win)
  set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE OFF)
  target_compile_options(${name} PRIVATE ${BW_WARNINGS})
  target_compile_definitions(${name} PRIVATE BW_SOURCE_DIR_WIN="Z:${CMAKE_SOURCE_DIR}")
endfunction()
bw_window_bench(win_bench bench/win/paint_bench.cpp)
bw_window_bench(win_play_bench bench/win/play_bench.cpp)
bw_window_bench(win_check_bench bench/win/check_bench.cpp)
bw_window_bench(win_undo_bench bench/win/undo_bench.cpp)
bw_window_bench(win_live_check_bench bench/win/live_check_bench.cpp)
bw_window_bench(win_selection_bench bench/win/selection_bench.cpp)
