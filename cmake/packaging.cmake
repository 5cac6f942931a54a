# What the packages say of themselves, all in one place. Only a build of the
# sender on its own makes packages: taken into a product's build, it leaves
# CPack to the product.

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
# The boxes need one of the two on a desktop: started by the product, the
# sender has no terminal to ask on, and a report nobody is asked about never
# leaves.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils, zenity | kdialog")
if(YORV_SOURCE_URL)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${YORV_SOURCE_URL}")
endif()

# Folders 0755, and a .deb's members 0644, whatever the builder's umask.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/cpack_permissions.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/cpack_deb_modes.cmake)

# Read by CPack for each package: the time stamp, the time zone, and the
# components it holds.
configure_file(cmake/cpack_options.cmake.in cpack_options.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack_options.cmake)

include(CPack)
