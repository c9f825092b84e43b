# Windows executables carry their version information as a resource: the
# product, its version and what the program does, shown in the file's
# properties.
#
#   dovla32_version_resource(<target> "<description>")
#
# Does nothing where the target system is not Windows.
function(dovla32_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(DOVLA32_RC_NAME ${target})
  set(DOVLA32_RC_FILE ${target}.exe)
  set(DOVLA32_RC_DESCRIPTION "${description}")
  set(resource ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${resource} @ONLY)
  target_sources(${target} PRIVATE ${resource})
endfunction()
