// 1/cbrt(x) in single precision.
//
// 1 divided by the system cube root, two roundings in single precision, with
// no special case: a zero gives the infinity of its sign through the division
// (whose division-by-zero flag the guard clears again), an infinity the zero
// of its sign.
#include "cpu/export.h"
#include "special/roots.h"

HOSTMATH_EXPORT(float, qx_math_func_host_rcbrtf, (float x))
{
    return hostmath::detail::rcbrt_of(x);
}
