// Every float through the five float-to-half conversions, 2 * 10^7 random
// doubles through the double conversion, and every 32-bit integer through the
// integer conversions, against the reference rounding.
#include "hostmath.h"
#include "reference_rounding.h"
#include "sweep.h"
#include "test_bits.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

using reference::Direction;
using reference::kHalf;

namespace {

std::uint16_t bits(__half h) { return static_cast<__half_raw>(h).bits; }

constexpr std::uint64_t kBlock = 1000;          // doubles drawn from one seed
constexpr std::uint64_t kBlocksOfEachKind = 10000;

// Block b of the random doubles: the first kBlocksOfEachKind blocks spread over
// all bit patterns and binades, the rest over magnitudes 2^-26 to 2^16, where
// the conversion actually rounds.
std::vector<double> random_doubles(std::uint64_t b)
{
    std::vector<double> values;
    if (b < kBlocksOfEachKind) {
        testbits::DoubleSource source(b);
        for (std::uint64_t k = 0; k < kBlock; ++k) values.push_back(source());
        return values;
    }
    std::mt19937_64 rng(b);
    for (std::uint64_t k = 0; k < kBlock; ++k) {
        const std::uint64_t r = rng();
        const std::uint64_t exponent = 1023 - 26 + (r >> 1) % 43;
        values.push_back(testbits::f64((r & 1) << 63 | exponent << 52 | (rng() & 0xfffffffffffffull)));
    }
    return values;
}

bool double2half_matches(double x)
{
    return bits(qx_math_func_host___double2half(x)) == reference::round_to_format(x, kHalf, Direction::nearest);
}

}  // namespace

TEST(Exhaustive, FloatToHalfAllModes)
{
    const auto result = sweep::run(0, 1ull << 32, [](std::uint64_t i) {
        const float x = testbits::f32(static_cast<std::uint32_t>(i));
        const auto s = reference::split(static_cast<double>(x), kHalf);
        const auto rn = reference::round_split(s, kHalf, Direction::nearest);
        return bits(qx_math_func_host___float2half(x)) == rn && bits(qx_math_func_host___float2half_rn(x)) == rn &&
               bits(qx_math_func_host___float2half_rz(x)) == reference::round_split(s, kHalf, Direction::toward_zero) &&
               bits(qx_math_func_host___float2half_rd(x)) == reference::round_split(s, kHalf, Direction::down) &&
               bits(qx_math_func_host___float2half_ru(x)) == reference::round_split(s, kHalf, Direction::up);
    });
    EXPECT_EQ(result.checked, 1ull << 32);
    EXPECT_EQ(result.failures, 0u);
    for (auto i : result.first_failures) ADD_FAILURE() << "float bits 0x" << std::hex << i;
}

TEST(Exhaustive, DoubleToHalfRandom)
{
    const auto result = sweep::run(0, 2 * kBlocksOfEachKind, [](std::uint64_t b) {
        for (double x : random_doubles(b))
            if (!double2half_matches(x)) return false;
        return true;
    });
    EXPECT_EQ(result.checked * kBlock, 20000000u);
    EXPECT_EQ(result.failures, 0u);
    for (auto b : result.first_failures)
        for (double x : random_doubles(b))
            if (!double2half_matches(x)) ADD_FAILURE() << "double " << std::hexfloat << x;
}

TEST(Exhaustive, ThirtyTwoBitIntegersToHalf)
{
    const auto result = sweep::run(0, 1ull << 32, [](std::uint64_t i) {
        const std::uint32_t u = static_cast<std::uint32_t>(i);
        const std::int32_t s = static_cast<std::int32_t>(u);
        return bits(qx_math_func_host___uint2half_rn(u)) ==
                   reference::round_to_format(static_cast<double>(u), kHalf, Direction::nearest) &&
               bits(qx_math_func_host___int2half_rn(s)) ==
                   reference::round_to_format(static_cast<double>(s), kHalf, Direction::nearest);
    });
    EXPECT_EQ(result.checked, 1ull << 32);
    EXPECT_EQ(result.failures, 0u);
    for (auto i : result.first_failures) ADD_FAILURE() << "32-bit value 0x" << std::hex << i;
}
