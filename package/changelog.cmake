# package_changelog(FORMAT MARKDOWN HEADING OUTPUT VERSION MAINTAINER) writes
# MARKDOWN, whose entries begin with a line matching HEADING (version, time),
# to OUTPUT as a Debian changelog (DEB) or an RPM spec's %changelog (RPM),
# the newest entry with VERSION, the build's own. In an RPM's, no blank line
# is kept inside an entry, and other lines than items are indented, so that
# none begins an entry. OUTPUT is rewritten only when it changes.
function(package_changelog format markdown heading output version maintainer)
  file(STRINGS "${markdown}" lines)
  set(text "")
  set(closing "")
  set(in_entry FALSE)
  foreach(line IN LISTS lines)
    if(line MATCHES "${heading}")
      set(entry_version "${CMAKE_MATCH_1}")
      set(entry_time "${CMAKE_MATCH_2}")
      if(NOT in_entry)
        set(entry_version "${version}")
      endif()
      if(format STREQUAL "DEB")
        execute_process(COMMAND date -u -R -d "${entry_time}"
          OUTPUT_VARIABLE entry_date OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        string(APPEND text "${closing}check-rt (${entry_version}) unstable; urgency=medium\n\n")
        set(closing "\n -- ${maintainer}  ${entry_date}\n\n")
      else()
        # rpm reads the day's and the month's names in English only.
        execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C date -u "+%a %b %d %Y" -d "${entry_time}"
          OUTPUT_VARIABLE entry_day OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        string(APPEND text "${closing}* ${entry_day} ${maintainer} - ${entry_version}\n")
        set(closing "\n")
      endif()
      set(in_entry TRUE)
    elseif(NOT in_entry)
      continue()
    elseif(line STREQUAL "")
      if(format STREQUAL "DEB")
        string(APPEND text "\n")
      endif()
    elseif(line MATCHES "^- (.*)")
      if(format STREQUAL "DEB")
        string(APPEND text "  * ${CMAKE_MATCH_1}\n")
      else()
        string(APPEND text "- ${CMAKE_MATCH_1}\n")
      endif()
    elseif(format STREQUAL "RPM" AND line MATCHES "^  ")
      # An item's own lines line up under its text, after "- ".
      string(APPEND text "${line}\n")
    else()
      string(APPEND text "  ${line}\n")
    endif()
  endforeach()
  # One blank line between paragraphs, and none at the end.
  string(REGEX REPLACE "\n\n\n+" "\n\n" text "${text}${closing}")
  string(REGEX REPLACE "\n+$" "\n" text "${text}")
  if(format STREQUAL "RPM")
    # rpm would take a "%" for a macro.
    string(REPLACE "%" "%%" text "${text}")
  endif()
  file(WRITE "${output}.new" "${text}")
  configure_file("${output}.new" "${output}" COPYONLY)
endfunction()
