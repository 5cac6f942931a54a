# Builds the sender with another support address, version and source
# address, walks the Linux scenarios with it and makes its .deb; then checks
# that addresses that are not plain, versions that are not versions and
# source addresses that are not https are refused when configuring. Run by
# CTest with SOURCE_DIR, BINARY_DIR, PYTHON.
set(address crash-reports@example.com)
set(version 2.3.1)
set(source_url https://example.com/yorv-report-sender.git)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "failed (${failed}): ${ARGN}")
  endif()
endfunction()

run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BINARY_DIR}/build -DCMAKE_BUILD_TYPE=Release
    -DYORV_BUILD_TESTS=OFF -DYORV_SUPPORT_MAIL_ADDRESS=${address} -DYORV_VERSION=${version}
    -DYORV_SOURCE_URL=${source_url})
run(${CMAKE_COMMAND} --build ${BINARY_DIR}/build --target yorv-report-sender)
run(${CMAKE_COMMAND} -E env YORV_SUPPORT_MAIL_ADDRESS=${address}
    ${PYTHON} ${SOURCE_DIR}/tests/e2e/linux_suite.py ${BINARY_DIR}/build/yorv-report-sender)
run(cpack -G DEB --config ${BINARY_DIR}/build/CPackConfig.cmake -B ${BINARY_DIR}/packages)
set(deb ${BINARY_DIR}/packages/yorv-report-sender_${version}_amd64.deb)
execute_process(COMMAND dpkg-deb -f ${deb} Version Maintainer Homepage OUTPUT_VARIABLE fields)
if(NOT fields STREQUAL "Version: ${version}\nMaintainer: Dravonel Tech Support <${address}>\nHomepage: ${source_url}\n")
  message(FATAL_ERROR "${deb} says: ${fields}")
endif()
file(READ ${BINARY_DIR}/build/copyright copyright)
file(READ ${BINARY_DIR}/build/THIRD-PARTY-NOTICES notices)
if(NOT copyright MATCHES "\nSource: ${source_url}\n" OR NOT notices MATCHES "published at ${source_url}")
  message(FATAL_ERROR "the source address is missing from the copyright file or the notices")
endif()

# A setting that must stop the configuration, and what the error then says.
function(check_refused setting value says)
  file(REMOVE_RECURSE ${BINARY_DIR}/refused)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BINARY_DIR}/refused "-D${setting}=${value}"
                  RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE error)
  if(NOT failed OR NOT error MATCHES "${says}")
    message(FATAL_ERROR "${setting}=${value} was not refused: ${error}")
  endif()
endfunction()
foreach(bad "Support <support@example.com>" "a@example.com,b@example.com" "support\"@example.com")
  check_refused(YORV_SUPPORT_MAIL_ADDRESS "${bad}" "which is not")
endforeach()
foreach(bad http://example.com/yorv "https://example.com/a b")
  check_refused(YORV_SOURCE_URL "${bad}" "YORV_SOURCE_URL is")
endforeach()
foreach(bad banana 1.2 1.2.3.4.5 1.65536.0)
  check_refused(YORV_VERSION "${bad}" "YORV_VERSION is")
endforeach()
