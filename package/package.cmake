# The packages of a site's build, made by cpack. Included by CMakeLists.txt,
# whose folder the paths here are relative to.

set(CHECK_RT_MAINTAINER "check_RT site build <check-rt@example.org>" CACHE STRING
    "Maintainer of the packages (the RPM's packager and vendor): the site's contact, \"Name <address>\"")

# The copyright notice goes into both packages, the changelog into the
# Debian package's files and the RPM's header; a plain install leaves them out.
set(rpm_release 1)
include(package/changelog.cmake)
package_changelog(DEB CHANGELOG.md "${changelog_heading}" ${CMAKE_CURRENT_BINARY_DIR}/changelog
  "${CHECK_RT_VERSION}" "${CHECK_RT_MAINTAINER}")
package_changelog(RPM CHANGELOG.md "${changelog_heading}" ${CMAKE_CURRENT_BINARY_DIR}/rpm-changelog
  "${CHECK_RT_VERSION}-${rpm_release}" "${CHECK_RT_MAINTAINER}")
set(package_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/check-rt)
gzip_in_build(changelog "the changelog")
add_custom_target(check_RT_changelog ALL DEPENDS changelog.gz)
install(FILES COPYRIGHT DESTINATION ${package_doc_dir} RENAME copyright
  COMPONENT package_doc EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${package_doc_dir}
  COMPONENT debian_doc EXCLUDE_FROM_ALL)

# Time stamps from the source, for the same bytes at any hour: the last
# commit's, or without git history the newest changelog entry's.
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
# Each date's package gets a time of its own, as man-db formats a page afresh
# only when its time changes: a day earlier, then a second later for each day
# since 1970-01-01 (modulo a day's seconds, which no date before 2206 reaches).
string(SUBSTRING "${CHECK_RT_TARGET_DATE}" 0 4 year)
string(SUBSTRING "${CHECK_RT_TARGET_DATE}" 4 2 month)
string(SUBSTRING "${CHECK_RT_TARGET_DATE}" 6 2 day)
# Days from 0000-03-01, the days of a year counted from March so that the
# leap day comes last; 1970-01-01 is day 719468.
if(month LESS_EQUAL 2)
  math(EXPR year "${year} - 1")
  math(EXPR month "${month} + 9")
else()
  math(EXPR month "${month} - 3")
endif()
math(EXPR days "${year} * 365 + ${year} / 4 - ${year} / 100 + ${year} / 400 + (153 * ${month} + 2) / 5 + ${day} - 1")
math(EXPR source_date "${source_date} - 86400 + (${days} - 719468) % 86400")

set(CPACK_GENERATOR DEB)
# The tool and its page (no component named) and the copyright notice;
# package/generator.cmake adds the Debian package's changelog.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${PROJECT_BINARY_DIR};check_RT;Unspecified;/"
    "${PROJECT_BINARY_DIR};check_RT;package_doc;/")
set(CPACK_CHECK_RT_DEBIAN_DOC "${PROJECT_BINARY_DIR};check_RT;debian_doc;/")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/package/generator.cmake)
set(CPACK_DEBIAN_PACKAGE_NAME check-rt)
set(CPACK_DEBIAN_PACKAGE_VERSION "${CHECK_RT_VERSION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CHECK_RT_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "report the day's recheck records outside the acceptance window")
set(description_tool "check_RT reads the list file resultlist.txt in its data directory,
keeps the entries of its date, analyses each one's record file and prints
the minimum, maximum, mean and standard deviation of every record whose
readings are not all inside the acceptance window.")
# rpm drops a description line that begins with "#", so a short label leads
# the directory. Debian shows indented lines as they are; cpack strips the
# blanks off the last line, so these come first.
set(description_build "This build has its data directory and date compiled in:
  data directory: ${CHECK_RT_DATA_DIR}
  date: ${CHECK_RT_TARGET_DATE}")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${description_build}\n.\n${description_tool}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# The RPM, for RHEL and its kin: the same package in rpm's own fields.
set(CPACK_RPM_PACKAGE_NAME check-rt)
set(CPACK_RPM_PACKAGE_VERSION "${CHECK_RT_VERSION}")
set(CPACK_RPM_PACKAGE_RELEASE ${rpm_release})
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
# rpm expands macros in the spec's fields, "%" their only escape.
string(REPLACE "%" "%%" rpm_maintainer "${CHECK_RT_MAINTAINER}")
string(REPLACE "%" "%%" CPACK_RPM_PACKAGE_DESCRIPTION "${description_build}\n\n${description_tool}")
# RPM summaries begin with a capital letter, Debian's with the lower case.
set(CPACK_RPM_PACKAGE_SUMMARY "Report the day's recheck records outside the acceptance window")
set(CPACK_RPM_PACKAGE_LICENSE "All rights reserved")
# Debian's section science, among the groups rpm has named.
set(CPACK_RPM_PACKAGE_GROUP Applications/Engineering)
set(CPACK_RPM_PACKAGE_VENDOR "${rpm_maintainer}")
# rpm --prefix may not move the tool and its page from where the system looks.
set(CPACK_PACKAGE_RELOCATABLE OFF)
set(CPACK_RPM_CHANGELOG_FILE ${CMAKE_CURRENT_BINARY_DIR}/rpm-changelog)
# Both generators install under /usr.
set(CPACK_RPM_USER_FILELIST "%license /usr/${package_doc_dir}/copyright")
# The manual's folders belong to the system's filesystem package, as /usr/bin
# does, which cpack leaves out by itself.
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /usr/share/man /usr/share/man/man1)
# rpmbuild stamps the package with SOURCE_DATE_EPOCH, brings later file
# times back to it, and names no build host.
set(CPACK_RPM_SPEC_MORE_DEFINE "Packager: ${rpm_maintainer}
%define _buildhost reproducible
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1")
set(CPACK_STRIP_FILES ON)
# The same bytes under any umask and at any hour: stage.cmake, members.cmake.
set(CPACK_CHECK_RT_SOURCE_DATE_EPOCH "${source_date}")
# Else cpack reads each value as CMake code, and quotes, backslashes, "$" or
# ";" in the directory or the maintainer change or break the fields.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/package/stage.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/package/members.cmake)
include(CPack)
