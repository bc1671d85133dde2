# The portable core's layers: the table model, the physics, the files and
# the games. The root project builds them for the program, the tool and the
# tests; the web player (web/) builds the same layers with emscripten.
include(${CMAKE_CURRENT_LIST_DIR}/layers.cmake)
set(BW_CORE_WARNINGS -Wall -Wextra -Wpedantic -Werror=return-type)
bw_layer(bw_model SEES model res/pieces SOURCES
  model/region.cpp
  model/pieces.cpp
  model/kinds.cpp
  model/copy.cpp
  model/xpm.cpp
  model/path_text.cpp
  model/soft_surface.cpp
  model/paint.cpp
  model/history.cpp
)
bw_layer(bw_physics SEES physics BELOW bw_model SOURCES
  physics/ball.cpp
  physics/collisions.cpp
  physics/flippers.cpp
  physics/game.cpp
  physics/sweep.cpp
)
bw_layer(bw_files SEES files/* BELOW bw_model SOURCES
  files/table_text.cpp
  files/table_file.cpp
  files/web_page.cpp
)
bw_layer(bw_games SEES games BELOW bw_physics bw_files SOURCES
  games/key_script.cpp
  games/playtest.cpp
  games/replay.cpp
)
foreach(layer bw_model bw_physics bw_files bw_games)
  target_compile_options(${layer} PRIVATE ${BW_CORE_WARNINGS})
endforeach()
