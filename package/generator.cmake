# cpack includes this for each generator it runs, before it installs the
# files to pack (CPACK_PROJECT_CONFIG_FILE in package/package.cmake).

# An RPM keeps its changelog in its header; only the Debian package installs one.
if(CPACK_GENERATOR STREQUAL "DEB")
  list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${CPACK_CHECK_RT_DEBIAN_DOC})
endif()
