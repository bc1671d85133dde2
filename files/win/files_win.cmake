# The Windows side of the table files: reading and safe replacing, with
# errors by cause. Included by the top CMakeLists.txt for Windows builds;
# its tests are among the window tests.
add_library(bwfiles_win STATIC ${CMAKE_CURRENT_LIST_DIR}/table_file_win.cpp)
target_include_directories(bwfiles_win PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(bwfiles_win PRIVATE -Wall -Wextra -Werror=return-type)

