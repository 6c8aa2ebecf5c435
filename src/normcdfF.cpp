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
#include "internal.h"

using hostmath::detail::bits_of;
using hostmath::detail::float_from_bits;
using hostmath::detail::horner;

namespace {

constexpr float kCentral[] = {5.3684647e-07f, -9.273142e-06f, 0.00011531932f, -0.001187288f,
                              0.00997355f,    -0.06649038f,   0.3989423f};
constexpr float kAboutOne[] = {-0.00016208537f, 0.0011762485f, -0.0023225206f, -0.003931896f, 0.02017173f,
                               -1.5206643e-05f, -0.12098158f,  0.24197043f,    0.8413448f};
constexpr float kAboutTwoAndHalf[] = {-0.00015861986f, 0.0015604469f, -0.0066046133f, 0.015614152f,
                                      -0.021967005f,   0.017532732f,  0.99379027f};
// The sixteenth root of 1 - Phi(x), in x - 4.
constexpr float kUpperTailRoot[] = {0.0018726295f, 0.003138668f, -0.13835078f, 0.52335525f};
constexpr float kAboutMinusOneAndHalf[] = {-0.00079845596f, -0.000797974f, 0.00583903f,  -0.006066673f,
                                           -0.026979739f,   0.097138666f,  -0.12951757f, 0.0668072f};
constexpr float kAboutMinusTwoAndHalf[] = {0.00010274892f, 0.0005102253f, -0.0002776665f,
                                           -0.0005397372f, 0.005973049f,  -0.015330694f,
                                           0.021910913f,   -0.017528284f, 0.0062096654f};
constexpr float kAboutMinusThreeAndQuarter[] = {-4.6895755e-05f, -9.0153935e-06f, 0.00017760637f,
                                                -0.0008707352f,  0.0020768277f,   -0.003233925f,
                                                0.0032971955f,   -0.0020290483f,  0.00057702506f};
// L - (ln(2 pi)/2 - 0.9140625) in a = 1/x^2, for -5 < x <= -3.25 (near) and
// -14.125 < x <= -5 (far).
constexpr float kTailNear[] = {252.84586f, -153.47794f, 46.27603f, -10.36241f, 2.4385316f, -0.9988822f, -0.0048849373f};
constexpr float kTailFar[] = {1996.4198f, -518.1237f, 80.45583f, -12.210141f, 2.4988828f, -0.99999475f, -0.0048760427f};
static_assert(sizeof kCentral / sizeof kCentral[0] == 7 && sizeof kAboutOne / sizeof kAboutOne[0] == 9 &&
                  sizeof kAboutTwoAndHalf / sizeof kAboutTwoAndHalf[0] == 7 &&
                  sizeof kUpperTailRoot / sizeof kUpperTailRoot[0] == 4 &&
                  sizeof kAboutMinusOneAndHalf / sizeof kAboutMinusOneAndHalf[0] == 8 &&
                  sizeof kAboutMinusTwoAndHalf / sizeof kAboutMinusTwoAndHalf[0] == 9 &&
                  sizeof kAboutMinusThreeAndQuarter / sizeof kAboutMinusThreeAndQuarter[0] == 9 &&
                  sizeof kTailNear / sizeof kTailNear[0] == 7 && sizeof kTailFar / sizeof kTailFar[0] == 7,
              "table sizes are the degrees plus one");

constexpr float kLowerQuartile = -0.67448974f;  // 0xbf2cab5c
constexpr float kSaturatesToOne = 5.296875f;   // 0x40a98000
constexpr float kSaturatesToZero = -14.125f;   // 0xc1620000
constexpr float kTailSplit = -5.0f;
constexpr float kHalfLogTwoPiHead = -0.9140625f;  // 0xbf6a0000
constexpr std::uint32_t kKeepHighBits = 0xffffe000u;

float upper_tail(float x)
{
    const float q = horner(x - 4.0f, kUpperTailRoot);
    const float q2 = q * q;
    const float q4 = q2 * q2;
    const float q8 = q4 * q4;
    return std::fma(-q8, q8, 1.0f);
}

float lower_tail(float x)
{
    const float a = 1.0f / (x * x);
    const float r = x > kTailSplit ? horner(a, kTailNear) : horner(a, kTailFar);
    const float c = float_from_bits(bits_of(x) & kKeepHighBits);  // 11 bits: c * c is exact
    const float u = std::fma(x - c, -0.5f * (x + c), r);
    const float v = std::fma(c, -0.5f * c, kHalfLogTwoPiHead);
    return (std::exp(u) / -x) * std::exp(v);
}

}  // namespace

float qx_math_func_host_normcdff(float x)
{
    if (x > kLowerQuartile) {
        if (x < 1.0f) return std::fma(x, horner(x * x, kCentral), 0.5f);
        if (x < 2.5f) return horner(x - 1.0f, kAboutOne);
        if (x < 4.0f) return horner(x - 2.5f, kAboutTwoAndHalf);
        if (x < kSaturatesToOne) return upper_tail(x);
        return 1.0f;
    }
    if (x > -1.5f) return horner(-1.5f - x, kAboutMinusOneAndHalf);
    if (x > -2.5f) return horner(-2.5f - x, kAboutMinusTwoAndHalf);
    if (x > -3.25f) return horner(-3.25f - x, kAboutMinusThreeAndQuarter);
    if (x > kSaturatesToZero) return lower_tail(x);
    if (hostmath::detail::isnan(x)) return x;
    return 0.0f;
}
