// erfcinvf(x): the y with erfc(y) = x, for x in [0, 2], in single precision.
//
// Method: three ranges, the polynomials evaluated by Horner's scheme with one
// fused multiply-add per step, all in single precision:
//   x > 0.625          erfinvf(1 - x), the inverse error function's own kernel
//   x > 2^-10          (1 - x) * Mf(u), u = -logf(x*(2 - x)) - 3.125; the product
//                      formed as p - x*p with one rounding
//   otherwise          t * T(1/t), t = sqrtf(-logf(x)): Tf1 for x > 2^-42, else
//                      Tf2 (subnormals included)
// Each threshold belongs to the range below it.  Arguments are not screened:
// zero, negatives, infinities and NaN run through the range their comparisons
// select, and the NaN (outside [0, 2]), +infinity (x = 0) and -infinity (x = 2)
// results replace the computed value at the end.
// Largest error over every float argument, against the double function:
// 3.46 ulp at x = 0x1.d5a09cp+0 (through erfinvf); 2.52 ulp in the middle
// range, 2.85 in Tf1, 2.83 in Tf2.
// The tables, pieces and the body on lanes live in erfcinv.h; the array form
// runs the same body on blocks of 64 lanes.
#include "cpu/export.h"
#include "special/erfcinv.h"

using hostmath::detail::Erfcinv;

HOSTMATH_EXPORT(float, qx_math_func_host_erfcinvf, (float x))
{
    return hostmath::detail::one_lane<Erfcinv, kFma>(x);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_erfcinvf, (const float* in, float* out, std::size_t n))
{
    hostmath::detail::each_block<Erfcinv, kFma>(in, out, n);
}
