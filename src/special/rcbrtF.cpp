// 1/cbrt(x) in single precision.
//
// 1 divided by the maths core's cube root, two roundings in single precision, with
// no special case: a zero gives the infinity of its sign through the division
// (whose division-by-zero flag the guard clears again), an infinity the zero
// of its sign.
// The body on lanes lives in roots.h; the array form runs it on blocks of
// 64 lanes.
#include "cpu/export.h"
#include "special/roots.h"

using hostmath::detail::Rcbrt;

HOSTMATH_EXPORT(float, qx_math_func_host_rcbrtf, (float x))
{
    return hostmath::detail::one_lane<Rcbrt, kFma>(x);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_rcbrtf, (const float* in, float* out, std::size_t n))
{
    hostmath::detail::each_block<Rcbrt, kFma>(in, out, n);
}
