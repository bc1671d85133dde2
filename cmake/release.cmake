# The release, made by the target `dist` (scripts/package.sh builds it):
#   dist/Bumpwright-<version>-setup.exe     the installer (NSIS)
#   dist/Bumpwright-<version>-portable.zip  the same files in one folder, with a read-me
# Both hold Bumpwright.exe, tvcomm.dll, Bumpwright.chm, Bumpwright.app and
# the example tables, which the native bwtool builds from examples/*.txt.

set(BW_TABLE_TOOL ${CMAKE_SOURCE_DIR}/build/native/bwtool CACHE FILEPATH
    "the native bwtool that builds the example tables of a release")
set(BW_DIST_DIR ${CMAKE_SOURCE_DIR}/dist CACHE PATH "where the release files are written")
find_program(BW_MAKENSIS makensis)
find_program(BW_ZIP zip)

set(BW_RELEASE_NAME Bumpwright-${PROJECT_VERSION})
set(BW_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
set(BW_STAGE ${BW_RELEASE_DIR}/${BW_RELEASE_NAME})
set(BW_SETUP ${BW_DIST_DIR}/${BW_RELEASE_NAME}-setup.exe)
set(BW_PORTABLE ${BW_DIST_DIR}/${BW_RELEASE_NAME}-portable.zip)
set(BW_VERSION_QUAD ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
set(BW_ICON ${BW_GENERATED}/app.ico)

# One list of what is released; the installer's File and Delete lines and
# the staging steps are all made from it.
set(BW_RELEASE_FILES Bumpwright.exe tvcomm.dll Bumpwright.chm Bumpwright.app)
file(GLOB BW_EXAMPLE_TEXTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/examples/*.txt)
set(BW_NSIS_INSTALL "")
set(BW_NSIS_REMOVE "")
set(BW_STAGE_COMMANDS)
foreach(file ${BW_RELEASE_FILES})
  string(APPEND BW_NSIS_INSTALL "  File \"${BW_STAGE}/${file}\"\n")
  string(APPEND BW_NSIS_REMOVE "  Delete \"$INSTDIR\\${file}\"\n")
  list(APPEND BW_STAGE_COMMANDS COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/bin/${file} ${BW_STAGE}/${file})
endforeach()
string(APPEND BW_NSIS_INSTALL "  SetOutPath \"$INSTDIR\\Examples\"\n")
foreach(text ${BW_EXAMPLE_TEXTS})
  get_filename_component(name ${text} NAME_WE)
  string(APPEND BW_NSIS_INSTALL "  File \"${BW_STAGE}/Examples/${name}.bwt\"\n")
  string(APPEND BW_NSIS_REMOVE "  Delete \"$INSTDIR\\Examples\\${name}.bwt\"\n")
  list(APPEND BW_STAGE_COMMANDS COMMAND ${BW_TABLE_TOOL} build ${text} ${BW_STAGE}/Examples/${name}.bwt)
endforeach()
string(APPEND BW_NSIS_INSTALL "  SetOutPath \"$INSTDIR\"")
string(STRIP "${BW_NSIS_REMOVE}" BW_NSIS_REMOVE)
set(BW_NSIS_REMOVE "  ${BW_NSIS_REMOVE}")

# The 64-bit build (for testing on machines that run only 64-bit programs)
# gets the same installer with NSIS's 64-bit stub.
set(BW_NSIS_ARGS -V2)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  list(APPEND BW_NSIS_ARGS "-XTarget amd64-unicode")
endif()

configure_file(${CMAKE_SOURCE_DIR}/installer/Bumpwright.nsi.in ${BW_RELEASE_DIR}/Bumpwright.nsi @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/installer/ReadMe.txt ${BW_RELEASE_DIR}/ReadMe.txt @ONLY NEWLINE_STYLE CRLF)

if(BW_MAKENSIS AND BW_ZIP)
  add_custom_command(OUTPUT ${BW_SETUP} ${BW_PORTABLE}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${BW_STAGE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${BW_STAGE}/Examples ${BW_DIST_DIR}
    ${BW_STAGE_COMMANDS}
    COMMAND ${CMAKE_COMMAND} -E copy ${BW_RELEASE_DIR}/ReadMe.txt ${BW_STAGE}/ReadMe.txt
    COMMAND ${BW_MAKENSIS} ${BW_NSIS_ARGS} ${BW_RELEASE_DIR}/Bumpwright.nsi
    COMMAND ${CMAKE_COMMAND} -E rm -f ${BW_PORTABLE}
    COMMAND ${CMAKE_COMMAND} -E chdir ${BW_RELEASE_DIR} ${BW_ZIP} -q -r -X ${BW_PORTABLE} ${BW_RELEASE_NAME}
    DEPENDS Bumpwright tvcomm bw_help_file bw_player_file bw_pictures ${BW_TABLE_TOOL} ${BW_EXAMPLE_TEXTS}
            ${BW_RELEASE_DIR}/Bumpwright.nsi ${BW_RELEASE_DIR}/ReadMe.txt
    COMMENT "Packing ${BW_RELEASE_NAME}-setup.exe and ${BW_RELEASE_NAME}-portable.zip"
    VERBATIM)
  add_custom_target(dist DEPENDS ${BW_SETUP} ${BW_PORTABLE})
else()
  add_custom_target(dist COMMAND ${CMAKE_COMMAND} -E echo "makensis and zip are needed: sh scripts/install-deps.sh"
    COMMAND false VERBATIM)
endif()
