# The web player that bwtool page and the program's File › Export › Web
# page... put into the pages they write: built first, by emscripten, in a
# build of its own (web/, build/web; sh scripts/web-player.sh), and taken
# from there as the table tool is for the release.
set(BW_WEB_PLAYER ${CMAKE_SOURCE_DIR}/build/web/bumpwright-player.js CACHE FILEPATH
    "the web player (web/, built with emscripten) that the pages carry")
if(NOT EXISTS ${BW_WEB_PLAYER})
  message(FATAL_ERROR "The web player ${BW_WEB_PLAYER} is not there. Build it first with "
    "sh scripts/web-player.sh, which needs Debian's emscripten (apt-get install emscripten, or "
    "sh scripts/install-deps.sh as root), or name another with -DBW_WEB_PLAYER=PATH.")
endif()
