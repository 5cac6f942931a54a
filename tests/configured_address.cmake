# Builds the sender with another support address and walks the Linux
# scenarios with it; then checks that addresses that are not plain are
# refused when configuring. Run by CTest with SOURCE_DIR, BINARY_DIR, PYTHON.
set(address crash-reports@example.com)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "failed (${failed}): ${ARGN}")
  endif()
endfunction()

run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BINARY_DIR}/build -DCMAKE_BUILD_TYPE=Release
    -DYORV_BUILD_TESTS=OFF -DYORV_SUPPORT_MAIL_ADDRESS=${address})
run(${CMAKE_COMMAND} --build ${BINARY_DIR}/build --target yorv-report-sender)
run(${CMAKE_COMMAND} -E env YORV_SUPPORT_MAIL_ADDRESS=${address}
    ${PYTHON} ${SOURCE_DIR}/tests/e2e/linux_suite.py ${BINARY_DIR}/build/yorv-report-sender)

foreach(bad "Support <support@example.com>" "a@example.com,b@example.com" "support\"@example.com")
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BINARY_DIR}/refused
                          -DYORV_SUPPORT_MAIL_ADDRESS=${bad}
                  RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE error)
  if(NOT failed OR NOT error MATCHES "which is not")
    message(FATAL_ERROR "the address '${bad}' was not refused: ${error}")
  endif()
endforeach()
