# What an installation holds, and the packages CPack makes of it.
#
# Linux (and other POSIX systems): the programs in bin, their manual pages
# in share/man/man1 (compressed, as Debian has them), the README, the
# licence, the format descriptions and the example in share/doc/dovla32,
# with the licence once more as Debian's machine-readable copyright file and
# a changelog; packaged as a .tar.gz and a Debian .deb.
#
# Windows: one folder to unpack and run in: dovla32.exe and sheettool.exe at
# its top beside README.md and LICENSE, the manual pages as plain text in
# doc, and the example, ready to run, in example; packaged as a .zip.
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
  # gzip -9n: the smallest file, and no name or time in it, so that two
  # builds of the same source give the same bytes.
  find_program(DOVLA32_GZIP gzip REQUIRED)
  set(compressed)
  foreach(file docs/dovla32.1 docs/sheettool.1 packaging/changelog)
    get_filename_component(name ${file} NAME)
    set(output ${PROJECT_BINARY_DIR}/packaging/${name}.gz)
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
      COMMAND ${DOVLA32_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/${file} > ${output}
      DEPENDS ${PROJECT_SOURCE_DIR}/${file}
      COMMENT "Compressing ${name}")
    list(APPEND compressed ${output})
  endforeach()
  add_custom_target(compressed_docs ALL DEPENDS ${compressed})
  install(FILES ${PROJECT_BINARY_DIR}/packaging/dovla32.1.gz
                ${PROJECT_BINARY_DIR}/packaging/sheettool.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz
                ${PROJECT_SOURCE_DIR}/packaging/copyright
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

install(TARGETS dovla32 RUNTIME DESTINATION ${bin_dir})
if(TARGET sheettool)
  install(TARGETS sheettool RUNTIME DESTINATION ${bin_dir})
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION ${readme_dir})
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
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "net list utility and checker for Tavel schematic sheets")
set(CPACK_PACKAGE_DESCRIPTION
    "dovla32 reads a Tavel sheet file and the part libraries that TAVEL.INI
names, works out the electrical connectivity and writes a part list and a
net list.

sheettool turns sheet and library files into text and back, lists the
nets, checks a design, compares two revisions and draws every sheet in an
HTML page.")
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
