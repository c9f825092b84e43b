# Writes a C++ source that holds text files as character arrays, each behind
# a function that returns it as a std::string_view. Run as a script:
#
#   cmake -DOUTPUT=<file.cpp> -DNAMESPACE=<ns> -DHEADER=<header.h>
#         -DENTRIES=<function>=<file>;... -P embed_text.cmake
#
# The bytes are written as numbers, so that nothing in a file can end the
# literal that holds it.
set(source "// Made by cmake/embed_text.cmake from the files named below; edit those.\n")
string(APPEND source "#include \"${HEADER}\"\n\nnamespace ${NAMESPACE} {\n")
foreach(entry IN LISTS ENTRIES)
  string(REGEX MATCH "^([A-Za-z_][A-Za-z0-9_]*)=(.*)$" matched "${entry}")
  if(NOT matched)
    message(FATAL_ERROR "embed_text: an entry is <function>=<file>, not ${entry}")
  endif()
  set(function ${CMAKE_MATCH_1})
  set(file ${CMAKE_MATCH_2})
  file(READ ${file} bytes HEX)
  string(LENGTH "${bytes}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${bytes}")
  get_filename_component(name ${file} NAME)
  string(APPEND source "\n// ${name}\nstd::string_view ${function}() {\n")
  string(APPEND source "    static const char bytes[${size} + 1] = {\n    ${bytes}'\\0'};\n")
  string(APPEND source "    return {bytes, ${size}};\n}\n")
endforeach()
string(APPEND source "\n} // namespace ${NAMESPACE}\n")
file(WRITE ${OUTPUT}.new "${source}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
