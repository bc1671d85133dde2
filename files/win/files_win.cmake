# The Windows side of the table files: reading and safe replacing, with
# errors by cause. Included by the top CMakeLists.txt for Windows builds.
add_library(bwfiles_win STATIC ${CMAKE_CURRENT_LIST_DIR}/table_file_win.cpp)
target_include_directories(bwfiles_win PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(bwfiles_win PRIVATE -Wall -Wextra -Werror=return-type)

enable_testing()
add_executable(files_win_tests ${CMAKE_SOURCE_DIR}/tests/winfiles/file_win_test.cpp)
set_target_properties(files_win_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
target_link_libraries(files_win_tests PRIVATE bwfiles_win gtest_main)
include(GoogleTest)
gtest_discover_tests(files_win_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 TEST_PREFIX "files.")
