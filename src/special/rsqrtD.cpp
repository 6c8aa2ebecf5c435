// 1/sqrt(x) in double precision.
//
// Zeros of either sign give +infinity and infinities of either sign give +0,
// both returned directly without dividing (so no division-by-zero flag is
// raised).  Everything else is 1 divided by the system square root, two
// roundings: the reciprocal of the rounded root, not a correctly rounded
// reciprocal root.  Negative arguments and NaN come back as NaN from the root.
// The body on lanes lives in roots.h; the array form runs it on blocks of
// 64 lanes.
#include "cpu/export.h"
#include "special/roots.h"

using hostmath::detail::Rsqrt;

HOSTMATH_EXPORT(double, qx_math_func_host_rsqrt, (double x))
{
    return hostmath::detail::one_lane<Rsqrt, kFma>(x);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_rsqrt, (const double* in, double* out, std::size_t n))
{
    hostmath::detail::each_block<Rsqrt, kFma>(in, out, n);
}
