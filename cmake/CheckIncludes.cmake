# Fails when a file of LIBRARY includes a header of this tree from a folder
# outside ALLOWED. Run by the build (see HotlapLibrary.cmake) as
#   cmake -DCONFIG=<library>.cmake -P CheckIncludes.cmake
# where CONFIG sets LIBRARY, FOLDER, ALLOWED, FILES, SOURCE_DIR and STAMP.
cmake_minimum_required(VERSION 3.25)
include(${CONFIG})

set(wrong)
foreach(file IN LISTS FILES)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
    get_filename_component(header_folder "${header}" DIRECTORY)
    # A bare name is a header beside the file; a folder this tree lacks
    # belongs to a system library. Neither is ours to check.
    if(header_folder STREQUAL "" OR NOT IS_DIRECTORY "${SOURCE_DIR}/${header_folder}")
      continue()
    endif()
    if(NOT header_folder IN_LIST ALLOWED)
      file(RELATIVE_PATH shown ${SOURCE_DIR} ${file})
      string(APPEND wrong "\n  ${shown}: #include \"${header}\"")
    endif()
  endforeach()
endforeach()

if(wrong)
  list(JOIN ALLOWED ", " allowed_text)
  message(FATAL_ERROR "${LIBRARY} (folder ${FOLDER}/) includes headers it may not use:${wrong}\n"
    "It may include only from: ${allowed_text}.\n"
    "Includes point down the layers (see docs/architecture.md). If the dependency "
    "really points this way, add the library that owns the folder to the DEPS of "
    "hotlap_library(${LIBRARY} ...); otherwise move the code to the layer it belongs to.")
endif()
file(TOUCH ${STAMP})
