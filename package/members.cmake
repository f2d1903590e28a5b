# Run by cpack on the package it has made (CPACK_POST_BUILD_SCRIPTS). CPack
# writes each member of a .deb to a file first and gives it that file's mode,
# under the umask of whoever runs cpack: each becomes 100644, as from dpkg-deb.
# An ar archive is "!<arch>\n", then for each member a header of 60 bytes (the
# mode at 40, 8 bytes; the size at 48, 10 bytes; "`\n" at 58) and the data,
# padded to an even length.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(mode_file "${CPACK_TOPLEVEL_DIRECTORY}/check_RT-member-mode")
file(WRITE "${mode_file}" "100644  ")
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  file(SIZE "${deb}" deb_size)
  file(READ "${deb}" magic LIMIT 8 HEX)
  if(NOT magic STREQUAL "213c617263683e0a")
    message(FATAL_ERROR "${deb} is no ar archive")
  endif()
  set(header 8)
  while(header LESS deb_size)
    file(READ "${deb}" fields OFFSET ${header} LIMIT 60)
    string(SUBSTRING "${fields}" 48 10 member_size)
    string(STRIP "${member_size}" member_size)
    string(SUBSTRING "${fields}" 58 2 end_of_header)
    if(NOT member_size MATCHES "^[0-9]+$" OR NOT end_of_header STREQUAL "`\n")
      message(FATAL_ERROR "${deb}: no ar member header at byte ${header}")
    endif()
    math(EXPR mode_at "${header} + 40")
    execute_process(COMMAND dd "of=${deb}" bs=1 seek=${mode_at} count=8 conv=notrunc status=none
      INPUT_FILE "${mode_file}" COMMAND_ERROR_IS_FATAL ANY)
    math(EXPR header "${header} + 60 + ${member_size} + ${member_size} % 2")
  endwhile()
endforeach()
file(REMOVE "${mode_file}")
