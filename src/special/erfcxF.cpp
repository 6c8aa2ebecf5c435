// Scaled complementary error function erfcx(x) = exp(x^2) erfc(x), single
// precision, all in float.
//
// The value r from the magnitude a = |x|:
//   a < 1         the expansion about 0, a polynomial of degree 13 in the
//                 signed x;
//   1 <= a < 32   (1 + 2a) erfcx(a) as a polynomial of degree 9 in
//                 t = (a - 4)/(a + 4), divided by 2a + 1;
//   a >= 32       (1/(x sqrt(pi))) (1 - b/2 + 0.375 b^2) with b = 1/x^2; the
//                 device's 0.375 (the series has 0.75) is kept, and costs up
//                 to 4 ulps just above 32.
// For x <= -1 the reflection 2 exp(x^2) - r, with x^2 split into its rounded
// value and the exact error; below -10 the result is +infinity (it overflows
// from about -9.4 anyway).  A NaN flows through the asymptotic branch.
//
// Measured error against MPFR (accuracy_erfcx_normcdf): at most 1.8 ulps on
// (-1, 0], 3.5 on [0, 1) (near 1), 2.4 on [1, 32), 3.8 on [32, 1024], 1.6
// above; 2.7 ulps for x <= -1 with glibc's expf.
// The tables, pieces and the body on lanes live in erfcx.h; the array form
// runs the same body on blocks of 64 lanes.
#include "cpu/export.h"
#include "special/erfcx.h"

using hostmath::detail::Erfcx;

HOSTMATH_EXPORT(float, qx_math_func_host_erfcxf, (float x))
{
    return hostmath::detail::one_lane<Erfcx, kFma>(x);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_erfcxf, (const float* in, float* out, std::size_t n))
{
    hostmath::detail::each_block<Erfcx, kFma>(in, out, n);
}
