// Scaled complementary error function erfcx(x) = exp(x^2) erfc(x), double
// precision.
//
// A value r is first taken from the magnitude a = |x|:
//   a < 1          the expansion about 0, a polynomial of degree 24 in the
//                  signed x (so negative x in (-1, 0) needs nothing more);
//   1 <= a < 5120  (1 + 2a) erfcx(a) as a polynomial of degree 22 in
//                  t = (a - 4)/(a + 4), which stays in [-0.6, 1), divided by
//                  2a + 1;
//   a >= 5120      the leading asymptotic terms (1/(x sqrt(pi)))
//                  (1 - b/2 + 0.375 b^2) with b = 1/x^2.  The device uses 0.375
//                  for the b^2 term (the series has 0.75); it is kept, and costs
//                  up to 6 ulps just above 5120, fading out by 2^14.
// For x <= -1, erfc(x) = 2 - erfc(|x|) gives erfcx(x) = 2 exp(x^2) - r; x^2 is
// carried as its rounded value s plus the exact error e, and exp(s) exp(e)
// keeps the precision that exp of the rounded square would lose.  Below -27
// the result is +infinity (it overflows from about -26.6 anyway).  A NaN is
// not tested for: it takes the asymptotic branch and comes out as a NaN.
//
// Measured error against MPFR (accuracy_erfcx_normcdf): at most 2.9 ulps on
// (-1, 5120), 5.8 on [5120, 2^20], 1.1 above; 2.6 ulps for x <= -1 with
// glibc's exp, whose last bits the reflected results follow.
// The tables, pieces and the body on lanes live in erfcx.h; the array form
// runs the same body on blocks of 64 lanes.
#include "cpu/export.h"
#include "special/erfcx.h"

using hostmath::detail::Erfcx;

HOSTMATH_EXPORT(double, qx_math_func_host_erfcx, (double x))
{
    return hostmath::detail::one_lane<Erfcx, kFma>(x);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_erfcx, (const double* in, double* out, std::size_t n))
{
    hostmath::detail::each_block<Erfcx, kFma>(in, out, n);
}
