# What the packages say of themselves, all in one place.
set(CPACK_PACKAGE_NAME yorv-report-sender)
set(CPACK_PACKAGE_VENDOR Dravonel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Dravonel Tech Support <support@dravonel.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Yorv crash report sender")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "After Yorv crashes, asks the user once whether to send the crash report\n"
  "to Dravonel Tech Support, and hands one mail with the report attached to\n"
  "the user's own mail client. Started by Yorv; not meant to be run by hand.")
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB TGZ)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_DEPENDS xdg-utils)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS zenity)

include(CPack)
