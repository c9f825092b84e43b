# Writes a C++ source that holds text files as character arrays, each behind
# a function that returns it as a std::string_view. Run as a script:
#
#   cmake -DOUTPUT=<file.cpp> -DNAMESPACE=<ns> -DHEADER=<header.h>
#         -DENTRIES=<function>=<file>;... -P embed_text.cmake
#
# The bytes are written as numbers, so that nothing in a file can end the
# literal that holds it. -DHASHED=<function>;... adds, for each function
# named, <function>Hash(): the file's SHA-256 as a Content-Security-Policy
# source ("'sha256-<base64>'"), so that a page allows exactly that script.

# if(... IN_LIST ...) in a script run with -P.
cmake_policy(SET CMP0057 NEW)

# The base64 of the bytes that a string of hex digits spells.
function(hex_to_base64 hex out)
  set(alphabet "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
  string(LENGTH "${hex}" digits)
  set(result "")
  set(at 0)
  while(at LESS digits)
    string(SUBSTRING "${hex}" ${at} 6 group)
    string(LENGTH "${group}" length)
    math(EXPR padding "6 - ${length}")
    string(REPEAT "0" ${padding} zeros)
    math(EXPR value "0x${group}${zeros}" OUTPUT_FORMAT DECIMAL)
    math(EXPR shown "${length} / 2 + 1")
    foreach(sextet RANGE 3)
      if(sextet LESS shown)
        math(EXPR index "(${value} >> (18 - 6 * ${sextet})) & 63")
        string(SUBSTRING "${alphabet}" ${index} 1 character)
        string(APPEND result "${character}")
      else()
        string(APPEND result "=")
      endif()
    endforeach()
    math(EXPR at "${at} + 6")
  endwhile()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

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
  if(function IN_LIST HASHED)
    file(SHA256 ${file} digest)
    hex_to_base64(${digest} digest)
    string(APPEND source "\nstd::string_view ${function}Hash() {\n")
    string(APPEND source "    return \"'sha256-${digest}'\";\n}\n")
  endif()
endforeach()
string(APPEND source "\n} // namespace ${NAMESPACE}\n")
file(WRITE ${OUTPUT}.new "${source}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
