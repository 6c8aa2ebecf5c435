# Compares the demangled symbols that LIBRARY exports with the registry's: the
# qx_math_func_host_ (C++) and hostmath_ (C) symbols that REGISTRY_OBJECT
# leaves undefined (it takes the address of every registry function).  Fails on any symbol missing from
# the library or exported without being in the registry, on a symbol of the
# first release (FIRST_RELEASE: one signature per line, '#' starts a comment)
# that is no longer exported, and on a function name that HEADERS declare but
# the registry lacks.  For a shared library the exports are its dynamic
# symbols (NM); for a static one, the global symbols of default visibility its
# objects define (READELF), which are what a program or a shared library
# linking it would export.
cmake_policy(SET CMP0057 NEW)  # if(IN_LIST)
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

execute_process(COMMAND ${NM} -u -C --format=posix ${REGISTRY_OBJECT} OUTPUT_VARIABLE registry_out
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not read the symbols of ${REGISTRY_OBJECT}")
endif()
string(REPLACE "\n" ";" registry_lines "${registry_out}")
set(expected "")
foreach(line IN LISTS registry_lines)
  if(line MATCHES "^((qx_math_func_host_|hostmath_).+) U *$")
    list(APPEND expected "${CMAKE_MATCH_1}")
  endif()
endforeach()

file(STRINGS ${FIRST_RELEASE} first_lines)
set(first "")
foreach(line IN LISTS first_lines)
  string(STRIP "${line}" line)
  if(line AND NOT line MATCHES "^#")
    list(APPEND first "${line}")
  endif()
endforeach()

set(names "")
foreach(symbol IN LISTS expected)
  string(REGEX REPLACE "\\(.*" "" name "${symbol}")
  list(APPEND names "${name}")
endforeach()
set(undeclared "")
foreach(header IN LISTS HEADERS)
  # Declarations, not comments: lines that start neither with / nor with *.
  file(STRINGS ${header} declared REGEX "^[ \t]*[^ \t/*][^/]*(qx_math_func_host_|hostmath_)[A-Za-z0-9_]+\\(")
  foreach(line IN LISTS declared)
    string(REGEX MATCHALL "(qx_math_func_host_|hostmath_)[A-Za-z0-9_]+\\(" found "${line}")
    foreach(name IN LISTS found)
      string(REPLACE "(" "" name "${name}")
      if(NOT name IN_LIST names)
        list(APPEND undeclared "${name}")
      endif()
    endforeach()
  endforeach()
endforeach()

set(missing ${expected})
list(REMOVE_ITEM missing ${actual})
set(extra ${actual})
list(REMOVE_ITEM extra ${expected})
set(dropped ${first})
list(REMOVE_ITEM dropped ${actual})
list(LENGTH expected n_expected)
list(LENGTH actual n_actual)
if(n_expected EQUAL 0)
  message(FATAL_ERROR "no registry symbols found in ${REGISTRY_OBJECT}")
endif()
if(missing OR extra OR dropped OR undeclared)
  string(REPLACE ";" "\n  " missing_text "${missing}")
  string(REPLACE ";" "\n  " extra_text "${extra}")
  string(REPLACE ";" "\n  " dropped_text "${dropped}")
  string(REPLACE ";" "\n  " undeclared_text "${undeclared}")
  message(FATAL_ERROR "exported symbols differ from the registry (${n_actual} exported, ${n_expected} in the registry)\n"
                      "in the registry, not exported:\n  ${missing_text}\nexported, not in the registry:\n  ${extra_text}\n"
                      "of the first release, no longer exported:\n  ${dropped_text}\n"
                      "declared in the headers, not in the registry:\n  ${undeclared_text}")
endif()
message(STATUS "${n_actual} exported symbols, those of the registry")
