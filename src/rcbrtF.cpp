// 1/cbrt(x) in single precision.
//
// 1 divided by the system cube root, two roundings in single precision, with
// no special case: a zero gives the infinity of its sign through the division
// (raising the division-by-zero flag), an infinity the zero of its sign.
#include "roots.h"

float qx_math_func_host_rcbrtf(float x) { return hostmath::detail::rcbrt_of(x); }
