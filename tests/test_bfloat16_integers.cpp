// Integers to bfloat16 and bfloat16 to float and integers: edge-case tables,
// every 16-bit input, samples of the wider ones with the ties and carries next
// to every power of two, all against the reference rounding; and every bfloat16
// pattern against a direct statement of its value, truncated and saturated.
#include "hostmath.h"
#include "reference_rounding.h"
#include "sweep.h"
#include "test_bits.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <vector>

using reference::Direction;

namespace {

// ---------------------------------------------------------------------------
// Integers to bfloat16
// ---------------------------------------------------------------------------

__quix_bfloat16 convert(unsigned short a) { return qx_math_func_host___ushort2bfloat16_rn(a); }
__quix_bfloat16 convert(short a) { return qx_math_func_host___short2bfloat16_rn(a); }
__quix_bfloat16 convert(int a) { return qx_math_func_host___int2bfloat16_rn(a); }
__quix_bfloat16 convert(unsigned int a) { return qx_math_func_host___uint2bfloat16_rn(a); }
__quix_bfloat16 convert(long long a) { return qx_math_func_host___ll2bfloat16_rn(a); }
__quix_bfloat16 convert(unsigned long long a) { return qx_math_func_host___ull2bfloat16_rn(a); }

// The reference needs a type that holds every value exactly: double up to 32
// bits, long double (64-bit significand or more) for 64 bits.
template <typename Int>
std::uint16_t reference_bf16(Int a)
{
    using Real = std::conditional_t<(sizeof(Int) > 4), long double, double>;
    return reference::round_to_format(static_cast<Real>(a), reference::kBfloat16, Direction::nearest);
}

template <typename Int>
bool matches_reference(Int a)
{
    return convert(a).bits == reference_bf16(a);
}

// The integer of type Int with sign and magnitude, when it exists.
template <typename Int>
bool make_integer(bool negative, std::uint64_t magnitude, Int& out)
{
    using Limits = std::numeric_limits<Int>;
    const std::uint64_t max = static_cast<std::uint64_t>(Limits::max());
    const std::uint64_t min_magnitude = Limits::is_signed ? max + 1 : 0;
    if (negative ? magnitude > min_magnitude : magnitude > max) return false;
    out = static_cast<Int>(negative ? 0 - magnitude : magnitude);  // two's complement wrap
    return true;
}

template <typename Int>
void report_failures(const sweep::Result& result, const char* type, Int (*input)(std::uint64_t))
{
    EXPECT_EQ(result.failures, 0u) << type;
    for (std::uint64_t i : result.first_failures) {
        const Int a = input(i);
        ADD_FAILURE() << type << ": " << +a << " gives 0x" << std::hex << convert(a).bits << ", expected 0x"
                      << reference_bf16(a);
    }
}

struct IntegerCase {
    bool negative;
    std::uint64_t magnitude;
    std::uint16_t expected;  // the pattern of the magnitude; negatives add 0x8000
};

const IntegerCase kIntegerCases[] = {
    {false, 0, 0x0000},
    {false, 1, 0x3f80},
    {true, 1, 0x3f80},
    {false, 255, 0x437f},  // the last one exact without a discarded bit
    {false, 256, 0x4380},
    {false, 257, 0x4380},  // tie, even below
    {true, 257, 0x4380},
    {false, 258, 0x4381},
    {false, 259, 0x4382},  // tie, even above
    {true, 259, 0x4382},
    {false, 32640, 0x46ff},
    {false, 32767, 0x4700},
    {true, 32768, 0x4700},  // most negative short
    {false, 65407, 0x477f},
    {false, 65408, 0x4780},  // tie with a fraction of all ones: carry into the exponent
    {false, 65535, 0x4780},
    {false, 0xff7fff, 0x4b7f},
    {false, 0xff8000, 0x4b80},
    {true, 0xff8000, 0x4b80},
    {false, 0x7fffffff, 0x4f00},
    {true, 0x80000000, 0x4f00},  // most negative int
    {false, 0x80800000, 0x4f00},
    {false, 0x80800001, 0x4f01},
    {false, 0x81800000, 0x4f02},
    {false, 0xffffffff, 0x4f80},
    {false, 0x7fffffffffffffff, 0x5f00},
    {true, 0x8000000000000000, 0x5f00},  // most negative long long
    {true, 0x7fffffffffffffff, 0x5f00},
    {false, 0x8080000000000000, 0x5f00},
    {false, 0x8080000000000001, 0x5f01},
    {false, 0x8180000000000000, 0x5f02},
    {false, 0xff80000000000000, 0x5f80},
    {false, 0xffffffffffffffff, 0x5f80},
};

template <typename Int>
void check_integer_cases(const char* type)
{
    for (const IntegerCase& c : kIntegerCases) {
        Int a;
        if (!make_integer(c.negative, c.magnitude, a)) continue;
        const std::uint16_t expected = static_cast<std::uint16_t>(c.expected | (c.negative ? 0x8000 : 0));
        EXPECT_EQ(convert(a).bits, expected) << type << " " << +a;
    }
}

TEST(IntegerToBfloat16, EdgeCases)
{
    check_integer_cases<unsigned short>("unsigned short");
    check_integer_cases<short>("short");
    check_integer_cases<int>("int");
    check_integer_cases<unsigned int>("unsigned int");
    check_integer_cases<long long>("long long");
    check_integer_cases<unsigned long long>("unsigned long long");
}

TEST(IntegerToBfloat16, Every16BitValue)
{
    auto as_ushort_value = [](std::uint64_t i) { return static_cast<unsigned short>(i); };
    auto as_short_value = [](std::uint64_t i) { return static_cast<short>(static_cast<std::uint16_t>(i)); };
    report_failures<unsigned short>(
        sweep::run(0, 1u << 16, [&](std::uint64_t i) { return matches_reference(as_ushort_value(i)); }),
        "unsigned short", +as_ushort_value);
    report_failures<short>(
        sweep::run(0, 1u << 16, [&](std::uint64_t i) { return matches_reference(as_short_value(i)); }),
        "short", +as_short_value);
}

// Every 997th 32-bit pattern (the exhaustive run takes them all), then the
// ends of both ranges.
TEST(IntegerToBfloat16, Strided32BitValues)
{
    auto as_uint_value = [](std::uint64_t i) { return static_cast<unsigned int>(i); };
    auto as_int_value = [](std::uint64_t i) { return static_cast<int>(static_cast<std::uint32_t>(i)); };
    report_failures<unsigned int>(
        sweep::run(0, 1ull << 32, [&](std::uint64_t i) { return matches_reference(as_uint_value(i)); }, 997),
        "unsigned int", +as_uint_value);
    report_failures<int>(
        sweep::run(0, 1ull << 32, [&](std::uint64_t i) { return matches_reference(as_int_value(i)); }, 997),
        "int", +as_int_value);
    for (std::uint32_t k = 0; k < 4096; ++k) {
        for (std::uint32_t u : {k, 0u - k - 1, 0x7fffffffu - k, 0x80000000u + k}) {
            EXPECT_TRUE(matches_reference(as_uint_value(u))) << u;
            EXPECT_TRUE(matches_reference(as_int_value(u))) << as_int_value(u);
        }
    }
}

// Magnitudes that decide rounding next to every power of two 2^k: the power,
// the tie above it, the tie above the next kept value, the tie below 2^(k+1)
// (which carries into the exponent), each with its neighbours at distance one.
std::vector<std::uint64_t> magnitudes_near_powers_of_two()
{
    std::vector<std::uint64_t> out;
    for (int k = 0; k < 64; ++k) {
        const std::uint64_t power = 1ull << k;
        std::vector<std::uint64_t> centres = {power};
        if (k >= 8) {
            const std::uint64_t half_unit = 1ull << (k - 8);
            centres.push_back(power + half_unit);
            centres.push_back(power + 3 * half_unit);
            centres.push_back(power + (power - half_unit));  // 2^(k+1) - half_unit, without overflow
        }
        for (std::uint64_t c : centres)
            for (std::uint64_t m : {c - 1, c, c + 1}) out.push_back(m);
    }
    out.push_back(0);
    out.push_back(~0ull);
    out.push_back(~0ull - 1);
    return out;
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

template <typename Int>
void check_near_powers_of_two(const std::vector<std::uint64_t>& magnitudes, const char* type)
{
    for (std::uint64_t m : magnitudes) {
        for (bool negative : {false, true}) {
            Int a;
            if (!make_integer(negative, m, a)) continue;
            EXPECT_EQ(convert(a).bits, reference_bf16(a)) << type << " " << +a;
        }
    }
}

TEST(IntegerToBfloat16, NearPowersOfTwo)
{
    const std::vector<std::uint64_t> magnitudes = magnitudes_near_powers_of_two();
    check_near_powers_of_two<int>(magnitudes, "int");
    check_near_powers_of_two<unsigned int>(magnitudes, "unsigned int");
    check_near_powers_of_two<long long>(magnitudes, "long long");
    check_near_powers_of_two<unsigned long long>(magnitudes, "unsigned long long");
}

TEST(IntegerToBfloat16, Random64Bit)
{
    const std::uint64_t samples = 1000000;  // the exhaustive run takes 10^7 more
    auto as_ull_value = [](std::uint64_t i) { return static_cast<unsigned long long>(random_64(i)); };
    report_failures<unsigned long long>(
        sweep::run(0, samples, [&](std::uint64_t i) { return matches_reference(as_ull_value(i)); }),
        "unsigned long long", +as_ull_value);
    // Odd indices flip the sign, so both signs appear at every bit length.
    auto as_signed = [](std::uint64_t i) {
        const std::uint64_t m = random_64(i) >> 1;
        return static_cast<long long>(i % 2 ? 0 - m : m);
    };
    report_failures<long long>(
        sweep::run(0, samples, [&](std::uint64_t i) { return matches_reference(as_signed(i)); }), "long long",
        +as_signed);
}

// The integer conversions are integer code: the rounding mode must not matter.
TEST(IntegerToBfloat16, IndependentOfRoundingMode)
{
    for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        std::uint64_t mismatches = 0;
        for (std::uint32_t i = 0; i < 65536; ++i) {
            const std::uint32_t wide = i * 65537u + 0x1234u;
            mismatches += !matches_reference(static_cast<unsigned short>(i));
            mismatches += !matches_reference(static_cast<short>(static_cast<std::uint16_t>(i)));
            mismatches += !matches_reference(wide);
            mismatches += !matches_reference(static_cast<int>(wide));
            mismatches += !matches_reference(static_cast<unsigned long long>(random_64(i)));
            mismatches += !matches_reference(static_cast<long long>(random_64(i)));
        }
        std::fesetround(FE_TONEAREST);
        EXPECT_EQ(mismatches, 0u) << "rounding mode " << mode;
    }
}

// ---------------------------------------------------------------------------
// bfloat16 to float and integers
// ---------------------------------------------------------------------------

__quix_bfloat16 bf16(std::uint16_t pattern) { return __quix_bfloat16(__quix_bfloat16_raw{pattern}); }

bool is_nan_pattern(std::uint16_t p) { return (p & 0x7f80) == 0x7f80 && (p & 0x7f) != 0; }

// The value of a non-NaN pattern from its fields: sign, biased exponent, and
// fraction in units of 2^-7 (with no hidden one when the exponent field is 0).
long double value_of(std::uint16_t p)
{
    const int exponent = (p >> 7) & 0xff;
    const int fraction = p & 0x7f;
    long double magnitude;
    if (exponent == 0xff)
        magnitude = std::numeric_limits<long double>::infinity();
    else if (exponent == 0)
        magnitude = std::ldexp(static_cast<long double>(fraction), -133);
    else
        magnitude = std::ldexp(static_cast<long double>(128 + fraction), exponent - 134);
    return (p & 0x8000) ? -magnitude : magnitude;
}

// The integer part of the value, clamped to Int's range; NaN gives nan_result.
template <typename Int>
Int expected_integer(std::uint16_t p, Int nan_result)
{
    if (is_nan_pattern(p)) return nan_result;
    const long double t = std::trunc(value_of(p));
    const long double lowest = std::numeric_limits<Int>::lowest();
    const long double highest = std::numeric_limits<Int>::max();  // exact: 64-bit or wider significand
    if (t < lowest) return std::numeric_limits<Int>::lowest();
    if (t > highest) return std::numeric_limits<Int>::max();
    return static_cast<Int>(t);
}

constexpr unsigned long long kUllNan = 0x8000000000000000ull;

TEST(Bfloat16ToInteger, EveryPatternAgainstValue)
{
    std::uint64_t failures = 0;
    for (std::uint32_t i = 0; i < 65536; ++i) {
        const std::uint16_t p = static_cast<std::uint16_t>(i);
        const __quix_bfloat16 b = bf16(p);
        const bool ok = qx_math_func_host___bfloat162ushort_rz(b) == expected_integer<unsigned short>(p, 0) &&
                        qx_math_func_host___bfloat162short_rz(b) == expected_integer<short>(p, 0) &&
                        qx_math_func_host___bfloat162int_rz(b) == expected_integer<int>(p, 0) &&
                        qx_math_func_host___bfloat162uint_rz(b) == expected_integer<unsigned int>(p, 0) &&
                        qx_math_func_host___bfloat162ll_rz(b) == expected_integer<long long>(p, 0) &&
                        qx_math_func_host___bfloat162ull_rz(b) == expected_integer<unsigned long long>(p, kUllNan);
        if (!ok && ++failures <= 8) ADD_FAILURE() << "pattern 0x" << std::hex << p;
    }
    EXPECT_EQ(failures, 0u);
}

TEST(Bfloat16ToFloat, EveryPatternExact)
{
    std::uint64_t failures = 0;
    for (std::uint32_t i = 0; i < 65536; ++i) {
        const std::uint16_t p = static_cast<std::uint16_t>(i);
        const float f = qx_math_func_host___bfloat162float(bf16(p));
        // NaNs keep sign and payload; everything else is its value, signed zeros included.
        const std::uint32_t expected =
            is_nan_pattern(p) ? std::uint32_t{p} << 16 : testbits::u32(static_cast<float>(value_of(p)));
        if (testbits::u32(f) != expected && ++failures <= 8) ADD_FAILURE() << "pattern 0x" << std::hex << p;
    }
    EXPECT_EQ(failures, 0u);
}

// Each pattern as low, with a different pattern as high.
TEST(Bfloat16ToFloat, PairsKeepLowAndHighInPlace)
{
    std::uint64_t failures = 0;
    for (std::uint32_t i = 0; i < 65536; ++i) {
        const std::uint16_t lo = static_cast<std::uint16_t>(i);
        const std::uint16_t hi = static_cast<std::uint16_t>(i * 40503u + 0x8001u);
        const __quix_bfloat162 pair(bf16(lo), bf16(hi));
        const float2 both = qx_math_func_host___bfloat1622float2(pair);
        const std::uint32_t want_lo = std::uint32_t{lo} << 16, want_hi = std::uint32_t{hi} << 16;
        const bool ok = testbits::u32(qx_math_func_host___low2float(pair)) == want_lo &&
                        testbits::u32(qx_math_func_host___high2float(pair)) == want_hi &&
                        testbits::u32(both.first) == want_lo && testbits::u32(both.second) == want_hi;
        if (!ok && ++failures <= 8) ADD_FAILURE() << std::hex << "pair 0x" << lo << ", 0x" << hi;
    }
    EXPECT_EQ(failures, 0u);
    const __quix_bfloat162 pair(bf16(0x3f80), bf16(0xc000));
    EXPECT_EQ(qx_math_func_host___low2float(pair), 1.0f);
    EXPECT_EQ(qx_math_func_host___high2float(pair), -2.0f);
    EXPECT_EQ(qx_math_func_host___bfloat1622float2(pair).first, 1.0f);
    EXPECT_EQ(qx_math_func_host___bfloat1622float2(pair).second, -2.0f);
}

struct IntegerResults {
    std::uint16_t pattern;
    unsigned short u16;
    short s16;
    int s32;
    unsigned int u32;
    long long s64;
    unsigned long long u64;
};

constexpr short kS16Min = std::numeric_limits<short>::min();
constexpr short kS16Max = std::numeric_limits<short>::max();
constexpr int kS32Min = std::numeric_limits<int>::min();
constexpr int kS32Max = std::numeric_limits<int>::max();
constexpr long long kS64Min = std::numeric_limits<long long>::min();
constexpr long long kS64Max = std::numeric_limits<long long>::max();

const IntegerResults kIntegerResults[] = {
    {0x3fff, 1, 1, 1, 1, 1, 1},  // 1.9921875 is cut toward zero
    {0xbfc0, 0, -1, -1, 0, -1, 0},
    {0xbf00, 0, 0, 0, 0, 0, 0},
    {0x8000, 0, 0, 0, 0, 0, 0},
    {0x8001, 0, 0, 0, 0, 0, 0},
    {0x46ff, 32640, 32640, 32640, 32640, 32640, 32640},
    {0x4700, 32768, kS16Max, 32768, 32768, 32768, 32768},
    {0xc700, 0, kS16Min, -32768, 0, -32768, 0},
    {0xc701, 0, kS16Min, -33024, 0, -33024, 0},
    {0x477f, 65280, kS16Max, 65280, 65280, 65280, 65280},
    {0x4780, 65535, kS16Max, 65536, 65536, 65536, 65536},
    {0x4eff, 65535, kS16Max, 2139095040, 2139095040u, 2139095040, 2139095040},
    {0x4f00, 65535, kS16Max, kS32Max, 2147483648u, 2147483648ll, 2147483648ull},
    {0xcf00, 0, kS16Min, kS32Min, 0, -2147483648ll, 0},
    {0xcf01, 0, kS16Min, kS32Min, 0, -2164260864ll, 0},
    {0x4f7f, 65535, kS16Max, kS32Max, 4278190080u, 4278190080ll, 4278190080ull},
    {0x4f80, 65535, kS16Max, kS32Max, 0xffffffffu, 4294967296ll, 4294967296ull},
    {0x5eff, 65535, kS16Max, kS32Max, 0xffffffffu, 9187343239835811840ll, 9187343239835811840ull},
    {0x5f00, 65535, kS16Max, kS32Max, 0xffffffffu, kS64Max, 9223372036854775808ull},
    {0xdf00, 0, kS16Min, kS32Min, 0, kS64Min, 0},
    {0xdf01, 0, kS16Min, kS32Min, 0, kS64Min, 0},
    {0x5f7f, 65535, kS16Max, kS32Max, 0xffffffffu, kS64Max, 18374686479671623680ull},
    {0x5f80, 65535, kS16Max, kS32Max, 0xffffffffu, kS64Max, 0xffffffffffffffffull},
    {0x7f80, 65535, kS16Max, kS32Max, 0xffffffffu, kS64Max, 0xffffffffffffffffull},
    {0xff80, 0, kS16Min, kS32Min, 0, kS64Min, 0},
    {0x7fc0, 0, 0, 0, 0, 0, kUllNan},
    {0xffc0, 0, 0, 0, 0, 0, kUllNan},
    {0x7f81, 0, 0, 0, 0, 0, kUllNan},
    {0xffff, 0, 0, 0, 0, 0, kUllNan},
};

TEST(Bfloat16ToInteger, EdgeCases)
{
    for (const IntegerResults& c : kIntegerResults) {
        const __quix_bfloat16 b = bf16(c.pattern);
        SCOPED_TRACE(testing::Message() << "pattern 0x" << std::hex << c.pattern);
        EXPECT_EQ(qx_math_func_host___bfloat162ushort_rz(b), c.u16);
        EXPECT_EQ(qx_math_func_host___bfloat162short_rz(b), c.s16);
        EXPECT_EQ(qx_math_func_host___bfloat162int_rz(b), c.s32);
        EXPECT_EQ(qx_math_func_host___bfloat162uint_rz(b), c.u32);
        EXPECT_EQ(qx_math_func_host___bfloat162ll_rz(b), c.s64);
        EXPECT_EQ(qx_math_func_host___bfloat162ull_rz(b), c.u64);
    }
}

}  // namespace
