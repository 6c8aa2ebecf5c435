// sin(pi x) in single precision.
//
// Integers give +0 exactly, whatever their sign.  Every other argument is
// multiplied by the float nearest pi, one rounding in single precision, and
// the product goes to the maths core's sinf: no argument reduction of our own and no
// special case for half-integers.  Infinities and NaN come back as NaN.
// The body on lanes lives in pi_scaled.h; the array form runs it on blocks of
// 64 lanes.
#include "cpu/export.h"
#include "special/pi_scaled.h"

using hostmath::detail::Sinpi;

HOSTMATH_EXPORT(float, qx_math_func_host_sinpif, (float x))
{
    return hostmath::detail::one_lane<Sinpi, kFma>(x);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_sinpif, (const float* in, float* out, std::size_t n))
{
    hostmath::detail::each_block<Sinpi, kFma>(in, out, n);
}
