# Writes a C++ source holding text files as std::string_view constants, so
# the program carries its page templates and never looks for them at run
# time. Run as a script:
#   cmake -DOUTPUT=file.cpp -DNAMESPACE=ns -DENTRIES="kName=path;..." -P EmbedTexts.cmake
set(content "// Generated from the files named below by cmake/EmbedTexts.cmake.\n")
string(APPEND content "#include <string_view>\n\nnamespace ${NAMESPACE} {\n")
foreach(entry IN LISTS ENTRIES)
  string(FIND "${entry}" "=" split)
  string(SUBSTRING "${entry}" 0 ${split} name)
  math(EXPR start "${split} + 1")
  string(SUBSTRING "${entry}" ${start} -1 path)
  file(READ "${path}" text)
  string(FIND "${text}" ")embedded\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${path} holds the text that ends the embedded string")
  endif()
  string(APPEND content "\n// ${path}\nextern const std::string_view ${name};\n")
  string(APPEND content "const std::string_view ${name} = R\"embedded(${text})embedded\";\n")
endforeach()
string(APPEND content "\n}  // namespace ${NAMESPACE}\n")
file(WRITE "${OUTPUT}.new" "${content}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
