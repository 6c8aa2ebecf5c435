# The library's sources, relative to the project's top directory.
# Every .cpp of a folder is compiled, so that a new function's file needs no
# line here.
set(HOSTMATH_SOURCES src/cpu/dispatch.cpp)
# The C interface: a C function for every function of the registry.  Its
# header is checked against it as it compiles: a function the header lacks is
# an error.
list(APPEND HOSTMATH_SOURCES src/c/hostmath_c.cpp)
set_source_files_properties(src/c/hostmath_c.cpp PROPERTIES COMPILE_OPTIONS
  "$<IF:$<CXX_COMPILER_ID:Clang>,-Werror=missing-prototypes,-Werror=missing-declarations>")
# bfloat16 and half conversions, minimum and maximum, each file with its array
# forms.
file(GLOB HOSTMATH_CONVERT_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/convert/*.cpp)
list(APPEND HOSTMATH_SOURCES ${HOSTMATH_CONVERT_SOURCES})
# The special functions, pi-scaled sine and cosine, reciprocal roots: a file per
# function and precision, with its scalar function and array form.
file(GLOB HOSTMATH_SPECIAL_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/special/*.cpp)
list(APPEND HOSTMATH_SOURCES ${HOSTMATH_SPECIAL_SOURCES})
# Their bodies on lanes select between pieces computed on every lane; GCC turns
# those selects into vector code only when it need not keep the exception flags
# of the operations it evaluates unconditionally (the guard restores the flags
# anyway).  Values and results are the same either way.
set_source_files_properties(${HOSTMATH_SPECIAL_SOURCES}
  PROPERTIES COMPILE_OPTIONS $<$<CXX_COMPILER_ID:GNU>:-fno-trapping-math>)

# The maths core (src/math/): hostmath's own correctly rounded log, exp, sin,
# cos and cbrt in both precisions.  Their fast paths are inline headers, used
# by the kernels of every processor path; these files hold what is compiled
# once: tables and the accurate paths.  An object library of its own, so that
# the core's tests link exactly the code the library runs.
file(GLOB HOSTMATH_MATH_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/math/*.cpp)
