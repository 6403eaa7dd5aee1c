# Builds a small tree with hotlap_library() four times: includes that point
# down into a declared dependency (and anything from an unchecked folder)
# must build; an include that points up, one into a sibling the library does
# not depend on, and one into a dependency's dependency the library does not
# name must fail the build and name the offending line.
#   cmake -DHOTLAP_CMAKE_DIR=<cmake/> -DWORK=<scratch folder> -DGENERATOR=<generator>
#         -DCXX=<compiler> -P include_check_test.cmake
cmake_minimum_required(VERSION 3.25)

function(write_tree root low_include sibling_include top_include)
  file(REMOVE_RECURSE ${root})
  set(project [[
cmake_minimum_required(VERSION 3.25)
project(layers LANGUAGES CXX)
include(@HOTLAP_CMAKE_DIR@/HotlapLibrary.cmake)
hotlap_library(low ${PROJECT_SOURCE_DIR}/low)
hotlap_library(mid ${PROJECT_SOURCE_DIR}/mid DEPS low)
hotlap_library(side ${PROJECT_SOURCE_DIR}/side DEPS low)
hotlap_library(top ${PROJECT_SOURCE_DIR}/top DEPS mid side)
hotlap_library(fixtures ${PROJECT_SOURCE_DIR}/tests/fixtures DEPS low)
]])
  string(CONFIGURE "${project}" project @ONLY)
  file(WRITE ${root}/CMakeLists.txt "${project}")
  foreach(folder low mid side top tests/fixtures)
    string(MAKE_C_IDENTIFIER ${folder} id)
    file(WRITE ${root}/${folder}/${id}.h "#pragma once\ninline int ${id}_value() { return 1; }\n")
  endforeach()
  file(WRITE ${root}/low/low.cpp "#include \"low/low.h\"\n${low_include}\nint low_use() { return low_value(); }\n")
  file(WRITE ${root}/mid/mid.cpp "#include \"low/low.h\"\n#include \"mid/mid.h\"\n${sibling_include}\nint mid_use() { return 2; }\n")
  file(WRITE ${root}/side/side.cpp "#include \"side/side.h\"\nint side_use() { return 3; }\n")
  file(WRITE ${root}/top/top.cpp "#include \"mid/mid.h\"\n#include \"top/top.h\"\n${top_include}\nint top_use() { return 4; }\n")
  file(WRITE ${root}/tests/fixtures/fixture.cpp "#include \"top/top.h\"\n#include <vector>\nint fixture_use() { return 5; }\n")
endfunction()

function(build_tree name low_include sibling_include top_include result_var output_var)
  set(root ${WORK}/${name})
  write_tree(${root} "${low_include}" "${sibling_include}" "${top_include}")
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${root} -B ${root}/build -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX}
    RESULT_VARIABLE configured OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT configured EQUAL 0)
    message(FATAL_ERROR "${name}: configuring failed:\n${out}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${root}/build
    RESULT_VARIABLE built OUTPUT_VARIABLE out ERROR_VARIABLE out)
  set(${result_var} ${built} PARENT_SCOPE)
  set(${output_var} "${out}" PARENT_SCOPE)
endfunction()

set(failures)

function(expect_refused name low_include sibling_include top_include wrong_line)
  build_tree(${name} "${low_include}" "${sibling_include}" "${top_include}" result out)
  if(result EQUAL 0)
    set(failures "${failures}${name}: ${wrong_line} built\n" PARENT_SCOPE)
  elseif(NOT out MATCHES "${wrong_line}")
    set(failures "${failures}${name}: the failed build does not name ${wrong_line}:\n${out}\n" PARENT_SCOPE)
  endif()
endfunction()

build_tree(down "" "" "" result out)
if(NOT result EQUAL 0)
  string(APPEND failures "includes that point down did not build:\n${out}\n")
endif()
expect_refused(up "#include \"top/top.h\"" "" "" "low/low.cpp: #include \"top/top.h\"")
expect_refused(sibling "" "#include \"side/side.h\"" "" "mid/mid.cpp: #include \"side/side.h\"")
# top reaches low only through mid: it must name low itself.
expect_refused(undeclared "" "" "#include \"low/low.h\"" "top/top.cpp: #include \"low/low.h\"")

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
