// cos(pi x) in single precision.
//
// Integers give +1 when even and -1 when odd, read from the exact remainder of
// division by 2 in single precision; every float of magnitude 2^24 or more is
// even.  Every other argument is multiplied by the float nearest pi, one
// rounding in single precision, and the product goes to the maths core's cosf, with
// no special case for half-integers: cospif(0.5f) is the cosine of the float
// nearest pi/2, a tiny negative number.  Infinities and NaN come back as NaN.
// The body on lanes lives in pi_scaled.h; the array form runs it on blocks of
// 64 lanes.
#include "cpu/export.h"
#include "special/pi_scaled.h"

using hostmath::detail::Cospi;

HOSTMATH_EXPORT(float, qx_math_func_host_cospif, (float x))
{
    return hostmath::detail::one_lane<Cospi, kFma>(x);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_cospif, (const float* in, float* out, std::size_t n))
{
    hostmath::detail::each_block<Cospi, kFma>(in, out, n);
}
