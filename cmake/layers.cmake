# Layers: each part of the program is a library that sees only its own
# folders and those of the layers below it. What a target sees is a folder
# in the build tree holding links to those source folders, and that folder
# is its include directory: an include of a folder it may not see does not
# compile. Libraries link the layers below them publicly, so a target sees
# its own view and the views of everything it links.
#
#   bw_view(TARGET PUBLIC|PRIVATE|INTERFACE PATH...)
#       gives TARGET the view of PATH... (folders of the source tree,
#       "res/pieces" as well as "model"); a PATH ending in "/*" shows the
#       files of that folder without its subfolders.
#
#   bw_layer(NAME SEES PATH... [BELOW LAYER...] SOURCES FILE...)
#       a static library of FILE... that sees PATH... and links LAYER...
#
# Paths are in the source tree, BW_SOURCE_ROOT: the root project's folder,
# or the folder above web/ for the web player's project.
if(NOT BW_SOURCE_ROOT)
  set(BW_SOURCE_ROOT ${CMAKE_SOURCE_DIR})
endif()

function(bw_view target scope)
  set(view ${CMAKE_BINARY_DIR}/views/${target})
  # Removing the old view removes its links, never what they point to.
  file(REMOVE_RECURSE ${view})
  file(MAKE_DIRECTORY ${view})
  foreach(path ${ARGN})
    if(path MATCHES "^(.+)/\\*$")
      set(folder ${CMAKE_MATCH_1})
      file(MAKE_DIRECTORY ${view}/${folder})
      file(GLOB entries LIST_DIRECTORIES false CONFIGURE_DEPENDS ${BW_SOURCE_ROOT}/${folder}/*)
      foreach(entry ${entries})
        get_filename_component(name ${entry} NAME)
        file(CREATE_LINK ${entry} ${view}/${folder}/${name} SYMBOLIC)
      endforeach()
    else()
      if(NOT IS_DIRECTORY ${BW_SOURCE_ROOT}/${path})
        message(FATAL_ERROR "bw_view(${target}): no folder ${path}")
      endif()
      get_filename_component(parent ${view}/${path} DIRECTORY)
      file(MAKE_DIRECTORY ${parent})
      file(CREATE_LINK ${BW_SOURCE_ROOT}/${path} ${view}/${path} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} ${scope} ${view})
endfunction()

function(bw_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 LAYER "" "" "SEES;BELOW;SOURCES")
  if(LAYER_UNPARSED_ARGUMENTS OR NOT LAYER_SEES OR NOT LAYER_SOURCES)
    message(FATAL_ERROR "bw_layer(${name} SEES PATH... [BELOW LAYER...] SOURCES FILE...)")
  endif()
  list(TRANSFORM LAYER_SOURCES PREPEND ${BW_SOURCE_ROOT}/ REGEX "^[^/]")
  add_library(${name} STATIC ${LAYER_SOURCES})
  bw_view(${name} PUBLIC ${LAYER_SEES})
  target_link_libraries(${name} PUBLIC ${LAYER_BELOW})
endfunction()
