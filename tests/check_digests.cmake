cmake_policy(SET CMP0057 NEW)  # if(IN_LIST)
# Runs path_digests (DIGESTS, under EMULATOR when cross-compiled) and compares
# its digests of every export with the reference (REFERENCE): the same bits on
# every host, processor path and build.  After an intended change of results,
# the reference is made anew with
#   build/default/tests/path_digests | tail -n +2 > tests/data/digests.txt
execute_process(COMMAND ${EMULATOR} ${DIGESTS} OUTPUT_VARIABLE output RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${DIGESTS} failed: ${status}")
endif()
string(REGEX REPLACE "^bound[^\n]*\n" "" output "${output}")
file(READ ${REFERENCE} reference)
if(NOT output STREQUAL reference)
  string(REPLACE "\n" ";" got_lines "${output}")
  string(REPLACE "\n" ";" want_lines "${reference}")
  set(differ "")
  foreach(line IN LISTS got_lines)
    if(NOT line IN_LIST want_lines)
      list(APPEND differ "${line}")
    endif()
  endforeach()
  string(REPLACE ";" "\n  " differ "${differ}")
  message(FATAL_ERROR "results differ from the reference digests for:\n  ${differ}")
endif()
message(STATUS "every export gives the reference bits")
