# Included by cpack for each generator (CPACK_PROJECT_CONFIG_FILE): only the
# Debian package installs a changelog, an RPM has it in its header.
if(CPACK_GENERATOR STREQUAL "DEB")
  list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${CPACK_CHECK_RT_DEBIAN_DOC})
endif()
