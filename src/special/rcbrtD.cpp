// 1/cbrt(x) in double precision.
//
// A zero gives the infinity of its own sign, built by setting the exponent
// bits of the argument, without dividing (so no division-by-zero flag is
// raised).  Everything else is 1 divided by the maths core's cube root, two
// roundings: the reciprocal of the rounded root, not a correctly rounded
// reciprocal root.  Negative arguments give the negative reciprocal root, the
// infinities the zero of their sign.
// The body on lanes lives in roots.h; the array form runs it on blocks of
// 64 lanes.
#include "cpu/export.h"
#include "special/roots.h"

using hostmath::detail::Rcbrt;

HOSTMATH_EXPORT(double, qx_math_func_host_rcbrt, (double x))
{
    return hostmath::detail::one_lane<Rcbrt, kFma>(x);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_rcbrt, (const double* in, double* out, std::size_t n))
{
    hostmath::detail::each_block<Rcbrt, kFma>(in, out, n);
}
