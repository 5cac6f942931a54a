# Run by CPack once it has made its packages: the members of a .deb (an ar
# archive) carry the modes of CPack's own files, made with the builder's
# umask. dpkg-deb writes 0644; so are they set here, in place.
file(WRITE "${CPACK_TEMPORARY_DIRECTORY}/../deb-member-mode" "100644")
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
  file(SIZE "${package}" total)
  set(at 8)  # past "!<arch>\n"; each member: a 60-byte header, its data, and a pad to an even offset
  while(at LESS total)
    file(READ "${package}" header OFFSET ${at} LIMIT 60)
    string(SUBSTRING "${header}" 48 10 size)
    string(STRIP "${size}" size)
    math(EXPR mode_at "${at} + 40")
    execute_process(COMMAND dd "of=${package}" bs=1 seek=${mode_at} conv=notrunc status=none
                    INPUT_FILE "${CPACK_TEMPORARY_DIRECTORY}/../deb-member-mode" COMMAND_ERROR_IS_FATAL ANY)
    math(EXPR at "${at} + 60 + ${size} + ${size} % 2")
  endwhile()
endforeach()
