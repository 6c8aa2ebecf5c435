// Conversions to and from half: edge cases, class-exhaustive and random
// comparisons with the reference rounding, every half pattern through the
// widening and the integer conversions, and independence of the rounding mode.
#include "hostmath.h"
#include "reference_rounding.h"
#include "rounding_modes.h"
#include "sweep.h"
#include "test_bits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

using reference::Direction;
using testbits::f32;
using testbits::f64;

namespace {

using DirectedFunction = reference::DirectedConversion<__half>;

const DirectedFunction kFloatFunctions[] = {
    {"__float2half", qx_math_func_host___float2half, Direction::nearest},
    {"__float2half_rn", qx_math_func_host___float2half_rn, Direction::nearest},
    {"__float2half_rz", qx_math_func_host___float2half_rz, Direction::toward_zero},
    {"__float2half_rd", qx_math_func_host___float2half_rd, Direction::down},
    {"__float2half_ru", qx_math_func_host___float2half_ru, Direction::up},
};

std::uint16_t bits(__half h) { return static_cast<__half_raw>(h).bits; }
__half half_of(std::uint16_t pattern) { return __half(__half_raw{pattern}); }

std::uint16_t reference_half(double x, Direction d = Direction::nearest)
{
    return reference::round_to_format(x, reference::kHalf, d);
}

// The exact value of a half pattern, written from the format's definition.
double half_value(std::uint16_t p)
{
    const int exponent = (p >> 10) & 0x1f;
    const int fraction = p & 0x3ff;
    double magnitude = 0;
    if (exponent == 0x1f) magnitude = fraction != 0 ? NAN : INFINITY;
    else if (exponent == 0) magnitude = std::ldexp(fraction, -24);
    else magnitude = std::ldexp(1024 + fraction, exponent - 25);
    return (p & 0x8000) != 0 ? -magnitude : magnitude;
}

struct FloatCase {
    std::uint32_t input;
    std::uint16_t rn, rz, rd, ru;
};

const FloatCase kFloatCases[] = {
    // Every NaN, of either sign and any payload, becomes 0x7fff.
    {0x7fc00000, 0x7fff, 0x7fff, 0x7fff, 0x7fff},
    {0xffc00000, 0x7fff, 0x7fff, 0x7fff, 0x7fff},
    {0x7f800001, 0x7fff, 0x7fff, 0x7fff, 0x7fff},
    {0xff800001, 0x7fff, 0x7fff, 0x7fff, 0x7fff},
    {0xffffffff, 0x7fff, 0x7fff, 0x7fff, 0x7fff},
    // Infinities and zeros pass through; -0 stays -0 downward (nothing discarded).
    {0x7f800000, 0x7c00, 0x7c00, 0x7c00, 0x7c00},
    {0xff800000, 0xfc00, 0xfc00, 0xfc00, 0xfc00},
    {0x00000000, 0x0000, 0x0000, 0x0000, 0x0000},
    {0x80000000, 0x8000, 0x8000, 0x8000, 0x8000},
    // The top of the range: 65504, the last float below 65520, 65520, 65536,
    // the largest finite float.
    {0x477fe000, 0x7bff, 0x7bff, 0x7bff, 0x7bff},
    {0x477fefff, 0x7bff, 0x7bff, 0x7bff, 0x7c00},
    {0xc77fefff, 0xfbff, 0xfbff, 0xfc00, 0xfbff},
    {0x477ff000, 0x7c00, 0x7bff, 0x7bff, 0x7c00},
    {0xc77ff000, 0xfc00, 0xfbff, 0xfc00, 0xfbff},
    {0x47800000, 0x7c00, 0x7bff, 0x7bff, 0x7c00},
    {0x7f7fffff, 0x7c00, 0x7bff, 0x7bff, 0x7c00},
    {0xff7fffff, 0xfc00, 0xfbff, 0xfc00, 0xfbff},
    // Ties in the normal range go to the even pattern.
    {0x3f801000, 0x3c00, 0x3c00, 0x3c00, 0x3c01},
    {0xbf801000, 0xbc00, 0xbc00, 0xbc01, 0xbc00},
    {0x3f803000, 0x3c02, 0x3c01, 0x3c01, 0x3c02},
    {0x3f802001, 0x3c01, 0x3c01, 0x3c01, 0x3c02},
    // Subnormal halves: ties at 1.5 and 2.5 units of 2^-24, the carry from
    // the largest subnormal into the smallest normal.
    {0x33c00000, 0x0002, 0x0001, 0x0001, 0x0002},
    {0x34200000, 0x0002, 0x0002, 0x0002, 0x0003},
    {0x33800000, 0x0001, 0x0001, 0x0001, 0x0001},
    {0x387fe000, 0x0400, 0x03ff, 0x03ff, 0x0400},
    {0x387fffff, 0x0400, 0x03ff, 0x03ff, 0x0400},
    {0x38800000, 0x0400, 0x0400, 0x0400, 0x0400},
    // Around 2^-25, half the smallest subnormal, and the float subnormals.
    {0x33000000, 0x0000, 0x0000, 0x0000, 0x0001},
    {0x33000001, 0x0001, 0x0000, 0x0000, 0x0001},
    {0xb3000000, 0x8000, 0x8000, 0x8001, 0x8000},
    {0xb3000001, 0x8001, 0x8000, 0x8001, 0x8000},
    {0x32ffffff, 0x0000, 0x0000, 0x0000, 0x0001},
    {0x00000001, 0x0000, 0x0000, 0x0000, 0x0001},
    {0x80000001, 0x8000, 0x8000, 0x8001, 0x8000},
};

TEST(FloatToHalf, EdgeCases)
{
    for (const FloatCase& c : kFloatCases) {
        const float x = f32(c.input);
        const std::uint16_t expected[] = {c.rn, c.rn, c.rz, c.rd, c.ru};
        for (std::size_t k = 0; k < 5; ++k)
            EXPECT_EQ(bits(kFloatFunctions[k].fn(x)), expected[k])
                << kFloatFunctions[k].name << " of 0x" << std::hex << c.input;
    }
}

// Every float exponent of either sign with every pattern of the bits that a
// half keeps, combined with the discarded bits that decide rounding: none, the
// lowest, just below half, half, just above half, all.
std::vector<std::uint32_t> class_exhaustive_floats()
{
    std::vector<std::uint32_t> inputs;
    for (std::uint32_t sign = 0; sign < 2; ++sign) {
        for (std::uint32_t e = 0; e < 256; ++e) {
            // Fraction bits below the half's last place: 13 where the half is
            // normal, more where it is subnormal, all 23 at 2^-25 and below.
            const int discarded = e >= 113 ? 13 : e >= 103 ? 126 - static_cast<int>(e) : 23;
            const std::uint32_t half = 1u << (discarded - 1);
            const std::uint32_t lows[] = {0, 1, half - 1, half, half + 1, 2 * half - 1};
            for (std::uint32_t kept = 0; kept < (1u << (23 - discarded)); ++kept)
                for (std::uint32_t low : lows)
                    inputs.push_back(sign << 31 | e << 23 | kept << discarded | low);
        }
    }
    return inputs;
}

TEST(FloatToHalf, ClassExhaustiveAgainstReference)
{
    const std::vector<std::uint32_t> inputs = class_exhaustive_floats();
    auto matches = [](float x) {
        const auto s = reference::split(static_cast<double>(x), reference::kHalf);
        for (const DirectedFunction& f : kFloatFunctions)
            if (bits(f.fn(x)) != reference::round_split(s, reference::kHalf, f.direction)) return false;
        return true;
    };
    const auto result = sweep::run(0, inputs.size(), [&](std::uint64_t i) { return matches(f32(inputs[i])); });
    EXPECT_EQ(result.failures, 0u) << "of " << inputs.size();
    for (std::uint64_t i : result.first_failures) {
        const float x = f32(inputs[i]);
        for (const DirectedFunction& f : kFloatFunctions)
            ADD_FAILURE() << f.name << "(0x" << std::hex << inputs[i] << ") = 0x" << bits(f.fn(x))
                          << ", expected 0x" << reference_half(x, f.direction);
    }
}

// The float conversions and the widening are integer code: the rounding mode
// must not matter.
TEST(FloatToHalf, IndependentOfRoundingMode)
{
    std::mt19937 rng(11);
    std::vector<float> inputs;
    for (int i = 0; i < 200000; ++i) inputs.push_back(f32(rng()));
    for (const FloatCase& c : kFloatCases) inputs.push_back(f32(c.input));
    const auto changed = rounding_modes::modes_that_change([&] {
        std::vector<std::uint32_t> out;
        for (float x : inputs)
            for (const DirectedFunction& f : kFloatFunctions) out.push_back(bits(f.fn(x)));
        for (std::uint32_t p = 0; p < 65536; ++p)
            out.push_back(testbits::u32(qx_math_func_host___half2float(half_of(static_cast<std::uint16_t>(p)))));
        return out;
    });
    EXPECT_TRUE(changed.empty()) << "results change in " << changed.size() << " rounding modes";
}

struct DoubleCase {
    double input;
    std::uint16_t expected;
};

TEST(DoubleToHalf, EdgeCases)
{
    const double tiny = std::ldexp(1.0, -25);      // half the smallest subnormal half
    const double unit = std::ldexp(1.0, -24);      // the smallest subnormal half
    const double tie = 1 + std::ldexp(1.0, -11);   // between 0x3c00 and 0x3c01
    const double nudge = std::ldexp(1.0, -40);     // below a float ulp at 1
    const double nudge_sub = std::ldexp(1.0, -60); // below a float ulp at 2^-24
    const DoubleCase cases[] = {
        {std::nan(""), 0x7fff},
        {-std::nan(""), 0x7fff},
        {f64(0x7ff0000000000001), 0x7fff},
        {f64(0xffffffffffffffff), 0x7fff},
        {INFINITY, 0x7c00},
        {-INFINITY, 0xfc00},
        {0.0, 0x0000},
        {-0.0, 0x8000},
        // Just off a tie by less than a float ulp: rounding through float
        // would land on the tie and go to even.
        {tie, 0x3c00},
        {tie + nudge, 0x3c01},
        {-(tie + nudge), 0xbc01},
        {tie - nudge, 0x3c00},
        {1 + 3 * std::ldexp(1.0, -11) - nudge, 0x3c01},
        {tiny + nudge_sub, 0x0001},
        {-(tiny + nudge_sub), 0x8001},
        {2.5 * unit - nudge_sub, 0x0002},
        {2.5 * unit + nudge_sub, 0x0003},
        {1.5 * unit, 0x0002},
        // Overflow threshold.
        {65504.0, 0x7bff},
        {65519.99999999907, 0x7bff},
        {std::nextafter(65520.0, 0.0), 0x7bff},
        {65520.0, 0x7c00},
        {-65520.0, 0xfc00},
        {std::nextafter(-65520.0, 0.0), 0xfbff},
        {65536.0, 0x7c00},
        {1e300, 0x7c00},
        {-std::numeric_limits<double>::max(), 0xfc00},
        // Bottom of the range and the subnormal-to-normal carry.
        {tiny, 0x0000},
        {std::nextafter(tiny, 1.0), 0x0001},
        {-tiny, 0x8000},
        {std::ldexp(1.0, -14) - tiny, 0x0400},
        {std::nextafter(std::ldexp(1.0, -14) - tiny, 0.0), 0x03ff},
        {std::numeric_limits<double>::denorm_min(), 0x0000},
        {-std::numeric_limits<double>::denorm_min(), 0x8000},
        {1e-300, 0x0000},
    };
    for (const DoubleCase& c : cases)
        EXPECT_EQ(bits(qx_math_func_host___double2half(c.input)), c.expected) << std::hexfloat << c.input;
}

// Points that decide rounding in every binade the half reaches, 2^-25 to 2^16:
// representable values, ties, values off a tie by less than a float ulp and by
// one double ulp, for kept patterns at both ends of the binade.
std::vector<double> double_rounding_points()
{
    std::vector<double> inputs;
    for (int e = -26; e <= 16; ++e) {
        const double spacing = std::ldexp(1.0, std::max(e, -14) - 10);
        const double first = e < -14 ? std::ldexp(1.0, e) / spacing : 1024;
        for (double n : {first, first + 1, first + 2, 2 * first - 2, 2 * first - 1}) {
            const double value = n * spacing;
            const double tie = (n + 0.5) * spacing;
            const double small = std::ldexp(spacing, -20);
            const double smaller = std::ldexp(spacing, -40);
            for (double x : {value, tie, tie - small, tie + small, tie - smaller, tie + smaller}) {
                for (double y : {x, std::nextafter(x, 0.0), std::nextafter(x, INFINITY)}) {
                    inputs.push_back(y);
                    inputs.push_back(-y);
                }
            }
        }
    }
    return inputs;
}

// Random doubles whose magnitude lies where the double conversion rounds,
// 2^-26 to 2^16, from a counter-based generator so that any index can be redone.
double random_in_half_range(std::uint64_t index)
{
    auto mix = [](std::uint64_t z) {  // splitmix64 finaliser
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    };
    const std::uint64_t r = mix(index * 0x9e3779b97f4a7c15ull + 1);
    const std::uint64_t fraction = mix(r) & 0xfffffffffffffull;
    const std::uint64_t exponent = 1023 - 26 + (r >> 1) % 43;
    return f64((r & 1) << 63 | exponent << 52 | fraction);
}

TEST(DoubleToHalf, AgainstReference)
{
    const std::vector<double> points = double_rounding_points();
    const auto edges = sweep::run(0, points.size(), [&](std::uint64_t i) {
        return bits(qx_math_func_host___double2half(points[i])) == reference_half(points[i]);
    });
    EXPECT_EQ(edges.failures, 0u);
    for (std::uint64_t i : edges.first_failures) ADD_FAILURE() << "failed at " << std::hexfloat << points[i];

    // One sequential source: reseeding per sample would cost more than the check.
    const std::size_t samples = 500000;  // of each kind; the exhaustive run takes 10^7
    std::vector<double> inputs;
    testbits::DoubleSource source(3);
    for (std::size_t i = 0; i < samples; ++i) inputs.push_back(source());
    for (std::size_t i = 0; i < samples; ++i) inputs.push_back(random_in_half_range(i));
    const auto random = sweep::run(0, inputs.size(), [&](std::uint64_t i) {
        return bits(qx_math_func_host___double2half(inputs[i])) == reference_half(inputs[i]);
    });
    EXPECT_EQ(random.failures, 0u);
    for (std::uint64_t i : random.first_failures) ADD_FAILURE() << "failed at " << std::hexfloat << inputs[i];
}

TEST(HalfToFloat, EdgeCases)
{
    struct Case {
        std::uint16_t pattern;
        std::uint32_t float_bits;
    };
    const Case cases[] = {
        {0x7c00, 0x7f800000}, {0xfc00, 0xff800000}, {0x7c01, 0x7fffffff}, {0x7e00, 0x7fffffff},
        {0xfe00, 0x7fffffff}, {0x7fff, 0x7fffffff}, {0xffff, 0x7fffffff}, {0x8000, 0x80000000},
        {0x0000, 0x00000000}, {0x0001, 0x33800000}, {0x0005, 0x34a00000}, {0x0200, 0x38000000},
        {0x03ff, 0x387fc000}, {0x83ff, 0xb87fc000}, {0x0400, 0x38800000}, {0x3c00, 0x3f800000},
        {0x7bff, 0x477fe000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(testbits::u32(qx_math_func_host___half2float(half_of(c.pattern))), c.float_bits)
            << "half 0x" << std::hex << c.pattern;
}

// Every pattern widens to its exact value (NaN to 0x7fffffff) and comes back
// unchanged through every float conversion (NaN as 0x7fff).
TEST(HalfToFloat, EveryPatternAndRoundTrip)
{
    int failures = 0;
    for (std::uint32_t p = 0; p < 65536; ++p) {
        const std::uint16_t pattern = static_cast<std::uint16_t>(p);
        const double value = half_value(pattern);
        const float f = qx_math_func_host___half2float(half_of(pattern));
        const bool nan = std::isnan(value);
        const std::uint32_t expected = nan ? 0x7fffffffu : testbits::u32(static_cast<float>(value));
        const std::uint16_t back = nan ? 0x7fff : pattern;
        bool ok = testbits::u32(f) == expected;
        for (const DirectedFunction& fn : kFloatFunctions) ok = ok && bits(fn.fn(f)) == back;
        if (!ok && ++failures <= 8)
            ADD_FAILURE() << "half 0x" << std::hex << p << " widens to 0x" << testbits::u32(f) << ", expected 0x"
                          << expected;
    }
    EXPECT_EQ(failures, 0);
}

// Half to integers, toward zero: the expected result restated as a clamp of
// the truncated value to [smallest, largest + 1), with the fixed NaN result.
template <typename Int>
void check_every_half(const char* name, Int (*fn)(__half), Int nan_result)
{
    const double smallest = static_cast<double>(std::numeric_limits<Int>::min());
    const double beyond = std::ldexp(1.0, std::numeric_limits<Int>::digits);  // largest + 1
    int failures = 0;
    for (std::uint32_t p = 0; p < 65536; ++p) {
        const double value = half_value(static_cast<std::uint16_t>(p));
        const double t = std::trunc(value);
        Int expected = nan_result;
        if (!std::isnan(value))
            expected = t >= beyond ? std::numeric_limits<Int>::max()
                       : t < smallest ? std::numeric_limits<Int>::min()
                                      : static_cast<Int>(t);
        const Int got = fn(half_of(static_cast<std::uint16_t>(p)));
        if (got != expected && ++failures <= 8)
            ADD_FAILURE() << name << "(0x" << std::hex << p << ") = " << std::dec << +got << ", expected "
                          << +expected;
    }
    EXPECT_EQ(failures, 0) << name;
}

TEST(HalfToInteger, EveryPattern)
{
    check_every_half<short>("__half2short_rz", qx_math_func_host___half2short_rz, 0);
    check_every_half<unsigned short>("__half2ushort_rz", qx_math_func_host___half2ushort_rz, 0);
    check_every_half<int>("__half2int_rz", qx_math_func_host___half2int_rz, 0);
    check_every_half<unsigned int>("__half2uint_rz", qx_math_func_host___half2uint_rz, 0);
    check_every_half<long long>("__half2ll_rz", qx_math_func_host___half2ll_rz,
                                std::numeric_limits<long long>::min());
    check_every_half<unsigned long long>("__half2ull_rz", qx_math_func_host___half2ull_rz,
                                         0x8000000000000000ull);
}

TEST(HalfToInteger, EdgeCases)
{
    struct Case {
        std::uint16_t pattern;
        short s;
        unsigned short us;
        int i;
        unsigned int ui;
        long long ll;
        unsigned long long ull;
    };
    constexpr long long kLlMin = std::numeric_limits<long long>::min();
    constexpr long long kLlMax = std::numeric_limits<long long>::max();
    constexpr unsigned long long kUllMax = std::numeric_limits<unsigned long long>::max();
    constexpr unsigned long long kNan64 = 0x8000000000000000ull;
    const Case cases[] = {
        {0x7bff, 32767, 65504, 65504, 65504, 65504, 65504},
        {0xfbff, -32768, 0, -65504, 0, -65504, 0},
        {0x7c00, 32767, 65535, 0x7fffffff, 0xffffffffu, kLlMax, kUllMax},
        {0xfc00, -32768, 0, INT32_MIN, 0, kLlMin, 0},
        {0x7c01, 0, 0, 0, 0, kLlMin, kNan64},
        {0x7e00, 0, 0, 0, 0, kLlMin, kNan64},
        {0xfe00, 0, 0, 0, 0, kLlMin, kNan64},
        {0xffff, 0, 0, 0, 0, kLlMin, kNan64},
        {0x7800, 32767, 32768, 32768, 32768, 32768, 32768},  // 32768: just above short
        {0xf800, -32768, 0, -32768, 0, -32768, 0},
        {0x77ff, 32752, 32752, 32752, 32752, 32752, 32752},
        {0xbbff, 0, 0, 0, 0, 0, 0},  // -0.9995
        {0x3bff, 0, 0, 0, 0, 0, 0},
        {0xbc00, -1, 0, -1, 0, -1, 0},
        {0x3e00, 1, 1, 1, 1, 1, 1},  // 1.5
        {0xbe00, -1, 0, -1, 0, -1, 0},
        {0x8000, 0, 0, 0, 0, 0, 0},
        {0x0001, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const __half h = half_of(c.pattern);
        SCOPED_TRACE(testing::Message() << "half 0x" << std::hex << c.pattern);
        EXPECT_EQ(qx_math_func_host___half2short_rz(h), c.s);
        EXPECT_EQ(qx_math_func_host___half2ushort_rz(h), c.us);
        EXPECT_EQ(qx_math_func_host___half2int_rz(h), c.i);
        EXPECT_EQ(qx_math_func_host___half2uint_rz(h), c.ui);
        EXPECT_EQ(qx_math_func_host___half2ll_rz(h), c.ll);
        EXPECT_EQ(qx_math_func_host___half2ull_rz(h), c.ull);
    }
}

// An integer value through every conversion whose argument type holds it.
TEST(IntegerToHalf, EdgeCases)
{
    struct Case {
        long long value;
        std::uint16_t expected;
    };
    const Case cases[] = {
        {0, 0x0000},          {1, 0x3c00},          {-1, 0xbc00},         {2049, 0x6800},
        {2051, 0x6802},       {4097, 0x6c00},       {4099, 0x6c01},       {32767, 0x7800},
        {-32768, 0xf800},     {65504, 0x7bff},      {65505, 0x7bff},      {65519, 0x7bff},
        {65520, 0x7c00},      {65535, 0x7c00},      {-65519, 0xfbff},     {-65520, 0xfc00},
        {16777216, 0x7c00},   {16777217, 0x7c00},   {2147483647, 0x7c00}, {INT32_MIN, 0xfc00},
        {4294967295, 0x7c00}, {INT64_MAX, 0x7c00},  {INT64_MIN, 0xfc00},
    };
    for (const Case& c : cases) {
        const long long v = c.value;
        SCOPED_TRACE(testing::Message() << "value " << v);
        auto check = [&](bool holds, __half got) {
            if (holds) {
                EXPECT_EQ(bits(got), c.expected);
            }
        };
        check(v >= INT16_MIN && v <= INT16_MAX, qx_math_func_host___short2half_rn(static_cast<short>(v)));
        check(v >= 0 && v <= UINT16_MAX, qx_math_func_host___ushort2half_rn(static_cast<unsigned short>(v)));
        check(v >= INT32_MIN && v <= INT32_MAX, qx_math_func_host___int2half_rn(static_cast<int>(v)));
        check(v >= 0 && v <= UINT32_MAX, qx_math_func_host___uint2half_rn(static_cast<unsigned int>(v)));
        check(true, qx_math_func_host___ll2half_rn(v));
        check(v >= 0, qx_math_func_host___ull2half_rn(static_cast<unsigned long long>(v)));
    }
    EXPECT_EQ(bits(qx_math_func_host___ull2half_rn(0x8000000000000000ull)), 0x7c00);
    EXPECT_EQ(bits(qx_math_func_host___ull2half_rn(UINT64_MAX)), 0x7c00);
}

TEST(IntegerToHalf, Every16BitValue)
{
    int failures = 0;
    for (std::uint32_t k = 0; k < 65536; ++k) {
        const short s = static_cast<short>(static_cast<std::int32_t>(k) - 32768);
        const unsigned short u = static_cast<unsigned short>(k);
        failures += bits(qx_math_func_host___short2half_rn(s)) != reference_half(s);
        failures += bits(qx_math_func_host___ushort2half_rn(u)) != reference_half(u);
    }
    EXPECT_EQ(failures, 0);
}

// Every 32-bit value near the overflow threshold and a stride through the rest
// (the exhaustive run takes all of them).
TEST(IntegerToHalf, ThirtyTwoBitValues)
{
    auto check = [](std::uint64_t i) {
        const std::uint32_t u = static_cast<std::uint32_t>(i);
        const std::int32_t s = static_cast<std::int32_t>(u);
        return bits(qx_math_func_host___uint2half_rn(u)) == reference_half(u) &&
               bits(qx_math_func_host___int2half_rn(s)) == reference_half(s);
    };
    const auto strided = sweep::run(0, 1ull << 32, check, 65521);
    const auto low = sweep::run(0, 1u << 18, check);
    const auto negative = sweep::run((1ull << 32) - (1u << 18), 1ull << 32, check);
    EXPECT_EQ(strided.failures + low.failures + negative.failures, 0u);
    for (const auto* r : {&strided, &low, &negative})
        for (std::uint64_t i : r->first_failures) ADD_FAILURE() << "32-bit value 0x" << std::hex << i;
}

// 64-bit values of every magnitude, and the extremes.
TEST(IntegerToHalf, SixtyFourBitValues)
{
    std::vector<std::uint64_t> inputs = {0, 1, 65519, 65520, 1ull << 24, (1ull << 24) + 1, 1ull << 63,
                                         (1ull << 63) - 1, (1ull << 63) + 1, ~0ull, ~0ull - 65519, ~0ull - 65520};
    std::mt19937_64 rng(5);
    for (int i = 0; i < 100000; ++i) {
        const std::uint64_t u = rng() >> (rng() % 64);
        inputs.push_back(u);
        inputs.push_back(0 - u);  // the same magnitude, negative as long long
    }
    int failures = 0;
    for (std::uint64_t u : inputs) {
        const long long s = static_cast<long long>(u);
        const bool ok =
            bits(qx_math_func_host___ull2half_rn(u)) ==
                reference::round_to_format(static_cast<long double>(u), reference::kHalf, Direction::nearest) &&
            bits(qx_math_func_host___ll2half_rn(s)) ==
                reference::round_to_format(static_cast<long double>(s), reference::kHalf, Direction::nearest);
        if (!ok && ++failures <= 8) ADD_FAILURE() << "64-bit value 0x" << std::hex << u;
    }
    EXPECT_EQ(failures, 0);
}

}  // namespace
