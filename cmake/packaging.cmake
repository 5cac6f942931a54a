# What the packages say of themselves and what each holds, all in one place.
set(YORV_PACKAGE_MAINTAINER "" CACHE STRING
    "The packages' maintainer (default: Dravonel Tech Support <the support address>)")
if(YORV_PACKAGE_MAINTAINER)
  set(YORV_MAINTAINER "${YORV_PACKAGE_MAINTAINER}")
else()
  set(YORV_MAINTAINER "Dravonel Tech Support <${YORV_SUPPORT_MAIL_ADDRESS}>")
endif()

set(CPACK_PACKAGE_NAME yorv-report-sender)
set(CPACK_PACKAGE_VENDOR Dravonel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${YORV_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Yorv crash report sender")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "After Yorv crashes, asks the user whether to send the crash report to\n"
  "Dravonel Tech Support, and hands one mail with the report attached to\n"
  "the user's own mail client. A report that was not sent is offered again\n"
  "at the next run. Started by Yorv; not meant to be run by hand.")
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB TGZ)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_DEPENDS xdg-utils)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "zenity | kdialog")

# Every package holds the sender (component "sender"). The archives and a
# plain install add the licence and the third-party notice; the .deb has
# Debian's machine-readable copyright file instead, with its changelog and
# lintian's override.
if(WIN32)
  set(notices_directory .)
  set(notices_platform windows)
else()
  set(notices_directory share/doc/yorv-report-sender)
  set(notices_platform linux)
endif()
install(FILES LICENSE DESTINATION ${notices_directory} COMPONENT notices)
install(FILES packaging/third-party-${notices_platform}.txt DESTINATION ${notices_directory}
        RENAME THIRD-PARTY-NOTICES COMPONENT notices)
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
  install(FILES packaging/copyright ${PROJECT_BINARY_DIR}/changelog.gz
          DESTINATION share/doc/yorv-report-sender COMPONENT debian EXCLUDE_FROM_ALL)
  install(FILES packaging/lintian-overrides DESTINATION share/lintian/overrides
          RENAME yorv-report-sender COMPONENT debian EXCLUDE_FROM_ALL)
endif()

# Read by CPack for each package: the time stamp, and the components it holds.
configure_file(cmake/cpack_options.cmake.in cpack_options.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack_options.cmake)

include(CPack)
