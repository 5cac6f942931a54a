# Run by CPack before it packs the staged files. The folders CPack makes
# itself (the staging root, /usr for the .deb) take the builder's umask, so
# every staged folder is set to 0755; the files keep their modes.
file(GLOB_RECURSE staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(entry IN LISTS staged ITEMS "${CPACK_TEMPORARY_DIRECTORY}")
  if(IS_DIRECTORY "${entry}")
    file(CHMOD "${entry}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                      WORLD_READ WORLD_EXECUTE)
  endif()
endforeach()
