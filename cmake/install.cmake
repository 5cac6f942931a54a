# What `cmake --install` puts in place, and the packages hold: the sender,
# and its notices under the documentation folder, never beside a product's
# own files at the prefix root.

set(YORV_DOC_DIR share/doc/yorv-report-sender)

# Stripping a PE file stamps it anew (binutils), so installing with --strip
# takes the same time stamp as the link, and the bytes the packages hold.
# First of the rules, before anything is stripped.
install(CODE "set(ENV{SOURCE_DATE_EPOCH} ${YORV_SOURCE_DATE_EPOCH})" ALL_COMPONENTS)

# Folders 0755 and files 0644 or 0755, whatever the builder's umask. The
# install rules give the files their modes; the folders CMake makes on the
# way take the umask, so those this install makes are set at its end.
set(installed_folders . ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_LIBEXECDIR} ${CMAKE_INSTALL_LIBEXECDIR}/yorv share
    share/doc ${YORV_DOC_DIR} ${YORV_DOC_DIR}/licenses share/lintian share/lintian/overrides)
install(CODE "set(yorv_folders \"${installed_folders}\")" ALL_COMPONENTS)
install(CODE [[
  set(yorv_new_folders "")
  foreach(folder IN LISTS yorv_folders)
    if(NOT EXISTS "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${folder}")
      list(APPEND yorv_new_folders "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${folder}")
    endif()
  endforeach()
]] ALL_COMPONENTS)

if(WIN32)
  install(TARGETS yorv-report-sender RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT sender)
else()
  # Started by the product, never by users: off PATH.
  install(TARGETS yorv-report-sender RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/yorv COMPONENT sender)
endif()

set(YORV_PACKAGE_MAINTAINER "" CACHE STRING
    "The packages' maintainer (default: Dravonel Tech Support <the support address>)")
if(YORV_PACKAGE_MAINTAINER)
  set(YORV_MAINTAINER "${YORV_PACKAGE_MAINTAINER}")
else()
  set(YORV_MAINTAINER "Dravonel Tech Support <${YORV_SUPPORT_MAIL_ADDRESS}>")
endif()

# Where the source is, as the notices say it: published at the address set
# when configuring, or else to be had from whoever distributed the binary.
if(YORV_SOURCE_URL)
  set(YORV_SOURCE_STATEMENT "The sender's source is published at ${YORV_SOURCE_URL}")
else()
  set(YORV_SOURCE_STATEMENT "The sender's source is available from whoever distributed this\n  binary to you")
endif()

# The archives and a plain install: the licence, the third-party notice, and
# the texts of the licences it names, for machines where no Debian path
# holds them. The .deb has Debian's machine-readable copyright file instead.
if(WIN32)
  set(notices_platform windows)
  set(licence_texts MINGW-W64-RUNTIME GCC-RUNTIME-LIBRARY-EXCEPTION-3.1 XXHASH-BSD-2-CLAUSE)
else()
  set(notices_platform linux)
  set(licence_texts LGPL-2.1 GPL-3 GCC-RUNTIME-LIBRARY-EXCEPTION-3.1 XXHASH-BSD-2-CLAUSE ZLIB)
endif()
configure_file(packaging/third-party-${notices_platform}.txt.in THIRD-PARTY-NOTICES @ONLY)
install(FILES LICENSE ${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES DESTINATION ${YORV_DOC_DIR} COMPONENT notices)
list(TRANSFORM licence_texts PREPEND packaging/licenses/)
install(FILES ${licence_texts} DESTINATION ${YORV_DOC_DIR}/licenses COMPONENT notices)

if(NOT WIN32)
  # The changelog's date is the build's time stamp, and gzip -n keeps the
  # file's name and time out, so the .deb stays reproducible.
  set(previous_epoch "$ENV{SOURCE_DATE_EPOCH}")
  set(ENV{SOURCE_DATE_EPOCH} ${YORV_SOURCE_DATE_EPOCH})
  string(TIMESTAMP YORV_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  set(ENV{SOURCE_DATE_EPOCH} "${previous_epoch}")
  configure_file(packaging/changelog.in changelog @ONLY)
  execute_process(COMMAND gzip -9n -c changelog OUTPUT_FILE changelog.gz
                  WORKING_DIRECTORY ${PROJECT_BINARY_DIR} COMMAND_ERROR_IS_FATAL ANY)
  if(YORV_SOURCE_URL)
    set(YORV_COPYRIGHT_SOURCE "Source: ${YORV_SOURCE_URL}\n")
    set(YORV_COPYRIGHT_SOURCE_COMMENT "Its source is published at the Source address above")
  else()
    set(YORV_COPYRIGHT_SOURCE "")
    set(YORV_COPYRIGHT_SOURCE_COMMENT "Its source is available from whoever distributed this package")
  endif()
  configure_file(packaging/copyright.in copyright @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/copyright ${PROJECT_BINARY_DIR}/changelog.gz
          DESTINATION ${YORV_DOC_DIR} COMPONENT debian EXCLUDE_FROM_ALL)
  install(FILES packaging/lintian-overrides DESTINATION share/lintian/overrides
          RENAME yorv-report-sender COMPONENT debian EXCLUDE_FROM_ALL)
endif()

install(CODE [[
  foreach(folder IN LISTS yorv_new_folders)
    if(IS_DIRECTORY "${folder}")
      file(CHMOD "${folder}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                         WORLD_READ WORLD_EXECUTE)
    endif()
  endforeach()
]] ALL_COMPONENTS)
