// Standard normal distribution function Phi(x) = erfc(-x/sqrt(2))/2, double
// precision.
//
// The line is cut at the lower quartile q = -0.6744897501960817 (Phi = 0.25).
// Above it:
//   (q, 1)          0.5 + x P(x^2), the odd expansion about 0, degree 9 in x^2;
//   [1, 2.5)        a polynomial of degree 16 in x - 1;
//   [2.5, 4)        a polynomial of degree 16 in x - 2.5;
//   [4, 8.2109375)  1 - q8^2 with q8 the eighth power of a polynomial of degree
//                   11 in x - 4 (that polynomial is the sixteenth root of the
//                   tail 1 - Phi, so that the tail keeps its relative precision
//                   and is subtracted from 1 in one rounding);
//   from 8.2109375  exactly 1.
// At and below it, each interval owns its upper bound, and its variable is its
// lower bound minus x:
//   (-1.5, q]       degree 14 in -1.5 - x;
//   (-2.25, -1.5]   degree 14 in -2.25 - x;
//   (-2.75, -2.25]  degree 13 in -2.75 - x;
//   (-38.46875, -2.75]  the tail exp(-x^2/2 - ln(2 pi)/2 + L)/(-x), with L a
//                   polynomial in a = 1/x^2 (degree 14 above -4, 20 from -4
//                   down).  -x^2/2 is split with c, x with its low 32 bits
//                   cleared: -c^2/2 is exact and goes with 0.9140625 of
//                   ln(2 pi)/2 into one exponential, -(x - c)(x + c)/2 with L
//                   and the rest of the constant into the other;
//   up to -38.46875 +0 (the results just above are subnormal).
// A NaN falls through every comparison and is returned bit for bit.
//
// Measured error against MPFR (accuracy_erfcx_normcdf): at most 1.5 ulps on
// (-2.75, 8.2109375), 1 ulp where saturated, 2.3 ulps on the lower tail with
// glibc's exp (subnormal results counted in units of the smallest subnormal).
// The tables, pieces and the body on lanes live in normcdf.h; the array form
// runs the same body on blocks of 64 lanes.
#include "cpu/export.h"
#include "special/normcdf.h"

using hostmath::detail::Normcdf;

HOSTMATH_EXPORT(double, qx_math_func_host_normcdf, (double x))
{
    return hostmath::detail::one_lane<Normcdf, kFma>(x);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_normcdf, (const double* in, double* out, std::size_t n))
{
    hostmath::detail::each_block<Normcdf, kFma>(in, out, n);
}
