# cpack runs this once it has installed the files to pack in its staging
# folder, before it packs them (CPACK_PRE_BUILD_SCRIPTS in package/package.cmake).

# CPack stamps every member of the package, and the package's archives, with
# SOURCE_DATE_EPOCH when it is set: the time package/package.cmake works out
# from the source and the date, unless the caller set one.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} "${CPACK_CHECK_RT_SOURCE_DATE_EPOCH}")
endif()

# The folders above the installed files are made by cpack under the umask of
# whoever runs it, and packed with the mode they have. The files have theirs
# from the install already.
file(GLOB_RECURSE staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(path IN LISTS staged)
  if(IS_DIRECTORY "${path}" AND NOT IS_SYMLINK "${path}")
    file(CHMOD "${path}" PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endif()
endforeach()
