// 1/sqrt(x) in double precision.
//
// Zeros of either sign give +infinity and infinities of either sign give +0,
// both returned directly without dividing (so no division-by-zero flag is
// raised).  Everything else is 1 divided by the system square root, two
// roundings: the reciprocal of the rounded root, not a correctly rounded
// reciprocal root.  Negative arguments and NaN come back as NaN from the root.
#include "cpu/export.h"
#include "special/roots.h"

HOSTMATH_EXPORT(double, qx_math_func_host_rsqrt, (double x))
{
    return hostmath::detail::rsqrt_of(x);
}
