// erfinvf(x): the y with erf(y) = x, for x in [-1, 1], in single precision.
//
// Method: on a = |x|, two intervals, each a polynomial evaluated by Horner's
// scheme with one fused multiply-add per step, all in single precision:
//   a < 0.375     Q1(a*a) * a
//   otherwise     P(w) * a, w = -logf(1 - a*a) with 1 - a*a fused:
//                 Q2a(w - 2.5) for w < 5, else Q2b(sqrtf(w) - 3)
// Every boundary belongs to the interval above it.  Arguments are not screened:
// a >= 1, infinities and NaN run through the sqrt branch, and the NaN (a > 1)
// and infinity (a = 1) results replace the computed value at the end.  The sign
// of x is copied onto the result bit by bit, for every result.
// Largest error over every float argument, against the double function:
// 3.46 ulp at x = 0x1.ab4138p-1 (Q2a); 1.56 ulp in Q1, 2.49 in Q2b.
// The tables, pieces and the body on lanes live in erfinv.h; the array form
// runs the same body on blocks of 64 lanes.
#include "cpu/export.h"
#include "special/erfinv.h"

using hostmath::detail::Erfinv;

HOSTMATH_EXPORT(float, qx_math_func_host_erfinvf, (float x))
{
    return hostmath::detail::one_lane<Erfinv, kFma>(x);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_erfinvf, (const float* in, float* out, std::size_t n))
{
    hostmath::detail::each_block<Erfinv, kFma>(in, out, n);
}
