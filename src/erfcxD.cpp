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
#include "internal.h"

using hostmath::detail::horner;

namespace {

// erfcx about 0, in x: 1 - (2/sqrt(pi)) x + x^2 - (4/(3 sqrt(pi))) x^3 + ...
constexpr double kNearZero[] = {
    2.979141496506632e-09,   -1.1934903606514988e-08, 2.359062571801683e-08,  -7.067201754378211e-08,
    2.7579182255212133e-07,  -9.037586366686325e-07,  2.7581465613363794e-06, -8.361346333241178e-06,
    2.479776380461176e-05,   -7.126761340891669e-05,  0.00019841569527264294, -0.0005343946306393893,
    0.0013888874789144033,   -0.003473607754594877,   0.008333333746145767,   -0.019104832104891653,
    0.04166666659296896,     -0.08597174610574565,    0.16666666667415525,    -0.3009011112228008,
    0.49999999999962597,     -0.7522527780637539,     1.0000000000000064,     -1.128379167095512,
    1.0,
};
static_assert(sizeof kNearZero / sizeof kNearZero[0] == 25, "degree 24");

// (1 + 2a) erfcx(a) in t = (a - 4)/(a + 4); the constant term is 9 erfcx(4).
constexpr double kScaledMiddle[] = {
    1.4981549849751461e-09, -6.9954933359042386e-09, -1.5965692247743743e-08, 9.296713236341443e-08,
    7.0214215034531e-08,    -8.020495874042108e-07,  2.9923810132862424e-07,  5.689573987185115e-06,
    -1.1226090578381134e-05, -2.438781785281914e-05, 0.00015062360829881126,  -0.00019926094025574418,
    -0.0007577738760613681, 0.005031970998360601,    -0.01619773394678841,    0.03716751538709987,
    -0.06633036582443512,   0.09373283501069885,     -0.10103906603561565,    0.06809705425422367,
    0.015379652102604634,   -0.13962111684055725,    1.2329951186255526,
};
static_assert(sizeof kScaledMiddle / sizeof kScaledMiddle[0] == 23, "degree 22");

constexpr double kMiddleStart = 1.0;
constexpr double kAsymptoticStart = 5120.0;   // 0x40b4000000000000
constexpr double kCentre = 4.0;               // t = 0 here
constexpr double kInvSqrtPi = 0.5641895835477563;  // 0x3fe20dd750429b6d
constexpr double kSecondTerm = -0.5;
constexpr double kThirdTerm = 0.375;
constexpr double kReflectFrom = -1.0;
constexpr double kOverflowBelow = -27.0;
constexpr std::uint64_t kPlusInfinity = 0x7ff0000000000000u;

double erfcx_of_magnitude(double x, double a)
{
    if (a < kMiddleStart) return horner(x, kNearZero);
    if (a < kAsymptoticStart) {
        const double t = (a - kCentre) / (a + kCentre);
        return horner(t, kScaledMiddle) / std::fma(a, 2.0, 1.0);
    }
    const double b = 1.0 / (x * x);
    return (kInvSqrtPi / x) * std::fma(b, std::fma(b, kThirdTerm, kSecondTerm), 1.0);
}

}  // namespace

double qx_math_func_host_erfcx(double x)
{
    const double a = std::fabs(x);
    const double r = erfcx_of_magnitude(x, a);
    if (!(x <= kReflectFrom)) return r;
    const double s = a * a;
    const double e = std::fma(a, a, -s);  // s + e = x^2 exactly
    const double p = std::exp(s) * std::exp(e);
    const double w = std::fma(p, 2.0, -r);
    if (x < kOverflowBelow) return as_double(kPlusInfinity);
    return w;
}
