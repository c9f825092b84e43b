# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers
# (package g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DCMAKE_BUILD_TYPE=Release -DDOVLA32_TESTS=OFF
# The posix-threads variant is used; the program itself has one thread, and
# the executable is linked statically (see the root CMakeLists.txt), so it
# needs no runtime DLL of the compiler.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DOVLA32_MINGW_PREFIX x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${DOVLA32_MINGW_PREFIX}-gcc-posix ${DOVLA32_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${DOVLA32_MINGW_PREFIX}-g++-posix ${DOVLA32_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${DOVLA32_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DOVLA32_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)


# With Wine installed, the build runs the programs it makes under it (to
# build the example), without Wine's debug messages.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(DOVLA32_WINE wine)
  if(DOVLA32_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all ${DOVLA32_WINE})
  endif()
endif()
