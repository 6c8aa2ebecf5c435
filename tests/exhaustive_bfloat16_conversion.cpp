// Every float through the five float-to-bfloat16 conversions, and 10^7 random
// doubles through the double conversion, against the reference rounding.
#include "hostmath.h"
#include "reference_rounding.h"
#include "sweep.h"
#include "test_bits.h"

#include <gtest/gtest.h>

using reference::Direction;

TEST(Exhaustive, FloatToBfloat16AllModes)
{
    const auto result = sweep::run(0, 1ull << 32, [](std::uint64_t i) {
        const float x = testbits::f32(static_cast<std::uint32_t>(i));
        const auto s = reference::split(static_cast<double>(x), reference::kBfloat16);
        const auto rn = reference::round_split(s, reference::kBfloat16, Direction::nearest);
        return qx_math_func_host___float2bfloat16(x).bits == rn &&
               qx_math_func_host___float2bfloat16_rn(x).bits == rn &&
               qx_math_func_host___float2bfloat16_rz(x).bits ==
                   reference::round_split(s, reference::kBfloat16, Direction::toward_zero) &&
               qx_math_func_host___float2bfloat16_rd(x).bits ==
                   reference::round_split(s, reference::kBfloat16, Direction::down) &&
               qx_math_func_host___float2bfloat16_ru(x).bits ==
                   reference::round_split(s, reference::kBfloat16, Direction::up);
    });
    EXPECT_EQ(result.checked, 1ull << 32);
    EXPECT_EQ(result.failures, 0u);
    for (auto i : result.first_failures) ADD_FAILURE() << "float bits 0x" << std::hex << i;
}

TEST(Exhaustive, DoubleToBfloat16Random)
{
    const std::uint64_t samples = 10000000;
    const auto result = sweep::run(1ull << 40, (1ull << 40) + samples, [](std::uint64_t i) {
        testbits::DoubleSource source(i);
        const double x = source();
        return qx_math_func_host___double2bfloat16(x).bits ==
               reference::round_to_format(x, reference::kBfloat16, Direction::nearest);
    });
    EXPECT_EQ(result.failures, 0u);
    for (auto i : result.first_failures) {
        testbits::DoubleSource source(i);
        ADD_FAILURE() << "double " << std::hexfloat << source();
    }
}
