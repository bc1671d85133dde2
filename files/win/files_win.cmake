# The Windows side of the table files: reading and safe replacing, with
# errors by cause. Included by the top CMakeLists.txt for Windows builds;
# its tests are among the window tests.
add_library(bwfiles_win STATIC ${CMAKE_CURRENT_LIST_DIR}/table_file_win.cpp ${CMAKE_CURRENT_LIST_DIR}/wide_text.cpp)
bw_view(bwfiles_win PUBLIC files/win)
target_link_libraries(bwfiles_win PUBLIC bw_model)
target_compile_options(bwfiles_win PRIVATE -Wall -Wextra -Werror=return-type)

