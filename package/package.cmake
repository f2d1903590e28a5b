# The package of a site's build, made by cpack: its documents, its time
# stamps and its fields. Included by CMakeLists.txt, whose folder paths here
# are relative to.

set(CHECK_RT_MAINTAINER "check_RT site build <check-rt@example.org>" CACHE STRING
    "Maintainer of the packages (the RPM's packager and vendor): the site's contact, \"Name <address>\"")

# More files for the packages, where Debian keeps them: the copyright notice
# in both, and in the Debian package the changelog, gzipped like the page. An
# RPM has the changelog in its header instead, where rpm -q --changelog reads
# it. A plain install leaves them out; a package asks for their components by
# name.
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
# Each date's package has times of its own, never later than that time: a
# day earlier, then one second later for each day from 1970-01-01 to the
# date (counted modulo a day's seconds, which no date before 2206 reaches).
# man formats a page afresh only when its time differs from that of the
# formatted copy it keeps (man-db gives the copy the page's time), and dpkg
# and rpm install the page with the time it has in the package: with one
# time for every date, another day's package installed over the first would
# have man show the first day's page. rpmbuild brings every later time back
# to this one, that of each file it makes or strips too, so the RPM of a
# build made after the commit has the same times wherever it is built.
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

# cpack -G DEB makes a Debian package of this build, cpack -G RPM an RPM:
# the tool, its page, the copyright notice and the changelog. The package is
# for one site's directory and date, so its description says which and its
# version names the date.
set(CPACK_GENERATOR DEB)
# The install's components that go into both packages: the tool and its page
# (installed with no component named) and the copyright notice.
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
# The directory follows words of its own, as a line of an RPM's description
# that begins with "#" is dropped as a comment, and few of them, to leave it
# most of the 80 columns a line may have. Debian shows indented lines as
# they are, without filling them into a paragraph; cpack takes the blanks
# off the last line, so these come first.
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
# The tool and its page belong where the system looks for them: rpm --prefix
# may not move them.
set(CPACK_PACKAGE_RELOCATABLE OFF)
set(CPACK_RPM_CHANGELOG_FILE ${CMAKE_CURRENT_BINARY_DIR}/rpm-changelog)
# Both generators install under /usr.
set(CPACK_RPM_USER_FILELIST "%license /usr/${package_doc_dir}/copyright")
# The manual's folders belong to the system's filesystem package, as /usr/bin
# does, which cpack leaves out by itself.
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /usr/share/man /usr/share/man/man1)
# rpmbuild stamps the package with SOURCE_DATE_EPOCH, and names no build host.
set(CPACK_RPM_SPEC_MORE_DEFINE "Packager: ${rpm_maintainer}
%define _buildhost reproducible
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1")
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
