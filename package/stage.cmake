# Run by cpack on the staged files before it packs them (CPACK_PRE_BUILD_SCRIPTS).

# CPack stamps the package and all in it with SOURCE_DATE_EPOCH: the caller's,
# or the time package/package.cmake works out from the source and the date.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} "${CPACK_CHECK_RT_SOURCE_DATE_EPOCH}")
endif()

# cpack makes the folders above the installed files under the umask of whoever
# runs it; the files have their modes from the install.
file(GLOB_RECURSE staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(path IN LISTS staged)
  if(IS_DIRECTORY "${path}" AND NOT IS_SYMLINK "${path}")
    file(CHMOD "${path}" PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endif()
endforeach()
