# The library's sources, relative to the project's top directory.
set(HOSTMATH_SOURCES
  # The processor path chosen at load time.
  src/cpu/dispatch.cpp
  # bfloat16 and half conversions, minimum and maximum: scalar, then array forms.
  src/convert/bfloat16_conversion.cpp
  src/convert/half_conversion.cpp
  src/convert/max.cpp src/convert/min.cpp
  src/convert/batch_bfloat16.cpp
  src/convert/batch_half.cpp
  src/convert/batch_min_max.cpp
  # The special functions, pi-scaled sine and cosine, reciprocal roots.
  src/special/erfinvF.cpp src/special/erfinvD.cpp
  src/special/erfcinvF.cpp src/special/erfcinvD.cpp
  src/special/erfcxF.cpp src/special/erfcxD.cpp
  src/special/normcdfF.cpp src/special/normcdfD.cpp
  src/special/sinpiF.cpp src/special/sinpiD.cpp
  src/special/cospiF.cpp src/special/cospiD.cpp
  src/special/sincospiF.cpp src/special/sincospiD.cpp
  src/special/rsqrtF.cpp src/special/rsqrtD.cpp
  src/special/rcbrtF.cpp src/special/rcbrtD.cpp
  src/special/batch_erfinv.cpp
  src/special/batch_erfcx.cpp
  src/special/batch_normcdf.cpp
  src/special/batch_pi_scaled_roots.cpp)
# The special functions' array forms select between pieces computed on every
# lane; GCC turns those selects into vector code only when it need not keep the
# exception flags of the operations it evaluates unconditionally.  Values and
# results are the same either way.
set_source_files_properties(src/special/batch_erfinv.cpp src/special/batch_erfcx.cpp src/special/batch_normcdf.cpp
  PROPERTIES COMPILE_OPTIONS $<$<CXX_COMPILER_ID:GNU>:-fno-trapping-math>)

# The maths core (src/math/): hostmath's own correctly rounded log, exp, sin,
# cos and cbrt in both precisions.  Their fast paths are inline headers, used
# by the kernels of every processor path; these files hold what is compiled
# once: tables and the accurate paths.  An object library of its own, so that
# the core's tests link exactly the code the library runs.
set(HOSTMATH_MATH_SOURCES
  src/math/sincos.cpp
)
