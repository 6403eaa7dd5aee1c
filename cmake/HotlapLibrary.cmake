# One static library per source folder: every .cpp in the folder belongs to it,
# so adding a file needs no edit here.
#
# Includes point one way: a library's sources and headers may include only
# headers of its own folder and of the folders of the libraries it depends on
# (DEPS; not those of their DEPS). The build checks every library's
# `#include "..."` lines and fails on any other folder of this tree, so a
# dependency that points the wrong way cannot slip in. Code below
# HOTLAP_UNCHECKED_FOLDERS may include anything.
set(HOTLAP_UNCHECKED_FOLDERS tests tools bench fuzz)

function(hotlap_library name dir)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${dir}/*.h)
  foreach(skip IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "/${skip}$")
  endforeach()
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${dir})
  set_property(GLOBAL APPEND PROPERTY HOTLAP_LIBRARIES ${name})
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
  set_target_properties(${name} PROPERTIES HOTLAP_FOLDER "${folder}")
  set_property(TARGET ${name} PROPERTY HOTLAP_FILES ${sources} ${headers})
endfunction()

# The folders `target` may include from: its own and those of the libraries
# it names in DEPS. A dependency's dependencies do not count: a library that
# includes a header of theirs must name them itself, so its DEPS say all it
# uses.
function(_hotlap_allowed_folders target out)
  get_target_property(folders ${target} HOTLAP_FOLDER)
  get_target_property(type ${target} TYPE)
  set(deps)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(deps ${target} LINK_LIBRARIES)
  endif()
  get_target_property(interface_deps ${target} INTERFACE_LINK_LIBRARIES)
  foreach(dep IN LISTS deps interface_deps)
    if(TARGET ${dep})
      get_target_property(dep_folder ${dep} HOTLAP_FOLDER)
      if(dep_folder)
        list(APPEND folders ${dep_folder})
      endif()
    endif()
  endforeach()
  list(REMOVE_DUPLICATES folders)
  set(${out} ${folders} PARENT_SCOPE)
endfunction()

# Runs once all folders are configured, when every library and its
# dependencies are known: one check per library, which the library waits for.
function(_hotlap_check_all_includes)
  get_property(libraries GLOBAL PROPERTY HOTLAP_LIBRARIES)
  foreach(library IN LISTS libraries)
    get_target_property(folder ${library} HOTLAP_FOLDER)
    string(REGEX REPLACE "/.*" "" top "${folder}")
    if(top IN_LIST HOTLAP_UNCHECKED_FOLDERS)
      continue()
    endif()
    get_target_property(files ${library} HOTLAP_FILES)
    _hotlap_allowed_folders(${library} allowed)
    set(config ${PROJECT_BINARY_DIR}/include-checks/${library}.cmake)
    set(stamp ${PROJECT_BINARY_DIR}/include-checks/${library}.stamp)
    file(CONFIGURE OUTPUT ${config} CONTENT [[
set(LIBRARY "@library@")
set(FOLDER "@folder@")
set(ALLOWED "@allowed@")
set(FILES "@files@")
set(SOURCE_DIR "@PROJECT_SOURCE_DIR@")
set(STAMP "@stamp@")
]] @ONLY)
    add_custom_command(OUTPUT ${stamp}
      COMMAND ${CMAKE_COMMAND} -DCONFIG=${config} -P ${HOTLAP_CHECK_INCLUDES_SCRIPT}
      DEPENDS ${files} ${config} ${HOTLAP_CHECK_INCLUDES_SCRIPT}
      COMMENT "Checking which folders ${library} includes"
      VERBATIM)
    add_custom_target(${library}_includes ALL DEPENDS ${stamp})
    get_target_property(type ${library} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      add_dependencies(${library} ${library}_includes)
    endif()
  endforeach()
endfunction()
set(HOTLAP_CHECK_INCLUDES_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/CheckIncludes.cmake)
cmake_language(DEFER CALL _hotlap_check_all_includes)

# One GoogleTest executable per folder below tests/.
function(hotlap_test name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${name} ${sources})
  target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(test_${name} PRIVATE
    HOTLAP_SOURCE_DIR="${PROJECT_SOURCE_DIR}" HOTLAP_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(test_${name}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
endfunction()

# Builds text files into TARGET as std::string_view constants of NAMESPACE:
#   hotlap_embed_texts(TARGET NAMESPACE kName=path ...)
function(hotlap_embed_texts target namespace)
  set(entries ${ARGN})
  set(files)
  foreach(entry IN LISTS entries)
    string(REGEX REPLACE "^[^=]*=" "" file "${entry}")
    list(APPEND files ${file})
  endforeach()
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}_texts.cpp)
  add_custom_command(
    OUTPUT ${source}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${source} -DNAMESPACE=${namespace}
            "-DENTRIES=${entries}" -P ${PROJECT_SOURCE_DIR}/cmake/EmbedTexts.cmake
    DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/EmbedTexts.cmake
    COMMENT "Embedding the texts of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${source})
endfunction()
