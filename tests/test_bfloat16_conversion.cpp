// Float and double to bfloat16: edge cases, a class-exhaustive comparison with
// the reference rounding, random doubles, and independence of the rounding mode.
#include "hostmath.h"
#include "reference_rounding.h"
#include "rounding_modes.h"
#include "sweep.h"
#include "test_bits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

using reference::Direction;
using testbits::f32;
using testbits::f64;

namespace {

using DirectedFunction = reference::DirectedConversion<__quix_bfloat16>;

const DirectedFunction kFloatFunctions[] = {
    {"__float2bfloat16", qx_math_func_host___float2bfloat16, Direction::nearest},
    {"__float2bfloat16_rn", qx_math_func_host___float2bfloat16_rn, Direction::nearest},
    {"__float2bfloat16_rz", qx_math_func_host___float2bfloat16_rz, Direction::toward_zero},
    {"__float2bfloat16_rd", qx_math_func_host___float2bfloat16_rd, Direction::down},
    {"__float2bfloat16_ru", qx_math_func_host___float2bfloat16_ru, Direction::up},
};

std::uint16_t bits(__quix_bfloat16 b) { return b.bits; }

std::uint16_t reference_bf16(float x, Direction d)
{
    return reference::round_to_format(static_cast<double>(x), reference::kBfloat16, d);
}

struct FloatCase {
    std::uint32_t input;
    std::uint16_t rn, rz, rd, ru;
};

const FloatCase kFloatCases[] = {
    // NaNs of every kind become 0x7fff; 0x7f800001 has the infinity as its upper half.
    {0x7fc00000, 0x7fff, 0x7fff, 0x7fff, 0x7fff},
    {0xffc00000, 0x7fff, 0x7fff, 0x7fff, 0x7fff},
    {0x7f800001, 0x7fff, 0x7fff, 0x7fff, 0x7fff},
    {0xffffffff, 0x7fff, 0x7fff, 0x7fff, 0x7fff},
    {0xff800001, 0x7fff, 0x7fff, 0x7fff, 0x7fff},
    // Infinities and zeros pass through.
    {0x7f800000, 0x7f80, 0x7f80, 0x7f80, 0x7f80},
    {0xff800000, 0xff80, 0xff80, 0xff80, 0xff80},
    {0x00000000, 0x0000, 0x0000, 0x0000, 0x0000},
    {0x80000000, 0x8000, 0x8000, 0x8000, 0x8000},
    // Ties to even and just above a tie.
    {0x3f808000, 0x3f80, 0x3f80, 0x3f80, 0x3f81},
    {0x3f818000, 0x3f82, 0x3f81, 0x3f81, 0x3f82},
    {0xbf808000, 0xbf80, 0xbf80, 0xbf81, 0xbf80},
    {0x3f808001, 0x3f81, 0x3f80, 0x3f80, 0x3f81},
    // Largest finite float, and the midpoint above the largest finite bfloat16.
    {0x7f7fffff, 0x7f80, 0x7f7f, 0x7f7f, 0x7f80},
    {0xff7fffff, 0xff80, 0xff7f, 0xff80, 0xff7f},
    {0x7f7f8000, 0x7f80, 0x7f7f, 0x7f7f, 0x7f80},
    {0x7f7e8000, 0x7f7e, 0x7f7e, 0x7f7e, 0x7f7f},
    // Directed rounding of negatives.
    {0xbf800001, 0xbf80, 0xbf80, 0xbf81, 0xbf80},
    {0x3f800001, 0x3f80, 0x3f80, 0x3f80, 0x3f81},
    // Float subnormals.
    {0x00000001, 0x0000, 0x0000, 0x0000, 0x0001},
    {0x80000001, 0x8000, 0x8000, 0x8001, 0x8000},
    {0x007fffff, 0x0080, 0x007f, 0x007f, 0x0080},  // carry into the smallest normal
};

TEST(FloatToBfloat16, EdgeCases)
{
    for (const FloatCase& c : kFloatCases) {
        const float x = f32(c.input);
        const std::uint16_t expected[] = {c.rn, c.rn, c.rz, c.rd, c.ru};
        for (std::size_t k = 0; k < 5; ++k)
            EXPECT_EQ(bits(kFloatFunctions[k].fn(x)), expected[k])
                << kFloatFunctions[k].name << " of 0x" << std::hex << c.input;
    }
}

// Every upper half with the low halves that decide rounding: 0, the smallest
// and largest below half, exactly half, just above half, and all ones.
TEST(FloatToBfloat16, ClassExhaustiveAgainstReference)
{
    const std::uint32_t lows[] = {0x0000, 0x0001, 0x7fff, 0x8000, 0x8001, 0xffff};
    for (const DirectedFunction& f : kFloatFunctions) {
        const auto result = sweep::run(0, 65536 * 6, [&](std::uint64_t i) {
            const float x = f32(static_cast<std::uint32_t>(i / 6) << 16 | lows[i % 6]);
            return bits(f.fn(x)) == reference_bf16(x, f.direction);
        });
        EXPECT_EQ(result.failures, 0u) << f.name;
        for (std::uint64_t i : result.first_failures) {
            const float x = f32(static_cast<std::uint32_t>(i / 6) << 16 | lows[i % 6]);
            ADD_FAILURE() << f.name << "(0x" << std::hex << testbits::u32(x) << ") = 0x" << bits(f.fn(x))
                          << ", expected 0x" << reference_bf16(x, f.direction);
        }
    }
}

// The float conversions are integer code: the rounding mode must not matter.
TEST(FloatToBfloat16, IndependentOfRoundingMode)
{
    std::mt19937 rng(7);
    std::vector<float> inputs;
    for (int i = 0; i < 200000; ++i) inputs.push_back(f32(rng()));
    const auto changed = rounding_modes::modes_that_change([&] {
        std::vector<std::uint16_t> out;
        for (float x : inputs)
            for (const DirectedFunction& f : kFloatFunctions) out.push_back(bits(f.fn(x)));
        return out;
    });
    EXPECT_TRUE(changed.empty()) << "results change in " << changed.size() << " rounding modes";
}

struct DoubleCase {
    double input;
    std::uint16_t expected;
};

TEST(DoubleToBfloat16, EdgeCases)
{
    const double max_double = std::numeric_limits<double>::max();
    const double min_subnormal = std::numeric_limits<double>::denorm_min();
    const double midpoint_above_max = std::ldexp(1.0, 128) - std::ldexp(1.0, 119);
    const double half_min_subnormal = std::ldexp(1.0, -134);
    const DoubleCase cases[] = {
        {std::nan(""), 0x7fff},
        {-std::nan(""), 0x7fff},
        {f64(0x7ff0000000000001), 0x7fff},
        {INFINITY, 0x7f80},
        {-INFINITY, 0xff80},
        {0.0, 0x0000},
        {-0.0, 0x8000},
        {1 + std::ldexp(1.0, -8), 0x3f80},                        // tie, even
        {1 + std::ldexp(1.0, -8) + std::ldexp(1.0, -40), 0x3f81},  // above the tie by less than a float ulp
        {-(1 + std::ldexp(1.0, -8) + std::ldexp(1.0, -40)), 0xbf81},
        {1 + 3 * std::ldexp(1.0, -8), 0x3f82},
        {1e39, 0x7f80},
        {-1e39, 0xff80},
        {1e300, 0x7f80},
        {max_double, 0x7f80},
        {-max_double, 0xff80},
        {midpoint_above_max, 0x7f80},
        {std::nextafter(midpoint_above_max, 0.0), 0x7f7f},
        {1e-300, 0x0000},
        {-1e-300, 0x8000},
        {min_subnormal, 0x0000},
        {-min_subnormal, 0x8000},
        {half_min_subnormal, 0x0000},
        {std::nextafter(half_min_subnormal, 1.0), 0x0001},
        {-std::nextafter(half_min_subnormal, 1.0), 0x8001},
        {3 * half_min_subnormal, 0x0002},  // tie between 1 and 2 subnormal units, even
    };
    for (const DoubleCase& c : cases)
        EXPECT_EQ(bits(qx_math_func_host___double2bfloat16(c.input)), c.expected)
            << std::hexfloat << c.input;
}

// Ties and their neighbours around every power of two that bfloat16 can reach,
// and random doubles over bit patterns and binades.
TEST(DoubleToBfloat16, AgainstReference)
{
    std::vector<double> inputs;
    for (int k = -140; k <= 128; ++k) {
        for (int m = 0; m < 4; ++m) {
            const double base = std::ldexp(1.0 + m / 4.0, k);
            const double ulp = std::ldexp(1.0, k - 7);
            for (double x : {base, base + ulp / 2, base - ulp / 4, base + ulp * 1.5, base + ulp - ulp / 2}) {
                for (double y : {x, std::nextafter(x, 0.0), std::nextafter(x, INFINITY)}) {
                    inputs.push_back(y);
                    inputs.push_back(-y);
                }
            }
        }
    }
    const auto edges = sweep::run(0, inputs.size(), [&](std::uint64_t i) {
        const double x = inputs[i];
        return bits(qx_math_func_host___double2bfloat16(x)) ==
               reference::round_to_format(x, reference::kBfloat16, Direction::nearest);
    });
    EXPECT_EQ(edges.failures, 0u);
    for (std::uint64_t i : edges.first_failures) ADD_FAILURE() << "failed at " << std::hexfloat << inputs[i];

    const std::uint64_t samples = 2000000;  // the exhaustive run takes 10^7 more
    const auto random = sweep::run(0, samples, [&](std::uint64_t i) {
        testbits::DoubleSource source(i);
        const double x = source();
        return bits(qx_math_func_host___double2bfloat16(x)) ==
               reference::round_to_format(x, reference::kBfloat16, Direction::nearest);
    });
    EXPECT_EQ(random.failures, 0u);
    for (std::uint64_t i : random.first_failures) {
        testbits::DoubleSource source(i);
        ADD_FAILURE() << "failed at " << std::hexfloat << source();
    }
}

TEST(Bfloat16Pairs, KeepLowAndHighInPlace)
{
    const __quix_bfloat162 same = qx_math_func_host___float2bfloat162_rn(1.5f);
    EXPECT_EQ(same.low.bits, 0x3fc0);
    EXPECT_EQ(same.high.bits, 0x3fc0);
    const __quix_bfloat162 from_pair = qx_math_func_host___float22bfloat162_rn(make_float2(1.0f, -2.0f));
    EXPECT_EQ(from_pair.low.bits, 0x3f80);
    EXPECT_EQ(from_pair.high.bits, 0xc000);
    const __quix_bfloat162 from_two = qx_math_func_host___floats2bfloat162_rn(f32(0x3f818000), f32(0xffc00000));
    EXPECT_EQ(from_two.low.bits, 0x3f82);
    EXPECT_EQ(from_two.high.bits, 0x7fff);
}

TEST(Bfloat16Record, MemberOperations)
{
    struct Case {
        std::uint16_t pattern;
        std::uint32_t float_bits;
    };
    for (Case c : {Case{0x8000, 0x80000000}, Case{0x7f80, 0x7f800000}, Case{0xffc1, 0xffc10000},
                   Case{0x7f81, 0x7f810000}, Case{0x0001, 0x00010000}}) {
        const __quix_bfloat16 b(__quix_bfloat16_raw{c.pattern});
        EXPECT_EQ(testbits::u32(static_cast<float>(b)), c.float_bits);
        EXPECT_EQ(static_cast<__quix_bfloat16_raw>(b).bits, c.pattern);
        EXPECT_EQ(as_ushort(b), c.pattern);
    }
    __quix_bfloat16 b(__quix_bfloat16_raw{0});
    EXPECT_EQ(&(b = __quix_bfloat16_raw{0x1234}), &b);
    EXPECT_EQ(b.bits, 0x1234);
    // The record's rounding: ties to even on the low half; NaN is not special
    // (callers replace it), so the all-ones pattern wraps to zero.
    EXPECT_EQ(__quix_bfloat16::float_to_bfloat16(f32(0x3f808000)), 0x3f80);
    EXPECT_EQ(__quix_bfloat16::float_to_bfloat16(f32(0x3f818000)), 0x3f82);
    EXPECT_EQ(__quix_bfloat16::float_to_bfloat16(f32(0x7f7fffff)), 0x7f80);
    EXPECT_EQ(__quix_bfloat16::float_to_bfloat16(f32(0xff7fffff)), 0xff80);
    EXPECT_EQ(__quix_bfloat16::float_to_bfloat16(f32(0xffffffff)), 0x0000);
    EXPECT_EQ(__quix_bfloat16::round_to_bfloat16(f32(0x7f808000)).bits, 0x7f80);
}

}  // namespace
