# What an installation holds, and the packages CPack makes of it.
#
# Linux (and other POSIX systems): the programs in bin, their manual pages
# in share/man/man1, the README, the format descriptions and the example in
# share/doc/dovla32; packaged as a .tar.gz and a Debian .deb.
#
# Windows: one folder to unpack and run in: dovla32.exe and sheettool.exe at
# its top beside README.md, the manual pages as plain text in doc, and the
# example, ready to run, in example; packaged as a .zip.
#
# Packages are made from a Release build and stripped:
#   cmake --build <build> --target package
include(GNUInstallDirs)

set(example_dir ${PROJECT_BINARY_DIR}/examples)
set(docs ${PROJECT_SOURCE_DIR}/docs/sheet-text-format.md ${PROJECT_SOURCE_DIR}/docs/sheettool-json.md
         ${PROJECT_SOURCE_DIR}/docs/view-example.png)
set(example_texts ${PROJECT_SOURCE_DIR}/examples/demo.sch.txt
                  ${PROJECT_SOURCE_DIR}/examples/basic.lib.txt
                  ${PROJECT_SOURCE_DIR}/examples/logic.lib.txt)

if(WIN32)
  set(bin_dir .)
  set(readme_dir .)
  set(doc_dir doc)
  set(example_install_dir example)
  # Windows has no man: the pages as plain text, with Windows line ends.
  find_program(DOVLA32_GROFF groff REQUIRED)
  set(manual_texts)
  foreach(page dovla32 sheettool)
    set(text ${PROJECT_BINARY_DIR}/${page}.txt)
    add_custom_command(
      OUTPUT ${text}
      COMMAND ${CMAKE_COMMAND} -DGROFF=${DOVLA32_GROFF} -DPAGE=${PROJECT_SOURCE_DIR}/docs/${page}.1
              -DOUTPUT=${text} -P ${PROJECT_SOURCE_DIR}/cmake/manual_text.cmake
      DEPENDS ${PROJECT_SOURCE_DIR}/docs/${page}.1 ${PROJECT_SOURCE_DIR}/cmake/manual_text.cmake
      COMMENT "Writing the manual page ${page}(1) as text")
    list(APPEND manual_texts ${text})
  endforeach()
  add_custom_target(manual_texts ALL DEPENDS ${manual_texts})
  install(FILES ${manual_texts} DESTINATION ${doc_dir})
else()
  set(bin_dir ${CMAKE_INSTALL_BINDIR})
  set(readme_dir ${CMAKE_INSTALL_DOCDIR})
  set(doc_dir ${CMAKE_INSTALL_DOCDIR})
  set(example_install_dir ${CMAKE_INSTALL_DOCDIR}/example)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/dovla32.1 ${PROJECT_SOURCE_DIR}/docs/sheettool.1
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

install(TARGETS dovla32 sheettool RUNTIME DESTINATION ${bin_dir})
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${readme_dir})
install(FILES ${docs} DESTINATION ${doc_dir})
# The example as the build makes it, with the texts it is made from. A cross
# build without an emulator cannot make it (see examples/CMakeLists.txt).
if(TARGET example)
  install(FILES ${example_dir}/demo.sch ${example_dir}/basic.lib ${example_dir}/logic.lib
                ${example_dir}/TAVEL.INI ${example_texts}
          DESTINATION ${example_install_dir})
else()
  message(STATUS "No emulator for the target's programs: packages go without the example")
endif()

set(CPACK_PACKAGE_NAME dovla32)
set(CPACK_PACKAGE_VENDOR "dovla32 developers")
set(CPACK_PACKAGE_CONTACT "dovla32 developers <dovla32@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Net list utility for Tavel schematic sheets, and sheettool to see and check their connectivity")
set(CPACK_PACKAGE_DESCRIPTION
    "dovla32 reads a Tavel sheet file and the part libraries that TAVEL.INI names, works out the \
electrical connectivity and writes a part list and a net list. sheettool turns sheet and library \
files into text and back, lists the nets, checks a design, compares two revisions and draws every \
sheet in an HTML page.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY dovla32)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build[^/]*/;/\\\\.git/")
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
  # The libraries the programs link, as dpkg-shlibdeps finds them (dpkg-dev).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
