// erfcinv(x): the y with erfc(y) = x, for x in [0, 2], in double precision.
//
// Method: three ranges, the polynomials evaluated by Horner's scheme with one
// fused multiply-add per step:
//   x > 0.625          erfinv(1 - x), the inverse error function's own kernel
//   x > 2^-10          (1 - x) * M(u), u = -log(x*(2 - x)) - 3.125; the product
//                      formed as p - x*p with one rounding
//   otherwise          t * T(1/t), t = sqrt(-log(x)), with T the first of T1..T6
//                      whose threshold x exceeds (2^-19, 2^-40, 2^-82, 2^-200,
//                      2^-400, 2^-900), else T7 (subnormals included)
// Each threshold belongs to the range below it.  Arguments are not screened:
// zero, negatives, infinities and NaN run through the range their comparisons
// select, and the NaN (outside [0, 2]), +infinity (x = 0) and -infinity (x = 2)
// results replace the computed value at the end.
// Largest error measured against MPFR, 120000 arguments per piece: 3.65 ulp
// at x = 0x1.78cc33be13ee2p+0 (through erfinv); 2.38 ulp in the middle range,
// at most 2.97 ulp in T1..T7 (T2).
// The tables, pieces and the body on lanes live in erfcinv.h; the array form
// runs the same body on blocks of 64 lanes.
#include "cpu/export.h"
#include "special/erfcinv.h"

using hostmath::detail::Erfcinv;

HOSTMATH_EXPORT(double, qx_math_func_host_erfcinv, (double x))
{
    return hostmath::detail::one_lane<Erfcinv, kFma>(x);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_erfcinv, (const double* in, double* out, std::size_t n))
{
    hostmath::detail::each_block<Erfcinv, kFma>(in, out, n);
}
