// The pieces of erfcx and erfcxf, shared by the exported functions (erfcxD.cpp,
// erfcxF.cpp, which state the method and the errors) and the array forms, so
// that both compute every result with the same operations.
#ifndef HOSTMATH_ERFCX_KERNELS_H
#define HOSTMATH_ERFCX_KERNELS_H

#include "internal.h"
#include "internal.h"

#include <cstdint>

namespace hostmath {
namespace detail {

namespace erfcxf_parts {

constexpr float kNearZero[] = {
    -0.000716852f, 0.0022474362f, -0.0034369775f, 0.0071384767f, -0.018911073f,
    0.042442564f,  -0.08615535f,  0.16641977f,    -0.3008379f,   0.5000351f,
    -0.75226116f,  0.9999984f,    -1.1283789f,    1.0f,
};
static_assert(sizeof kNearZero / sizeof kNearZero[0] == 14, "degree 13");

// (1 + 2a) erfcx(a) in t = (a - 4)/(a + 4).
constexpr float kScaledMiddle[] = {
    0.004160764f, -0.016725074f, 0.037807096f, -0.06619728f, 0.093559995f,
    -0.101052746f, 0.0681149f,   0.015380171f, -0.13962162f, 1.2329952f,
};
static_assert(sizeof kScaledMiddle / sizeof kScaledMiddle[0] == 10, "degree 9");

constexpr float kMiddleStart = 1.0f;
constexpr float kAsymptoticStart = 32.0f;
constexpr float kCentre = 4.0f;
constexpr float kInvSqrtPi = 0.5641896f;  // 0x3f106ebb
constexpr float kSecondTerm = -0.5f;
constexpr float kThirdTerm = 0.375f;
constexpr float kReflectFrom = -1.0f;
constexpr float kOverflowBelow = -10.0f;
constexpr std::uint32_t kPlusInfinity = 0x7f800000u;

inline float near_zero(float x) { return horner(x, kNearZero); }
inline float middle(float a)
{
    const float t = (a - kCentre) / (a + kCentre);
    return horner(t, kScaledMiddle) / std::fma(a, 2.0f, 1.0f);
}
inline float asymptotic(float x)
{
    const float b = 1.0f / (x * x);
    return (kInvSqrtPi / x) * std::fma(b, std::fma(b, kThirdTerm, kSecondTerm), 1.0f);
}

// The range of the magnitude a = |x| (a NaN takes the asymptotic form), and
// the value from it.
inline bool uses_near_zero(float a) { return a < kMiddleStart; }
inline bool uses_asymptotic(float a) { return !(a < kAsymptoticStart); }
inline float of_magnitude(float x, float a)
{
    if (uses_near_zero(a)) return near_zero(x);
    if (!uses_asymptotic(a)) return middle(a);
    return asymptotic(x);
}

inline bool reflects(float x) { return x <= kReflectFrom; }

// x <= -1: 2 exp(x^2) - r, with exp(x^2) passed in as exp(s) * exp(e), s + e = x^2.
inline float square_head(float a) { return a * a; }
inline float square_tail(float a, float s) { return std::fma(a, a, -s); }
inline float reflected(float x, float r, float exp_square)
{
    const float w = std::fma(exp_square, 2.0f, -r);
    if (x < kOverflowBelow) return as_float(kPlusInfinity);
    return w;
}

}  // namespace erfcxf_parts

namespace erfcx_parts {

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

inline double near_zero(double x) { return horner(x, kNearZero); }
inline double middle(double a)
{
    const double t = (a - kCentre) / (a + kCentre);
    return horner(t, kScaledMiddle) / std::fma(a, 2.0, 1.0);
}
inline double asymptotic(double x)
{
    const double b = 1.0 / (x * x);
    return (kInvSqrtPi / x) * std::fma(b, std::fma(b, kThirdTerm, kSecondTerm), 1.0);
}

// The range of the magnitude a = |x| (a NaN takes the asymptotic form), and
// the value from it.
inline bool uses_near_zero(double a) { return a < kMiddleStart; }
inline bool uses_asymptotic(double a) { return !(a < kAsymptoticStart); }
inline double of_magnitude(double x, double a)
{
    if (uses_near_zero(a)) return near_zero(x);
    if (!uses_asymptotic(a)) return middle(a);
    return asymptotic(x);
}

inline bool reflects(double x) { return x <= kReflectFrom; }

// x <= -1: 2 exp(x^2) - r, with exp(x^2) passed in as exp(s) * exp(e), s + e = x^2
// exactly.
inline double square_head(double a) { return a * a; }
inline double square_tail(double a, double s) { return std::fma(a, a, -s); }
inline double reflected(double x, double r, double exp_square)
{
    const double w = std::fma(exp_square, 2.0, -r);
    if (x < kOverflowBelow) return as_double(kPlusInfinity);
    return w;
}

}  // namespace erfcx_parts

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_ERFCX_KERNELS_H
