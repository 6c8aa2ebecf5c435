// Pi-scaled sine and cosine and the reciprocal roots: exact results at
// integers, the core's function of the rounded product everywhere else (with
// no half-integer special case), the pointer handling of sincospi, and every
// special argument of the reciprocal roots, bit for bit.
#include "hostmath.h"
#include "correctly_rounded.h"
#include "special/pi_scaled.h"
#include "test_bits.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

using testbits::f32;
using testbits::f64;
using testbits::u32;
using testbits::u64;

namespace {

constexpr double kPi = 3.141592653589793;
constexpr float kPiF = 3.1415927f;
constexpr double kDoubleMax = std::numeric_limits<double>::max();
constexpr float kFloatMax = std::numeric_limits<float>::max();

// The correctly rounded sine or cosine of the rounded product, as the library
// computes it.
double cr_sin_of_product(double x)
{
    const double product = x * kPi;
    return accuracy::cr_sin(product);
}
double cr_cos_of_product(double x)
{
    const double product = x * kPi;
    return accuracy::cr_cos(product);
}
float cr_sin_of_product(float x)
{
    const float product = x * kPiF;
    return accuracy::cr_sin(product);
}
float cr_cos_of_product(float x)
{
    const float product = x * kPiF;
    return accuracy::cr_cos(product);
}

// ---------------------------------------------------------------------------
// Integers: sine +0, cosine +-1 by parity
// ---------------------------------------------------------------------------

template <typename Real>
struct IntegerCase {
    Real x;
    Real cosine;
};

const IntegerCase<double> kDoubleIntegers[] = {
    {0.0, 1.0}, {-0.0, 1.0}, {1.0, -1.0}, {-1.0, -1.0}, {2.0, 1.0}, {-2.0, 1.0}, {3.0, -1.0}, {-7.0, -1.0},
    // From 2^52 on every double is an integer; odd ones up to 2^53, only even ones beyond.
    {0x1p52, 1.0}, {0x1p52 + 1, -1.0}, {-(0x1p52 + 1), -1.0}, {0x1p53 - 1, -1.0}, {-(0x1p53 - 1), -1.0},
    {0x1p52 - 1, -1.0}, {0x1p53, 1.0}, {-0x1p53, 1.0}, {0x1p53 + 2, 1.0}, {0x1p53 + 6, 1.0},
    {1e300, 1.0}, {-1e300, 1.0}, {kDoubleMax, 1.0}, {-kDoubleMax, 1.0},
};

const IntegerCase<float> kFloatIntegers[] = {
    {0.0f, 1.0f}, {-0.0f, 1.0f}, {1.0f, -1.0f}, {-1.0f, -1.0f}, {2.0f, 1.0f}, {-2.0f, 1.0f}, {3.0f, -1.0f},
    {-7.0f, -1.0f},
    // From 2^23 on every float is an integer; odd ones up to 2^24, only even ones beyond.
    {0x1p23f, 1.0f}, {0x1p23f + 1, -1.0f}, {-(0x1p23f + 1), -1.0f}, {0x1p24f - 1, -1.0f},
    {-(0x1p24f - 1), -1.0f}, {0x1p23f - 1, -1.0f}, {0x1p24f, 1.0f}, {-0x1p24f, 1.0f}, {0x1p24f + 2, 1.0f},
    {0x1p24f + 6, 1.0f}, {1e30f, 1.0f}, {-1e30f, 1.0f}, {kFloatMax, 1.0f}, {-kFloatMax, 1.0f},
};

TEST(PiScaledIntegers, DoubleSineIsPositiveZeroCosineIsParity)
{
    for (const auto& c : kDoubleIntegers) {
        EXPECT_EQ(u64(qx_math_func_host_sinpi(c.x)), 0u) << "sinpi(" << c.x << ")";
        EXPECT_EQ(u64(qx_math_func_host_cospi(c.x)), u64(c.cosine)) << "cospi(" << c.x << ")";
    }
}

TEST(PiScaledIntegers, FloatSineIsPositiveZeroCosineIsParity)
{
    for (const auto& c : kFloatIntegers) {
        EXPECT_EQ(u32(qx_math_func_host_sinpif(c.x)), 0u) << "sinpif(" << c.x << ")";
        EXPECT_EQ(u32(qx_math_func_host_cospif(c.x)), u32(c.cosine)) << "cospif(" << c.x << ")";
    }
}

// The array forms of the double functions decide the integers by arithmetic,
// the scalar ones on the bits: the same answers, on random patterns and on
// every exponent around the integers' range with fractions cut short.
TEST(PiScaledIntegers, BlockTestIsTheBitTest)
{
    using hostmath::detail::IntegerArithmetic;
    std::mt19937_64 rng(11);
    std::vector<double> xs = {0.0, -0.0, 1.0, 0x1p52, 0x1p52 + 1, 0x1p53, 0x1p53 - 1, 0x1p52 - 0.5, 0x1p-1074,
                              std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()};
    for (int i = 0; i < 1000000; ++i) {
        const std::uint64_t exponent = 1023 - 4 + rng() % 60;
        const std::uint64_t fraction = (rng() & 0xfffffffffffffull) & ~((std::uint64_t{1} << (rng() % 53)) - 1);
        xs.push_back(f64((rng() & (std::uint64_t{1} << 63)) | exponent << 52 | fraction));
        xs.push_back(f64(rng()));
    }
    for (double x : xs) {
        const IntegerArithmetic block(x);
        ASSERT_EQ(block.integer(), hostmath::detail::counts_as_integer(x)) << std::hexfloat << x;
        if (block.integer()) {
            ASSERT_EQ(block.odd(), hostmath::detail::integer_is_odd(x)) << std::hexfloat << x;
        }
    }
}

// ---------------------------------------------------------------------------
// Everything else: the core's sine or cosine of the rounded product
// ---------------------------------------------------------------------------

// Half-integers, the largest non-integers, tiny and subnormal arguments, and
// large non-integers whose rounded product is far from the exact pi x.
const double kDoubleNonIntegers[] = {
    0.5, -0.5, 1.5, -2.5, 0.25, -0.75, 1.0 / 3, 0x1p52 - 0.5, -(0x1p52 - 0.5), 0x1p51 + 0.5, 0x1p40 + 0.5,
    0x1p-1074, -0x1p-1074, 0x1p-1022, 1e-300, 0x1p-30,
};
const float kFloatNonIntegers[] = {
    0.5f, -0.5f, 1.5f, -2.5f, 0.25f, -0.75f, 1.0f / 3, 0x1p23f - 0.5f, -(0x1p23f - 0.5f), 0x1p22f + 0.5f,
    0x1p20f + 0.5f, 0x1p-149f, -0x1p-149f, 0x1p-126f, 1e-30f, 0x1p-15f,
};

TEST(PiScaledNonIntegers, DoubleGoToSystemFunctionsOfRoundedProduct)
{
    for (double x : kDoubleNonIntegers) {
        EXPECT_EQ(u64(qx_math_func_host_sinpi(x)), u64(cr_sin_of_product(x))) << "sinpi(" << x << ")";
        EXPECT_EQ(u64(qx_math_func_host_cospi(x)), u64(cr_cos_of_product(x))) << "cospi(" << x << ")";
    }
}

TEST(PiScaledNonIntegers, FloatGoToSystemFunctionsOfRoundedProduct)
{
    for (float x : kFloatNonIntegers) {
        EXPECT_EQ(u32(qx_math_func_host_sinpif(x)), u32(cr_sin_of_product(x))) << "sinpif(" << x << ")";
        EXPECT_EQ(u32(qx_math_func_host_cospif(x)), u32(cr_cos_of_product(x))) << "cospif(" << x << ")";
    }
}

// What the rounded product means for the caller, independent of the last bit
// of the sine and cosine.
TEST(PiScaledNonIntegers, HalfIntegersAndLargeArgumentsAreNotExact)
{
    // cos of the double nearest pi/2 is about 6.1e-17; of the float nearest pi/2 about -4.4e-8.
    const double c = qx_math_func_host_cospi(0.5);
    EXPECT_GT(c, 0.0);
    EXPECT_LT(c, 1e-16);
    const float cf = qx_math_func_host_cospif(0.5f);
    EXPECT_LT(cf, 0.0f);
    EXPECT_GT(cf, -1e-7f);
    EXPECT_EQ(qx_math_func_host_sinpi(0.5), 1.0);
    EXPECT_EQ(qx_math_func_host_sinpif(0.5f), 1.0f);
    // sin(pi (n + 1/2)) is +-1 exactly, but the product rounds away from the half-integer.
    EXPECT_LT(std::fabs(qx_math_func_host_sinpi(0x1p40 + 0.5)), 1.0 - 1e-9);
    EXPECT_LT(std::fabs(qx_math_func_host_sinpif(0x1p20f + 0.5f)), 1.0f - 1e-4f);
}

TEST(PiScaledNonIntegers, InfinitiesAndNanGiveNan)
{
    const double doubles[] = {f64(0x7ff0000000000000), f64(0xfff0000000000000), f64(0x7ff8000000000000),
                              f64(0xfff8000000000001)};
    for (double x : doubles) {
        EXPECT_TRUE(std::isnan(qx_math_func_host_sinpi(x))) << x;
        EXPECT_TRUE(std::isnan(qx_math_func_host_cospi(x))) << x;
    }
    const float floats[] = {f32(0x7f800000), f32(0xff800000), f32(0x7fc00000), f32(0xffc00001)};
    for (float x : floats) {
        EXPECT_TRUE(std::isnan(qx_math_func_host_sinpif(x))) << x;
        EXPECT_TRUE(std::isnan(qx_math_func_host_cospif(x))) << x;
    }
}

// ---------------------------------------------------------------------------
// sincospi: the single functions' results, null pointers skipped, cosine last
// ---------------------------------------------------------------------------

template <typename Real>
struct SincosFunctions {
    void (*sincos)(Real, Real*, Real*);
    Real (*sin)(Real);
    Real (*cos)(Real);
};

// At x = 1 the two results (+0 and -1) and the untouched sentinel all differ.
template <typename Real>
void check_sincos_pointers(const SincosFunctions<Real>& f)
{
    const Real sentinel = Real(42);
    const Real x = Real(1);
    struct Case {
        bool sine, cosine;
    };
    const Case cases[] = {{true, true}, {true, false}, {false, true}, {false, false}};
    for (const Case& c : cases) {
        Real s = sentinel;
        Real k = sentinel;
        f.sincos(x, c.sine ? &s : nullptr, c.cosine ? &k : nullptr);
        EXPECT_EQ(s, c.sine ? Real(0) : sentinel) << "sine pointer given: " << c.sine;
        EXPECT_EQ(k, c.cosine ? Real(-1) : sentinel) << "cosine pointer given: " << c.cosine;
    }
    Real both = sentinel;
    f.sincos(x, &both, &both);
    EXPECT_EQ(both, Real(-1)) << "one object for both results holds the cosine";

    // The two results come from one reduction: bit for bit the single
    // functions', on random patterns and on arguments of every reduction.
    std::vector<Real> samples = {Real(0.5), Real(-0.25), Real(1) / Real(3), Real(1e6) + Real(0.125),
                                 std::numeric_limits<Real>::infinity(), std::numeric_limits<Real>::quiet_NaN()};
    std::mt19937_64 rng(7);
    for (int i = 0; i < 200000; ++i) {
        if constexpr (sizeof(Real) == 8) samples.push_back(f64(rng()));
        else samples.push_back(f32(static_cast<std::uint32_t>(rng())));
        const Real scale = std::ldexp(Real(1), static_cast<int>(rng() % 40) - 10);
        samples.push_back(scale * (static_cast<Real>(rng() % 2000000) / Real(1000000) - Real(1)));
    }
    for (Real y : samples) {
        Real s = sentinel;
        Real k = sentinel;
        f.sincos(y, &s, &k);
        const Real expected_s = f.sin(y), expected_k = f.cos(y);
        ASSERT_TRUE(std::memcmp(&s, &expected_s, sizeof(Real)) == 0 && std::memcmp(&k, &expected_k, sizeof(Real)) == 0)
            << std::hexfloat << y;
    }
}

TEST(Sincospi, Double)
{
    check_sincos_pointers<double>(
        {qx_math_func_host_sincospi, qx_math_func_host_sinpi, qx_math_func_host_cospi});
}

TEST(Sincospi, Float)
{
    check_sincos_pointers<float>(
        {qx_math_func_host_sincospif, qx_math_func_host_sinpif, qx_math_func_host_cospif});
}

// ---------------------------------------------------------------------------
// Reciprocal roots at special arguments, bit for bit
// ---------------------------------------------------------------------------

// What a table cell asks of a result: these exact bits, any NaN, a value
// within a few ulps of the given one (the system cube root is not correctly
// rounded, not even at exact cubes), or nothing (the cell tests the other
// function).
enum class Kind { exact, nan, close, unchecked };

template <typename Bits>
struct Outcome {
    Kind kind;
    Bits bits;
};

using D = Outcome<std::uint64_t>;
using F = Outcome<std::uint32_t>;
constexpr D d(std::uint64_t bits) { return {Kind::exact, bits}; }
constexpr F f(std::uint32_t bits) { return {Kind::exact, bits}; }
constexpr D near_d(std::uint64_t bits) { return {Kind::close, bits}; }
constexpr F near_f(std::uint32_t bits) { return {Kind::close, bits}; }
constexpr D kNanD{Kind::nan, 0}, kUncheckedD{Kind::unchecked, 0};
constexpr F kNanF{Kind::nan, 0}, kUncheckedF{Kind::unchecked, 0};
constexpr int kCloseUlps = 4;

struct DoubleRootCase {
    std::uint64_t x;
    D rsqrt, rcbrt;
};
struct FloatRootCase {
    std::uint32_t x;
    F rsqrt, rcbrt;
};

// The double forms settle zeros (and the square root infinities) before
// dividing; the float forms divide, so the two differ at -0 and -infinity.
// The square root is correctly rounded, so its finite entries are exact: 1, 4
// and 2^-1074 (2^-148) have exact roots, and 1/sqrt(2) is the quotient of 1 and
// the rounded root.  Negative finite arguments give negative cube roots.
const DoubleRootCase kDoubleRoots[] = {
    {0x0000000000000000, d(0x7ff0000000000000), d(0x7ff0000000000000)},  // +0
    {0x8000000000000000, d(0x7ff0000000000000), d(0xfff0000000000000)},  // -0
    {0x7ff0000000000000, d(0x0000000000000000), d(0x0000000000000000)},  // +infinity
    {0xfff0000000000000, d(0x0000000000000000), d(0x8000000000000000)},  // -infinity
    {0xbff0000000000000, kNanD, near_d(0xbff0000000000000)},             // -1
    {0xc020000000000000, kNanD, near_d(0xbfe0000000000000)},             // -8
    {0x8000000000000001, kNanD, near_d(0xd650000000000000)},             // -2^-1074 -> -2^358
    {0x7ff8000000000000, kNanD, kNanD},                                  // quiet NaN
    {0xfff8000000000001, kNanD, kNanD},                                  // negative NaN with payload
    {0x7ff0000000000001, kNanD, kNanD},                                  // signalling NaN
    {0x3ff0000000000000, d(0x3ff0000000000000), near_d(0x3ff0000000000000)},  // 1
    {0x4010000000000000, d(0x3fe0000000000000), kUncheckedD},            // 4 -> 0.5
    {0x4000000000000000, d(0x3fe6a09e667f3bcc), kUncheckedD},            // 2 -> 0.7071067811865475
    {0x4020000000000000, kUncheckedD, near_d(0x3fe0000000000000)},       // 8 -> 0.5
    {0x3fc0000000000000, kUncheckedD, near_d(0x4000000000000000)},       // 1/8 -> 2
    {0x0000000000000001, d(0x6180000000000000), kUncheckedD},            // 2^-1074 -> 2^537
};

const FloatRootCase kFloatRoots[] = {
    {0x00000000, f(0x7f800000), f(0x7f800000)},  // +0
    {0x80000000, f(0xff800000), f(0xff800000)},  // -0
    {0x7f800000, f(0x00000000), f(0x00000000)},  // +infinity
    {0xff800000, kNanF, f(0x80000000)},          // -infinity
    {0xbf800000, kNanF, near_f(0xbf800000)},     // -1
    {0xc1000000, kNanF, near_f(0xbf000000)},     // -8
    {0x80000004, kNanF, near_f(0xd8000000)},     // -2^-147 -> -2^49
    {0x7fc00000, kNanF, kNanF},                  // quiet NaN
    {0xffc00001, kNanF, kNanF},                  // negative NaN with payload
    {0x7f800001, kNanF, kNanF},                  // signalling NaN
    {0x3f800000, f(0x3f800000), near_f(0x3f800000)},  // 1
    {0x40800000, f(0x3f000000), kUncheckedF},    // 4 -> 0.5
    {0x40000000, f(0x3f3504f3), kUncheckedF},    // 2 -> 0.70710677
    {0x41000000, kUncheckedF, near_f(0x3f000000)},  // 8 -> 0.5
    {0x3e000000, kUncheckedF, near_f(0x40000000)},  // 1/8 -> 2
    {0x00000002, f(0x64800000), kUncheckedF},    // 2^-148 -> 2^74
};

template <typename Real, typename Bits>
void expect_outcome(Real got, Bits got_bits, Outcome<Bits> expected, const char* name, Bits x)
{
    switch (expected.kind) {
    case Kind::exact:
        EXPECT_EQ(got_bits, expected.bits) << name << "(0x" << std::hex << x << ")";
        break;
    case Kind::nan:
        EXPECT_TRUE(std::isnan(got)) << name << "(0x" << std::hex << x << ") = " << got;
        break;
    case Kind::close: {
        Real want;
        std::memcpy(&want, &expected.bits, sizeof want);
        const Real tolerance = kCloseUlps * std::numeric_limits<Real>::epsilon() * std::fabs(want);
        EXPECT_NEAR(got, want, tolerance) << name << "(0x" << std::hex << x << ")";
        break;
    }
    case Kind::unchecked:
        break;
    }
}

TEST(ReciprocalRoots, DoubleSpecialArguments)
{
    for (const DoubleRootCase& c : kDoubleRoots) {
        const double r = qx_math_func_host_rsqrt(f64(c.x));
        const double q = qx_math_func_host_rcbrt(f64(c.x));
        expect_outcome(r, u64(r), c.rsqrt, "rsqrt", c.x);
        expect_outcome(q, u64(q), c.rcbrt, "rcbrt", c.x);
    }
}

TEST(ReciprocalRoots, FloatSpecialArguments)
{
    for (const FloatRootCase& c : kFloatRoots) {
        const float r = qx_math_func_host_rsqrtf(f32(c.x));
        const float q = qx_math_func_host_rcbrtf(f32(c.x));
        expect_outcome(r, u32(r), c.rsqrt, "rsqrtf", c.x);
        expect_outcome(q, u32(q), c.rcbrt, "rcbrtf", c.x);
    }
}

// A zero argument leaves the caller's division-by-zero flag clear in both
// precisions: the double forms answer it without dividing, the float forms
// divide inside the library's floating-point guard, which restores the flags.
TEST(ReciprocalRoots, ZeroArgumentsLeaveTheDivisionByZeroFlagClear)
{
    struct Case {
        const char* name;
        double (*call)(double);
    };
    const Case cases[] = {
        {"rsqrt", [](double x) { return qx_math_func_host_rsqrt(x); }},
        {"rcbrt", [](double x) { return qx_math_func_host_rcbrt(x); }},
        {"rsqrtf", [](double x) { return double(qx_math_func_host_rsqrtf(float(x))); }},
        {"rcbrtf", [](double x) { return double(qx_math_func_host_rcbrtf(float(x))); }},
    };
    for (const Case& c : cases) {
        for (double zero : {0.0, -0.0}) {
            std::feclearexcept(FE_ALL_EXCEPT);
            volatile double result = c.call(zero);
            (void)result;
            EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO), 0) << c.name << "(" << zero << ")";
        }
    }
}

// With a correctly rounded square root the float result is fixed by design:
// two roundings, reproduced here in double (exact enough that rounding the
// double root and quotient to float gives the float operations' results).
TEST(ReciprocalRoots, FloatSquareRootIsQuotientOfRoundedRoot)
{
    std::mt19937 rng(5);
    for (int i = 0; i < 100000; ++i) {
        const float x = f32(rng() & 0x7fffffffu);
        if (!std::isfinite(x) || x == 0.0f) continue;
        const float root = static_cast<float>(std::sqrt(static_cast<double>(x)));
        const float expected = static_cast<float>(1.0 / static_cast<double>(root));
        ASSERT_EQ(u32(qx_math_func_host_rsqrtf(x)), u32(expected)) << "rsqrtf(" << x << ")";
    }
}

}  // namespace
