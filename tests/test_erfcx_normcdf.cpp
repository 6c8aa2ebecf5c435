// erfcx and normcdf: the values that the arithmetic fixes without the system
// exp (constant terms at the expansion points, the asymptotic form, the
// saturated ends), the interval each bound falls into, NaN and infinities, the
// overflow of erfcx, and a coarse agreement with the C library's erfc.  Results
// that go through exp are checked by class here; their accuracy is measured in
// accuracy_erfcx_normcdf.cpp.
#include "hostmath.h"
#include "test_bits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

using testbits::f32;
using testbits::f64;
using testbits::u32;
using testbits::u64;

namespace {

constexpr double kMaxDouble = std::numeric_limits<double>::max();
constexpr float kMaxFloat = std::numeric_limits<float>::max();
constexpr double kInvSqrtPi = 0.5641895835477563;  // the coefficient of the asymptotic form
constexpr float kInvSqrtPiF = 0.5641896f;

// The asymptotic form of erfcx, (1/(x sqrt(pi))) (1 - b/2 + 0.375 b^2), b = 1/x^2.
template <typename T>
T asymptotic_erfcx(T x, T inv_sqrt_pi)
{
    const T b = T(1) / (x * x);
    return (inv_sqrt_pi / x) * std::fma(b, std::fma(b, T(0.375), T(-0.5)), T(1));
}

// 1 - c^16 in one rounding, as the upper tail gives it where its polynomial is c.
template <typename T>
T one_minus_sixteenth_power(T c)
{
    const T c2 = c * c, c4 = c2 * c2, c8 = c4 * c4;
    return std::fma(-c8, c8, T(1));
}

struct DoubleCase {
    double x, expected;
};
struct FloatCase {
    float x, expected;
};

TEST(Normcdf, ExactValues)
{
    const DoubleCase cases[] = {
        {0.0, 0.5},
        {-0.0, 0.5},
        {1.0, 0.841344746068543},  // constant term of the expansion about 1
        {2.5, 0.9937903346742238},  // about 2.5
        {4.0, one_minus_sixteenth_power(0.5233492043899404)},
        {f64(0xbfe5956b87528a49), 0.25},  // the lower quartile takes the lower side
        {std::nextafter(8.2109375, 0.0), 1 - std::ldexp(1.0, -53)},
        {8.2109375, 1.0},
        {kMaxDouble, 1.0},
        {INFINITY, 1.0},
        {-38.46875, 0.0},
        {-kMaxDouble, 0.0},
        {-INFINITY, 0.0},
    };
    for (const DoubleCase& c : cases)
        EXPECT_EQ(u64(qx_math_func_host_normcdf(c.x)), u64(c.expected)) << std::hexfloat << c.x;
}

TEST(Normcdf, ExactValuesFloat)
{
    const FloatCase cases[] = {
        {0.0f, 0.5f},
        {-0.0f, 0.5f},
        {1.0f, 0.8413448f},
        {2.5f, 0.99379027f},
        {4.0f, one_minus_sixteenth_power(0.52335525f)},
        {f32(0xbf2cab5c), 0.25f},
        {std::nextafter(5.296875f, 0.0f), 1 - std::ldexp(1.0f, -24)},
        {5.296875f, 1.0f},
        {kMaxFloat, 1.0f},
        {INFINITY, 1.0f},
        {-14.125f, 0.0f},
        {-kMaxFloat, 0.0f},
        {-INFINITY, 0.0f},
    };
    for (const FloatCase& c : cases)
        EXPECT_EQ(u32(qx_math_func_host_normcdff(c.x)), u32(c.expected)) << std::hexfloat << c.x;
}

// On the lower side a bound belongs to the interval below it.  Taken by the
// interval above, -1.5 and -2.25 would give that interval's constant term,
// which differs in the last bit from the value below.  (In single precision
// both readings give the same bits at every bound.)
TEST(Normcdf, LowerSideBoundsBelongToTheIntervalBelow)
{
    const DoubleCase above[] = {{-1.5, 0.06680720126885807}, {-2.25, 0.012224472655044703}};
    for (const DoubleCase& c : above) {
        const double got = qx_math_func_host_normcdf(c.x);
        EXPECT_NE(got, c.expected) << c.x;
        EXPECT_NEAR(got, c.expected, 4 * std::ldexp(1.0, -53) * c.expected) << c.x;
    }
}

// Just inside the saturation bound the tail is subnormal and positive.
TEST(Normcdf, SubnormalJustAboveTheLowerBound)
{
    const double d = qx_math_func_host_normcdf(std::nextafter(-38.46875, 0.0));
    EXPECT_GT(d, 0.0);
    EXPECT_LT(d, std::numeric_limits<double>::min());
    const float f = qx_math_func_host_normcdff(std::nextafter(-14.125f, 0.0f));
    EXPECT_GT(f, 0.0f);
    EXPECT_LT(f, std::numeric_limits<float>::min());
}

TEST(Normcdf, NanReturnedBitForBit)
{
    for (std::uint64_t bits : {0x7ff8000000000000ull, 0xfff8000000000000ull, 0x7ff0000000000001ull,
                               0x7ff4000000000123ull, 0xfff7ffffffffffffull, 0xffffffffffffffffull})
        EXPECT_EQ(u64(qx_math_func_host_normcdf(f64(bits))), bits) << std::hex << bits;
    for (std::uint32_t bits : {0x7fc00000u, 0xffc00000u, 0x7f800001u, 0x7fa00123u, 0xffbfffffu, 0xffffffffu})
        EXPECT_EQ(u32(qx_math_func_host_normcdff(f32(bits))), bits) << std::hex << bits;
}

TEST(Erfcx, ExactValues)
{
    const DoubleCase cases[] = {
        {0.0, 1.0},
        {-0.0, 1.0},
        {4.0, 1.2329951186255526 / 9},  // t = 0: the constant term over 2a + 1
        {5120.0, asymptotic_erfcx(5120.0, kInvSqrtPi)},
        {0x1p600, std::ldexp(kInvSqrtPi, -600)},  // x*x overflows, b = 0
        {kMaxDouble, kInvSqrtPi / kMaxDouble},  // subnormal
        {INFINITY, 0.0},
        {-INFINITY, INFINITY},
        {-27.0, INFINITY},
        {-26.7, INFINITY},
        {-kMaxDouble, INFINITY},
    };
    for (const DoubleCase& c : cases)
        EXPECT_EQ(u64(qx_math_func_host_erfcx(c.x)), u64(c.expected)) << std::hexfloat << c.x;
    EXPECT_TRUE(std::isfinite(qx_math_func_host_erfcx(-26.5)));
    EXPECT_TRUE(std::isnan(qx_math_func_host_erfcx(NAN)));
    EXPECT_TRUE(std::isnan(qx_math_func_host_erfcx(-NAN)));
}

TEST(Erfcx, ExactValuesFloat)
{
    const FloatCase cases[] = {
        {0.0f, 1.0f},
        {-0.0f, 1.0f},
        {4.0f, 1.2329952f / 9},
        {32.0f, asymptotic_erfcx(32.0f, kInvSqrtPiF)},
        {0x1p100f, std::ldexp(kInvSqrtPiF, -100)},
        {kMaxFloat, kInvSqrtPiF / kMaxFloat},
        {INFINITY, 0.0f},
        {-INFINITY, INFINITY},
        {-10.5f, INFINITY},
        {-10.0f, INFINITY},
        {-9.4f, INFINITY},
        {-kMaxFloat, INFINITY},
    };
    for (const FloatCase& c : cases)
        EXPECT_EQ(u32(qx_math_func_host_erfcxf(c.x)), u32(c.expected)) << std::hexfloat << c.x;
    EXPECT_TRUE(std::isfinite(qx_math_func_host_erfcxf(-9.3f)));
    EXPECT_TRUE(std::isnan(qx_math_func_host_erfcxf(NAN)));
    EXPECT_TRUE(std::isnan(qx_math_func_host_erfcxf(-NAN)));
}

// The asymptotic form starts at 5120 (single: 32); the value below still comes
// from the rational form, which differs from the asymptotic one there.
TEST(Erfcx, LastValueBeforeTheAsymptoticForm)
{
    const double d = std::nextafter(5120.0, 0.0);
    EXPECT_NE(qx_math_func_host_erfcx(d), asymptotic_erfcx(d, kInvSqrtPi));
    const float f = std::nextafter(32.0f, 0.0f);
    EXPECT_NE(qx_math_func_host_erfcxf(f), asymptotic_erfcx(f, kInvSqrtPiF));
}

// Relative difference in units of 2^-52 (double) or 2^-23 (float).
template <typename T>
double relative_ulps(T got, double reference)
{
    return std::fabs((static_cast<double>(got) - reference) / reference) /
           std::numeric_limits<T>::epsilon();
}

// A coarse comparison with the C library's erfc, over ranges where the
// formulas below lose little in double: it catches a wrong table or branch on
// every platform, also where MPFR is not available.
TEST(Plausibility, AgreesWithLibraryErfc)
{
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> erfcx_range(-9.0, 25.0), normcdf_range(-6.0, 6.0);
    double worst[4] = {};
    for (int i = 0; i < 20000; ++i) {
        const double x = erfcx_range(rng);
        const float xf = static_cast<float>(x);
        worst[0] = std::fmax(worst[0], relative_ulps(qx_math_func_host_erfcx(x), std::exp(x * x) * std::erfc(x)));
        const double xd = xf;
        worst[1] = std::fmax(worst[1], relative_ulps(qx_math_func_host_erfcxf(xf), std::exp(xd * xd) * std::erfc(xd)));
        const double y = normcdf_range(rng);
        const float yf = static_cast<float>(y);
        worst[2] = std::fmax(worst[2], relative_ulps(qx_math_func_host_normcdf(y), 0.5 * std::erfc(-y / std::sqrt(2.0))));
        worst[3] = std::fmax(worst[3],
                             relative_ulps(qx_math_func_host_normcdff(yf), 0.5 * std::erfc(-double(yf) / std::sqrt(2.0))));
    }
    // The double references lose up to about 2x^2 ulps to the rounding of x^2
    // or -x/sqrt(2); the float ones are exact to far below a float ulp.
    EXPECT_LT(worst[0], 1024.0);
    EXPECT_LT(worst[1], 4.0);
    EXPECT_LT(worst[2], 128.0);
    EXPECT_LT(worst[3], 4.0);
}

}  // namespace
