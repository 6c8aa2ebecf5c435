// Every int and unsigned int, 10^7 random values of each 64-bit type, and every
// tie and carry of the 64-bit types, through the integer-to-bfloat16
// conversions against the reference rounding.
#include "hostmath.h"
#include "reference_rounding.h"
#include "sweep.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using reference::Direction;

namespace {

std::uint16_t reference_bf16(double a)
{
    return reference::round_to_format(a, reference::kBfloat16, Direction::nearest);
}

std::uint16_t reference_bf16(long double a)
{
    return reference::round_to_format(a, reference::kBfloat16, Direction::nearest);
}

bool ll_ok(long long a)
{
    return qx_math_func_host___ll2bfloat16_rn(a).bits == reference_bf16(static_cast<long double>(a));
}

bool ull_ok(unsigned long long a)
{
    return qx_math_func_host___ull2bfloat16_rn(a).bits == reference_bf16(static_cast<long double>(a));
}

// A reproducible 64-bit value per index, of every bit length.
std::uint64_t mix(std::uint64_t x)
{
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

std::uint64_t random_64(std::uint64_t i) { return mix(2 * i) >> (mix(2 * i + 1) % 64); }

}  // namespace

TEST(Exhaustive, Every32BitInteger)
{
    const auto result = sweep::run(0, 1ull << 32, [](std::uint64_t i) {
        const std::uint32_t u = static_cast<std::uint32_t>(i);
        const int s = static_cast<int>(u);
        return qx_math_func_host___uint2bfloat16_rn(u).bits == reference_bf16(static_cast<double>(u)) &&
               qx_math_func_host___int2bfloat16_rn(s).bits == reference_bf16(static_cast<double>(s));
    });
    EXPECT_EQ(result.checked, 1ull << 32);
    EXPECT_EQ(result.failures, 0u);
    for (auto i : result.first_failures) ADD_FAILURE() << "32-bit pattern 0x" << std::hex << i;
}

TEST(Exhaustive, Random64BitIntegers)
{
    const std::uint64_t samples = 10000000;
    const std::uint64_t begin = 1ull << 40;  // apart from the quick test's indices
    const auto result = sweep::run(begin, begin + samples, [](std::uint64_t i) {
        const std::uint64_t r = random_64(i);
        const std::uint64_t m = r >> 1;
        const long long s = static_cast<long long>(i % 2 ? 0 - m : m);
        return ull_ok(r) && ll_ok(s) && ll_ok(static_cast<long long>(r));
    });
    EXPECT_EQ(result.failures, 0u);
    for (auto i : result.first_failures) ADD_FAILURE() << "random index " << i << ": " << random_64(i);
}

// For every leading bit e and every kept 7-bit fraction q: the exact value, the
// tie above it (whose rounding depends on q's parity, and carries into the
// exponent when q is all ones) and the neighbours at distance one.
TEST(Exhaustive, EveryTie64Bit)
{
    std::vector<std::uint64_t> magnitudes;
    for (int e = 8; e < 64; ++e) {
        const std::uint64_t unit = 1ull << (e - 7);
        for (std::uint64_t q = 0; q < 128; ++q) {
            const std::uint64_t kept = (128 + q) * unit;
            const std::uint64_t tie = kept + unit / 2;
            for (std::uint64_t m : {kept - 1, kept, kept + 1, tie - 1, tie, tie + 1}) magnitudes.push_back(m);
        }
    }
    const auto result = sweep::run(0, magnitudes.size(), [&](std::uint64_t i) {
        const std::uint64_t m = magnitudes[i];
        bool ok = ull_ok(m);
        if (m <= 0x7fffffffffffffffull) ok = ok && ll_ok(static_cast<long long>(m));
        if (m <= 0x8000000000000000ull) ok = ok && ll_ok(static_cast<long long>(0 - m));
        return ok;
    });
    EXPECT_EQ(result.failures, 0u);
    for (auto i : result.first_failures) ADD_FAILURE() << "magnitude " << magnitudes[i];
}
