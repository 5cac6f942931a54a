# The one version of the sender, set when configuring: the release of the
# product it ships with. Included before project(), which takes it.
set(YORV_VERSION 1.0.0 CACHE STRING "The sender's version: 3 or 4 numbers, each at most 65535")
if(NOT YORV_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+(\\.[0-9]+)?$")
  message(FATAL_ERROR "YORV_VERSION is \"${YORV_VERSION}\", which is not a version. Give 3 or 4 numbers "
    "separated by dots, each at most 65535, such as 2.3.1.")
endif()
string(REPLACE "." ";" yorv_version_parts "${YORV_VERSION}")
foreach(part IN LISTS yorv_version_parts)
  if(part GREATER 65535)
    message(FATAL_ERROR "YORV_VERSION is \"${YORV_VERSION}\": ${part} is more than 65535, which Windows' "
      "version resource cannot hold.")
  endif()
endforeach()
# Windows wants four numbers: 2.3.1 is 2.3.1.0.
list(LENGTH yorv_version_parts yorv_version_count)
if(yorv_version_count EQUAL 3)
  list(APPEND yorv_version_parts 0)
endif()
list(JOIN yorv_version_parts "." YORV_VERSION_QUAD)
list(JOIN yorv_version_parts "," YORV_VERSION_COMMAS)
