# Builds tests/product both ways, without GoogleTest to be found, and checks
# that the sender builds itself only: the product's package keeps its own name
# and version and holds only what the product installs. Run by CTest with
# SOURCE_DIR and BINARY_DIR.
foreach(via subdirectory fetch)
  set(build ${BINARY_DIR}/${via})
  file(REMOVE_RECURSE ${build})
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/product -B ${build} -DYORV_VIA=${via}
                          -DYORV_SOURCE_DIR=${SOURCE_DIR} -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON
                  COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${build} COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
  execute_process(COMMAND cpack --config ${build}/CPackConfig.cmake -B ${build}/packages
                  COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
  execute_process(COMMAND tar -tzf ${build}/packages/acme-product-3.1.4-Linux.tar.gz
                  OUTPUT_VARIABLE listed COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX REPLACE "[^\n]*/\n" "" files "${listed}")  # folders end with a slash
  if(NOT files STREQUAL "acme-product-3.1.4-Linux/lib/acme/yorv-report-sender\n")
    message(FATAL_ERROR "${via}: the product's package holds:\n${listed}")
  endif()
  file(GLOB_RECURSE built_tests ${build}/*unit_tests*)
  if(built_tests)
    message(FATAL_ERROR "${via}: the sender's tests were built: ${built_tests}")
  endif()
endforeach()
