# The package of a site's build, made by cpack: its documents, its time
# stamps and its fields. Included by CMakeLists.txt, whose folder paths here
# are relative to.

set(CHECK_RT_MAINTAINER "check_RT site build <check-rt@example.org>" CACHE STRING
    "Maintainer of the Debian package: the site's contact, \"Name <address>\"")

# The newest entry of the changelog is this version's, "## 1.1.0 (2026-12-08 10:55 UTC)".
set(changelog_heading "^## ([0-9.]+) \\(([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9] UTC)\\)$")
file(STRINGS CHANGELOG.md newest_entry REGEX "^## " LIMIT_COUNT 1)
if(NOT newest_entry MATCHES "${changelog_heading}")
  message(FATAL_ERROR "CHANGELOG.md: the newest entry must begin '## VERSION (YYYY-MM-DD HH:MM UTC)': '${newest_entry}'")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "CHANGELOG.md has no entry for version ${PROJECT_VERSION}: its newest is ${CMAKE_MATCH_1}")
endif()
set(release_time ${CMAKE_MATCH_2})

# Two more files for the package, where Debian keeps them: the copyright
# notice and the changelog, gzipped like the page. A plain install leaves them
# out; the package asks for their component by name.
include(package/debian_changelog.cmake)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS CHANGELOG.md)
debian_changelog(CHANGELOG.md "${changelog_heading}" ${CMAKE_CURRENT_BINARY_DIR}/changelog
  "${CHECK_RT_VERSION}" "${CHECK_RT_MAINTAINER}")
set(package_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/check-rt)
gzip_in_build(changelog "the changelog")
add_custom_target(check_RT_changelog ALL DEPENDS changelog.gz)
install(FILES COPYRIGHT DESTINATION ${package_doc_dir} RENAME copyright
  COMPONENT package_doc EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${package_doc_dir}
  COMPONENT package_doc EXCLUDE_FROM_ALL)


# The package's time stamps come from the source, so that the same source
# gives the same bytes at any hour: the time of the last commit, or, in a
# source without its git history, the time of the newest changelog entry.
# SOURCE_DATE_EPOCH, when set in cpack's environment, has the last word.
find_package(Git QUIET)
if(Git_FOUND AND EXISTS ${PROJECT_SOURCE_DIR}/.git)
  execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE source_date OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT source_date MATCHES "^[0-9]+$")
  execute_process(COMMAND date -u -d "${release_time}" +%s
    OUTPUT_VARIABLE source_date OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endif()

# cpack -G DEB makes a Debian package of this build: the tool, its page, the
# copyright notice and the changelog. The package is for one site's directory
# and date, so its description says which and its version names the date.
set(CPACK_GENERATOR DEB)
# The install's components that go into the package: the tool and its page
# (installed with no component named) and the package's own documents.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};check_RT;Unspecified;/"
    "${CMAKE_BINARY_DIR};check_RT;package_doc;/")
set(CPACK_DEBIAN_PACKAGE_NAME check-rt)
set(CPACK_DEBIAN_PACKAGE_VERSION "${CHECK_RT_VERSION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CHECK_RT_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "report the day's recheck records outside the acceptance window")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "check_RT reads the list file resultlist.txt in its data directory,
keeps the entries of its date, analyses each one's record file and prints
the minimum, maximum, mean and standard deviation of every record whose
readings are not all inside the acceptance window.
.
This build reads the data directory
${CHECK_RT_DATA_DIR}
and reports the date ${CHECK_RT_TARGET_DATE}; both are compiled in.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# Same bytes under any umask and at any hour: package/stage.cmake sets the
# time stamps and the modes of the directories CPack packs; package/members.cmake
# the modes of the package's own members, which CPack writes under the umask.
set(CPACK_CHECK_RT_SOURCE_DATE_EPOCH "${source_date}")
# cpack reads the settings from a file it includes: without this it would
# read each value as CMake code, and quotes, backslashes, "$" or ";" in the
# directory or the maintainer would change or break the fields.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/package/stage.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/package/members.cmake)
include(CPack)
