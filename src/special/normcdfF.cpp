// Standard normal distribution function Phi(x) = erfc(-x/sqrt(2))/2, single
// precision, all in float.
//
// The line is cut at the lower quartile q = -0.67448974 (Phi = 0.25).  Above it:
//   (q, 1)          0.5 + x P(x^2), degree 6 in x^2;
//   [1, 2.5)        degree 8 in x - 1;
//   [2.5, 4)        degree 6 in x - 2.5;
//   [4, 5.296875)   1 - q8^2, q8 the eighth power of a cubic in x - 4 that
//                   approximates the sixteenth root of 1 - Phi;
//   from 5.296875   exactly 1.
// At and below it, each interval owns its upper bound, and its variable is its
// lower bound minus x:
//   (-1.5, q]       degree 7 in -1.5 - x;
//   (-2.5, -1.5]    degree 8 in -2.5 - x;
//   (-3.25, -2.5]   degree 8 in -3.25 - x;
//   (-14.125, -3.25]  exp(-x^2/2 - ln(2 pi)/2 + L)/(-x), L of degree 6 in
//                   a = 1/x^2 (one table above -5, one from -5 down), -x^2/2
//                   split with c, x with its low 13 bits cleared, so that c^2
//                   is exact;
//   up to -14.125   +0 (the results just above are subnormal).
// A NaN falls through every comparison and is returned bit for bit.
//
// Measured error against MPFR (accuracy_erfcx_normcdf): at most 1.6 ulps on
// (-3.25, 5.296875), 1 ulp where saturated, 2.3 ulps on the lower tail with
// glibc's expf (subnormal results counted in units of the smallest subnormal).
// The tables, pieces and the body on lanes live in normcdf.h; the array form
// runs the same body on blocks of 64 lanes.
#include "cpu/export.h"
#include "special/normcdf.h"

using hostmath::detail::Normcdf;

HOSTMATH_EXPORT(float, qx_math_func_host_normcdff, (float x))
{
    return hostmath::detail::one_lane<Normcdf, kFma>(x);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_normcdff, (const float* in, float* out, std::size_t n))
{
    hostmath::detail::each_block<Normcdf, kFma>(in, out, n);
}
