# The same commit gives the same bytes, wherever and whenever it is built.
# SOURCE_DATE_EPOCH, the time stamp that the linker and CPack write instead of
# the clock: the environment's if set, else the commit's time, else this date
# (for a tree without git).
set(YORV_FIXED_SOURCE_DATE_EPOCH 1796083200)  # 2026-12-01 00:00:00 UTC
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(YORV_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  set(YORV_SOURCE_DATE_EPOCH ${YORV_FIXED_SOURCE_DATE_EPOCH})
  find_package(Git QUIET)
  if(GIT_FOUND AND EXISTS "${PROJECT_SOURCE_DIR}/.git")
    execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%ct
                    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}" RESULT_VARIABLE failed
                    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT failed AND commit_time MATCHES "^[0-9]+$")
      set(YORV_SOURCE_DATE_EPOCH ${commit_time})
    endif()
    if(EXISTS "${PROJECT_SOURCE_DIR}/.git/logs/HEAD")  # a new commit configures again
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/.git/logs/HEAD")
    endif()
  endif()
endif()
if(NOT YORV_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is \"${YORV_SOURCE_DATE_EPOCH}\"; it must be seconds since 1970.")
endif()

# The MinGW linker takes the PE time stamp from it.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${YORV_SOURCE_DATE_EPOCH})
if(MSVC)
  add_compile_options(/Brepro)
  add_link_options(/Brepro)
else()
  # No build folder in the binaries.
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                      -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
endif()
