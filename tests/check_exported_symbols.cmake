# Compares the demangled symbols that LIBRARY exports with the list in EXPECTED
# (one signature per line, '#' starts a comment).  Fails on any symbol missing
# from the library or exported without being listed.  For a shared library the
# exports are its dynamic symbols (NM); for a static one, the global symbols of
# default visibility its objects define (READELF), which are what a program or
# a shared library linking it would export.
set(actual "")
if(LIBRARY MATCHES "\\.a$")
  execute_process(COMMAND ${READELF} -sW -C ${LIBRARY} OUTPUT_VARIABLE symbols_out RESULT_VARIABLE status)
  # "Num: Value Size Type Bind Vis Ndx Name"; the name may contain spaces.
  set(pattern "^ *[0-9]+: [0-9a-fA-F]+ +[0-9]+ [A-Z_]+ +(GLOBAL|WEAK) +DEFAULT +[0-9]+ (.+)$")
  set(name_group 2)
else()
  execute_process(COMMAND ${NM} -D --defined-only -C --format=posix ${LIBRARY}
                  OUTPUT_VARIABLE symbols_out RESULT_VARIABLE status)
  # "<name> <type> <value> [<size>]"; version-definition symbols (type A),
  # which the linker adds, are not functions of ours.
  set(pattern "^(.+) ([B-Za-z]) [0-9a-fA-F]+( [0-9a-fA-F]+)?$")
  set(name_group 1)
endif()
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not read the symbols of ${LIBRARY}")
endif()
string(REPLACE "\n" ";" symbol_lines "${symbols_out}")
foreach(line IN LISTS symbol_lines)
  if(line MATCHES "${pattern}")
    list(APPEND actual "${CMAKE_MATCH_${name_group}}")
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
