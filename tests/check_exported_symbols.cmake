# Compares the demangled dynamic symbols that LIBRARY defines with the list in
# EXPECTED (one signature per line, '#' starts a comment).  Fails on any symbol
# missing from the library or exported without being listed.
execute_process(COMMAND ${NM} -D --defined-only -C --format=posix ${LIBRARY}
                OUTPUT_VARIABLE nm_out RESULT_VARIABLE nm_status)
if(NOT nm_status EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()

string(REPLACE "\n" ";" nm_lines "${nm_out}")
set(actual "")
foreach(line IN LISTS nm_lines)
  # posix format: "<name> <type> <value> [<size>]"; the name may contain spaces.
  if(line MATCHES "^(.+) ([A-Za-z]) [0-9a-fA-F]+( [0-9a-fA-F]+)?$")
    set(name "${CMAKE_MATCH_1}")
    # Version-definition symbols that the linker adds are not functions of ours.
    if(NOT CMAKE_MATCH_2 STREQUAL "A")
      list(APPEND actual "${name}")
    endif()
  endif()
endforeach()

file(STRINGS ${EXPECTED} expected_lines)
set(expected "")
foreach(line IN LISTS expected_lines)
  string(STRIP "${line}" line)
  if(line AND NOT line MATCHES "^#")
    list(APPEND expected "${line}")
  endif()
endforeach()

set(missing ${expected})
list(REMOVE_ITEM missing ${actual})
set(extra ${actual})
list(REMOVE_ITEM extra ${expected})
list(LENGTH expected n_expected)
list(LENGTH actual n_actual)
if(missing OR extra)
  string(REPLACE ";" "\n  " missing_text "${missing}")
  string(REPLACE ";" "\n  " extra_text "${extra}")
  message(FATAL_ERROR "exported symbols differ from the list (${n_actual} exported, ${n_expected} listed)\n"
                      "missing:\n  ${missing_text}\nnot listed:\n  ${extra_text}")
endif()
message(STATUS "${n_actual} exported symbols, as listed")
