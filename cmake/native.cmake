# Native (Linux) build: the command-line tool, tests, benchmarks, fuzzers.
find_package(PNG REQUIRED)
find_package(GTest REQUIRED)
find_package(benchmark QUIET)

include(cmake/web-player.cmake)
add_executable(bwtool
  tools/bwtool/main.cpp
  tools/bwtool/page.cpp
  tools/bwtool/png_writer.cpp
  tools/bwtool/simulate.cpp
  tools/bwtool/text.cpp
  tools/bwtool/check.cpp
  tools/bwtool/movie.cpp
)
find_library(GIF_LIBRARY gif REQUIRED)
target_link_libraries(bwtool PRIVATE bw_workers PNG::PNG ${GIF_LIBRARY})
bw_view(bwtool PRIVATE tools/bwtool)
# The web player goes inside the tool, for bwtool page.
target_compile_definitions(bwtool PRIVATE BW_WEB_PLAYER="${BW_WEB_PLAYER}")
set_source_files_properties(tools/bwtool/page.cpp PROPERTIES OBJECT_DEPENDS ${BW_WEB_PLAYER})
target_compile_options(bwtool PRIVATE -Wall -Wextra)

# The editor fuzzer's harness: the driver (the one place where tests reach
# the editor), action scripts, the rules checked after every action, the
# random walk and the shrinker. The kept scripts play in the core tests; the
# fixed seeds in a test of their own, so that the core tests stay quick.
bw_layer(bw_editor_fuzz SEES tests/editor_fuzz BELOW bw_editor SOURCES
  tests/editor_fuzz/script.cpp
  tests/editor_fuzz/shapes.cpp
  tests/editor_fuzz/checks.cpp
  tests/editor_fuzz/generator.cpp
  tests/editor_fuzz/harness.cpp
  tests/editor_fuzz/memory_meter.cpp
)
target_compile_definitions(bw_editor_fuzz PRIVATE BW_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
target_compile_options(bw_editor_fuzz PRIVATE -Wall -Wextra)

enable_testing()
include(GoogleTest)
file(GLOB BW_NATIVE_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/core/*.cpp)
add_executable(core_tests ${BW_NATIVE_TESTS})
target_link_libraries(core_tests PRIVATE bw_worker_runner bw_editor_fuzz GTest::gtest_main PNG::PNG ${GIF_LIBRARY})
bw_view(core_tests PRIVATE tests/core)
target_compile_definitions(core_tests PRIVATE
  BW_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
  BW_BWTOOL="$<TARGET_FILE:bwtool>"
  BW_BINARY_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(core_tests bwtool)
gtest_discover_tests(core_tests DISCOVERY_TIMEOUT 60)

add_executable(editor_fuzz_tests tests/editor_fuzz/seeds_test.cpp)
target_link_libraries(editor_fuzz_tests PRIVATE bw_editor_fuzz GTest::gtest_main)
add_test(NAME editor_fuzz.seeds COMMAND editor_fuzz_tests)
# Under the sanitizers the walk allocates at a great rate: a smaller
# quarantine and shorter allocation stacks keep it within its minute.
set_tests_properties(editor_fuzz.seeds PROPERTIES TIMEOUT 600
  ENVIRONMENT "ASAN_OPTIONS=quarantine_size_mb=16:max_malloc_fill_size=0:malloc_context_size=5")
add_executable(editor_fuzz_run tests/editor_fuzz/run_main.cpp)
target_link_libraries(editor_fuzz_run PRIVATE bw_editor_fuzz)

if(benchmark_FOUND AND NOT BW_SANITIZE)
  file(GLOB BW_BENCH CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/bench/*.cpp)
  add_executable(core_bench ${BW_BENCH})
  target_link_libraries(core_bench PRIVATE bw_games benchmark::benchmark_main)
  target_compile_definitions(core_bench PRIVATE BW_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
    BW_BWTOOL="$<TARGET_FILE:bwtool>" BW_BINARY_DIR="${CMAKE_BINARY_DIR}")
endif()

if(BW_FUZZ)
  # Each links the layers it tries.
  function(bw_fuzzer target)
    add_executable(${target} fuzz/${target}.cpp)
    target_link_libraries(${target} PRIVATE ${ARGN})
    target_compile_options(${target} PRIVATE -g -fsanitize=fuzzer)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  endfunction()
  bw_fuzzer(read_fuzz bw_files bw_physics)  # a file read, painted and played a little
  bw_fuzzer(roundtrip_fuzz bw_files)
  bw_fuzzer(text_fuzz bw_files)
  bw_fuzzer(replay_fuzz bw_games)
  bw_fuzzer(editor_fuzz bw_editor_fuzz)  # action scripts on the editor, every rule checked
endif()

# The example tables are kept as text and built into table files.
file(GLOB BW_EXAMPLES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/examples/*.txt)
set(BW_EXAMPLE_FILES)
foreach(text ${BW_EXAMPLES})
  get_filename_component(name ${text} NAME_WE)
  set(out ${CMAKE_BINARY_DIR}/examples/${name}.bwt)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/examples
    COMMAND bwtool build ${text} ${out}
    DEPENDS bwtool ${text}
    COMMENT "Building example table ${name}.bwt")
  list(APPEND BW_EXAMPLE_FILES ${out})
endforeach()
add_custom_target(examples ALL DEPENDS ${BW_EXAMPLE_FILES})
add_dependencies(core_tests examples)

# ---- the web page in a browser: Debian's Chromium, headless, driven by
# puppeteer-core from tests/web (npm ci there: sh scripts/install-deps.sh) ----
find_program(BW_NODE node)
if(BW_NODE AND NOT BW_SANITIZE)
  file(GLOB BW_BROWSER_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/web/*.test.mjs)
  foreach(test ${BW_BROWSER_TESTS})
    get_filename_component(name ${test} NAME)
    string(REPLACE ".test.mjs" "" name ${name})
    add_test(NAME browser.${name} COMMAND ${BW_NODE} --test ${test})
    set_tests_properties(browser.${name} PROPERTIES TIMEOUT 180
      ENVIRONMENT "BW_BWTOOL=$<TARGET_FILE:bwtool>;BW_EXAMPLES=${CMAKE_BINARY_DIR}/examples")
  endforeach()
endif()
