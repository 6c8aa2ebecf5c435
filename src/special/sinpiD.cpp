// sin(pi x) in double precision.
//
// Integers give +0 exactly, whatever their sign.  Every other argument is
// multiplied by the double nearest pi, one rounding, and the product goes to
// the maths core's sine: there is no argument reduction of our own and no special
// case for half-integers, so the result carries the product's rounding error.
// Infinities and NaN reach the sine and come back as NaN.
// The body on lanes lives in pi_scaled.h; the array form runs it on blocks of
// 64 lanes.
#include "cpu/export.h"
#include "special/pi_scaled.h"

using hostmath::detail::Sinpi;

HOSTMATH_EXPORT(double, qx_math_func_host_sinpi, (double x))
{
    return hostmath::detail::one_lane<Sinpi, kFma>(x);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_sinpi, (const double* in, double* out, std::size_t n))
{
    hostmath::detail::each_block<Sinpi, kFma>(in, out, n);
}
