# debian_changelog(MARKDOWN HEADING OUTPUT VERSION MAINTAINER) writes the
# changelog MARKDOWN (CHANGELOG.md), whose entries begin with a line that
# matches HEADING (version, then time), to OUTPUT as a Debian changelog: that
# is what Debian's tools read in the changelog.gz of a package like this one,
# whose version has no Debian revision. Each entry becomes "check-rt (VERSION)
# unstable; urgency=medium", its lines indented by two blanks, items marked
# "*", and a closing line with MAINTAINER and the entry's time. The newest
# entry gets VERSION, the build's own. OUTPUT is rewritten only when it changes.
function(debian_changelog markdown heading output version maintainer)
  file(STRINGS "${markdown}" lines)
  set(text "")
  set(closing "")
  set(in_entry FALSE)
  foreach(line IN LISTS lines)
    if(line MATCHES "${heading}")
      set(entry_version "${CMAKE_MATCH_1}")
      execute_process(COMMAND date -u -R -d "${CMAKE_MATCH_2}"
        OUTPUT_VARIABLE entry_date OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
      if(NOT in_entry)
        set(entry_version "${version}")
      endif()
      string(APPEND text "${closing}check-rt (${entry_version}) unstable; urgency=medium\n\n")
      set(closing "\n -- ${maintainer}  ${entry_date}\n\n")
      set(in_entry TRUE)
    elseif(NOT in_entry)
      continue()
    elseif(line STREQUAL "")
      string(APPEND text "\n")
    elseif(line MATCHES "^- (.*)")
      string(APPEND text "  * ${CMAKE_MATCH_1}\n")
    else()
      string(APPEND text "  ${line}\n")
    endif()
  endforeach()
  # One blank line between paragraphs, and none at the end.
  string(REGEX REPLACE "\n\n\n+" "\n\n" text "${text}${closing}")
  string(REGEX REPLACE "\n+$" "\n" text "${text}")
  file(WRITE "${output}.new" "${text}")
  configure_file("${output}.new" "${output}" COPYONLY)
endfunction()
