// cos(pi x) in double precision.
//
// Integers give +1 when even and -1 when odd, read from the remainder of
// division by 2, which is exact: +-0 for even and +-1 for odd integers.  Every
// double of magnitude 2^53 or more is even.  Every other argument is multiplied
// by the double nearest pi, one rounding, and the product goes to the maths
// core's cosine, with no special case for half-integers: cospi(0.5) is the
// cosine of the double nearest pi/2, a tiny positive number.  Infinities and
// NaN come back as NaN.
// The body on lanes lives in pi_scaled.h; the array form runs it on blocks of
// 64 lanes.
#include "cpu/export.h"
#include "special/pi_scaled.h"

using hostmath::detail::Cospi;

HOSTMATH_EXPORT(double, qx_math_func_host_cospi, (double x))
{
    return hostmath::detail::one_lane<Cospi, kFma>(x);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_cospi, (const double* in, double* out, std::size_t n))
{
    hostmath::detail::each_block<Cospi, kFma>(in, out, n);
}
