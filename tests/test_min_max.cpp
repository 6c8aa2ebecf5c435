// Minimum and maximum: every one of the 38 overloads, each reached through a
// pointer of its exact signature.  Integer forms: extremes, -1 against small
// values, and the mixed signedness pairs that compare as unsigned.  Floating
// forms: one table of values given as float and as the exactly widened double,
// run through all four floating signatures, plus double-only and mixed cases;
// results are compared by bits so that signed zeros and NaN payloads count.
#include "hostmath.h"
#include "test_bits.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

using testbits::f32;
using testbits::f64;

namespace {

template <typename R, typename A, typename B>
using Binary = R (*)(A, B);

// ---------------------------------------------------------------------------
// Integer forms
// ---------------------------------------------------------------------------

template <typename R, typename A, typename B>
struct IntCase {
    A a;
    B b;
    R max;
    R min;
};

// The explicit template arguments fix the parameter type, so each call names
// exactly one overload; a missing or mistyped overload does not compile.
template <typename R, typename A, typename B>
void check_integer(const char* form, Binary<R, A, B> max_fn, Binary<R, A, B> min_fn,
                   const std::vector<IntCase<R, A, B>>& cases)
{
    for (const auto& c : cases) {
        EXPECT_EQ(max_fn(c.a, c.b), c.max) << "max " << form << " of " << c.a << ", " << c.b;
        EXPECT_EQ(min_fn(c.a, c.b), c.min) << "min " << form << " of " << c.a << ", " << c.b;
    }
}

template <typename S>
std::vector<IntCase<S, S, S>> signed_cases()
{
    constexpr S lo = std::numeric_limits<S>::min();
    constexpr S hi = std::numeric_limits<S>::max();
    return {{-1, 5, 5, -1}, {5, -1, 5, -1}, {-1, 0, 0, -1}, {lo, hi, hi, lo},
            {hi, lo, hi, lo}, {lo, -1, -1, lo}, {lo, lo, lo, lo}, {-7, -7, -7, -7}};
}

template <typename U>
std::vector<IntCase<U, U, U>> unsigned_cases()
{
    constexpr U ones = std::numeric_limits<U>::max();
    constexpr U top = ones / 2 + 1;  // only the top bit set: negative if read as signed
    return {{0, ones, ones, 0}, {ones, 0, ones, 0}, {top, top - 1, top, top - 1},
            {top - 1, top, top, top - 1}, {5, 3, 5, 3}, {7, 7, 7, 7}};
}

// Signed first, unsigned second: the signed argument counts as its two's
// complement pattern, so every negative value is above every non-negative one.
template <typename S, typename U>
std::vector<IntCase<U, S, U>> signed_unsigned_cases()
{
    constexpr U ones = std::numeric_limits<U>::max();
    constexpr U top = ones / 2 + 1;
    constexpr S lo = std::numeric_limits<S>::min();
    constexpr S hi = std::numeric_limits<S>::max();
    return {{-1, 5, ones, 5},
            {-1, 0, ones, 0},
            {-1, ones, ones, ones},
            {-2, ones, ones, ones - 1},
            {lo, static_cast<U>(hi), top, static_cast<U>(hi)},
            {hi, top, top, static_cast<U>(hi)},
            {3, 5, 5, 3},
            {0, 0, 0, 0}};
}

// The same pairs with the arguments swapped.
template <typename S, typename U>
std::vector<IntCase<U, U, S>> unsigned_signed_cases()
{
    std::vector<IntCase<U, U, S>> swapped;
    for (const auto& c : signed_unsigned_cases<S, U>()) swapped.push_back({c.b, c.a, c.max, c.min});
    return swapped;
}

TEST(MinMaxInteger, SameSignedness)
{
    check_integer<int, int, int>("(int, int)", &qx_math_func_host_max, &qx_math_func_host_min, signed_cases<int>());
    check_integer<long, long, long>("(long, long)", &qx_math_func_host_max, &qx_math_func_host_min,
                                    signed_cases<long>());
    check_integer<long long, long long, long long>("(long long, long long)", &qx_math_func_host_max,
                                                   &qx_math_func_host_min, signed_cases<long long>());
    check_integer<long long, long long, long long>("llmax/llmin", &qx_math_func_host_llmax,
                                                   &qx_math_func_host_llmin, signed_cases<long long>());

    using U = unsigned int;
    using UL = unsigned long;
    using ULL = unsigned long long;
    check_integer<U, U, U>("(unsigned int, unsigned int)", &qx_math_func_host_max, &qx_math_func_host_min,
                           unsigned_cases<U>());
    check_integer<U, U, U>("umax/umin", &qx_math_func_host_umax, &qx_math_func_host_umin, unsigned_cases<U>());
    check_integer<UL, UL, UL>("(unsigned long, unsigned long)", &qx_math_func_host_max, &qx_math_func_host_min,
                              unsigned_cases<UL>());
    check_integer<ULL, ULL, ULL>("(unsigned long long, unsigned long long)", &qx_math_func_host_max,
                                 &qx_math_func_host_min, unsigned_cases<ULL>());
    check_integer<ULL, ULL, ULL>("ullmax/ullmin", &qx_math_func_host_ullmax, &qx_math_func_host_ullmin,
                                 unsigned_cases<ULL>());
}

TEST(MinMaxInteger, MixedSignednessComparesUnsigned)
{
    using U = unsigned int;
    using UL = unsigned long;
    using ULL = unsigned long long;
    check_integer<U, int, U>("(int, unsigned int)", &qx_math_func_host_max, &qx_math_func_host_min,
                             signed_unsigned_cases<int, U>());
    check_integer<U, U, int>("(unsigned int, int)", &qx_math_func_host_max, &qx_math_func_host_min,
                             unsigned_signed_cases<int, U>());
    check_integer<UL, long, UL>("(long, unsigned long)", &qx_math_func_host_max, &qx_math_func_host_min,
                                signed_unsigned_cases<long, UL>());
    check_integer<UL, UL, long>("(unsigned long, long)", &qx_math_func_host_max, &qx_math_func_host_min,
                                unsigned_signed_cases<long, UL>());
    check_integer<ULL, long long, ULL>("(long long, unsigned long long)", &qx_math_func_host_max,
                                       &qx_math_func_host_min, signed_unsigned_cases<long long, ULL>());
    check_integer<ULL, ULL, long long>("(unsigned long long, long long)", &qx_math_func_host_max,
                                       &qx_math_func_host_min, unsigned_signed_cases<long long, ULL>());
}

// ---------------------------------------------------------------------------
// Floating forms
// ---------------------------------------------------------------------------

// One value as a float pattern and as the pattern of the same float widened
// to double (a NaN's fraction moves to the top of the double's fraction).
struct Pattern {
    std::uint32_t single;
    std::uint64_t wide;
};

constexpr Pattern kPosZero{0x00000000, 0x0000000000000000};
constexpr Pattern kNegZero{0x80000000, 0x8000000000000000};
constexpr Pattern kOne{0x3f800000, 0x3ff0000000000000};
constexpr Pattern kOneUp{0x3f800001, 0x3ff0000020000000};  // next float above 1
constexpr Pattern kTwo{0x40000000, 0x4000000000000000};
constexpr Pattern kNegThree{0xc0400000, 0xc008000000000000};
constexpr Pattern kTiny{0x00000001, 0x36a0000000000000};  // smallest float subnormal, 2^-149
constexpr Pattern kNegTiny{0x80000001, 0xb6a0000000000000};
constexpr Pattern kMaxFloat{0x7f7fffff, 0x47efffffe0000000};
constexpr Pattern kLowestFloat{0xff7fffff, 0xc7efffffe0000000};
constexpr Pattern kInf{0x7f800000, 0x7ff0000000000000};
constexpr Pattern kNegInf{0xff800000, 0xfff0000000000000};
constexpr Pattern kQNaN{0x7fc00000, 0x7ff8000000000000};
constexpr Pattern kQNaNPayload{0x7fc00123, 0x7ff8002460000000};
constexpr Pattern kNegQNaN{0xffc00000, 0xfff8000000000000};
constexpr Pattern kSNaN{0x7fa00000, 0x7ff4000000000000};
constexpr Pattern kSNaNQuietened{0x7fe00000, 0x7ffc000000000000};
constexpr Pattern kSNaNLow{0x7f800001, 0x7ff0000020000000};
constexpr Pattern kSNaNLowQuietened{0x7fc00001, 0x7ff8000020000000};
constexpr Pattern kNegSNaN{0xff800abc, 0xfff0015780000000};
constexpr Pattern kNegSNaNQuietened{0xffc00abc, 0xfff8015780000000};

struct FloatCase {
    Pattern a, b, max, min;
};

const FloatCase kFloatCases[] = {
    // Numbers, infinities and subnormals.
    {kOne, kTwo, kTwo, kOne},
    {kTwo, kOne, kTwo, kOne},
    {kOneUp, kOne, kOneUp, kOne},
    {kNegThree, kTwo, kTwo, kNegThree},
    {kNegInf, kInf, kInf, kNegInf},
    {kInf, kMaxFloat, kInf, kMaxFloat},
    {kLowestFloat, kNegInf, kLowestFloat, kNegInf},
    {kTiny, kPosZero, kTiny, kPosZero},
    {kNegZero, kNegTiny, kNegZero, kNegTiny},
    {kTwo, kTwo, kTwo, kTwo},
    // -0 orders below +0 in either argument order.
    {kPosZero, kNegZero, kPosZero, kNegZero},
    {kNegZero, kPosZero, kPosZero, kNegZero},
    {kNegZero, kNegZero, kNegZero, kNegZero},
    {kPosZero, kPosZero, kPosZero, kPosZero},
    // A quiet NaN loses against any number, on either side.
    {kQNaN, kTwo, kTwo, kTwo},
    {kTwo, kQNaN, kTwo, kTwo},
    {kNegQNaN, kNegInf, kNegInf, kNegInf},
    {kInf, kQNaNPayload, kInf, kInf},
    {kQNaN, kNegZero, kNegZero, kNegZero},
    {kPosZero, kNegQNaN, kPosZero, kPosZero},
    // Two quiet NaNs: the first, bit for bit.
    {kQNaNPayload, kNegQNaN, kQNaNPayload, kQNaNPayload},
    {kNegQNaN, kQNaNPayload, kNegQNaN, kNegQNaN},
    // A signalling NaN wins, quietened with sign and payload kept; of two, the first.
    {kSNaN, kTwo, kSNaNQuietened, kSNaNQuietened},
    {kTwo, kSNaN, kSNaNQuietened, kSNaNQuietened},
    {kSNaNLow, kNegInf, kSNaNLowQuietened, kSNaNLowQuietened},
    {kInf, kNegSNaN, kNegSNaNQuietened, kNegSNaNQuietened},
    {kNegZero, kSNaNLow, kSNaNLowQuietened, kSNaNLowQuietened},
    {kSNaN, kQNaN, kSNaNQuietened, kSNaNQuietened},
    {kQNaNPayload, kSNaNLow, kSNaNLowQuietened, kSNaNLowQuietened},
    {kSNaN, kNegSNaN, kSNaNQuietened, kSNaNQuietened},
    {kNegSNaN, kSNaN, kNegSNaNQuietened, kNegSNaNQuietened},
};

template <typename T>
T value(Pattern p);
template <>
float value<float>(Pattern p)
{
    return f32(p.single);
}
template <>
double value<double>(Pattern p)
{
    return f64(p.wide);
}

std::uint64_t bits(float x) { return testbits::u32(x); }
std::uint64_t bits(double x) { return testbits::u64(x); }
std::uint64_t expected_bits(Pattern p, float) { return p.single; }
std::uint64_t expected_bits(Pattern p, double) { return p.wide; }

template <typename R, typename A, typename B>
void check_floating_table(const char* form, Binary<R, A, B> max_fn, Binary<R, A, B> min_fn)
{
    for (const FloatCase& c : kFloatCases) {
        const A a = value<A>(c.a);
        const B b = value<B>(c.b);
        EXPECT_EQ(bits(max_fn(a, b)), expected_bits(c.max, R{}))
            << "max " << form << " of 0x" << std::hex << bits(a) << ", 0x" << bits(b);
        EXPECT_EQ(bits(min_fn(a, b)), expected_bits(c.min, R{}))
            << "min " << form << " of 0x" << std::hex << bits(a) << ", 0x" << bits(b);
    }
}

TEST(MinMaxFloating, SharedTableInEveryForm)
{
    check_floating_table<float, float, float>("(float, float)", &qx_math_func_host_max, &qx_math_func_host_min);
    check_floating_table<double, double, double>("(double, double)", &qx_math_func_host_max,
                                                 &qx_math_func_host_min);
    check_floating_table<double, double, float>("(double, float)", &qx_math_func_host_max,
                                                &qx_math_func_host_min);
    check_floating_table<double, float, double>("(float, double)", &qx_math_func_host_max,
                                                &qx_math_func_host_min);
}

struct DoubleCase {
    std::uint64_t a, b, max, min;
};

// Values no float holds: double subnormals, neighbours below float precision,
// NaN payloads in the low fraction bits.
TEST(MinMaxFloating, DoubleOnlyValues)
{
    const DoubleCase cases[] = {
        {0x0000000000000001, 0x8000000000000000, 0x0000000000000001, 0x8000000000000000},
        {0x3ff0000000000001, 0x3ff0000000000000, 0x3ff0000000000001, 0x3ff0000000000000},
        {0x7fefffffffffffff, 0x7ff0000000000000, 0x7ff0000000000000, 0x7fefffffffffffff},
        {0x7ff8000000000001, 0xfff0000000000000, 0xfff0000000000000, 0xfff0000000000000},
        {0x7ff0000000000001, 0x3ff0000000000000, 0x7ff8000000000001, 0x7ff8000000000001},
        {0x8000000000000000, 0xfff0000000000002, 0xfff8000000000002, 0xfff8000000000002},
    };
    const auto max_fn = static_cast<Binary<double, double, double>>(&qx_math_func_host_max);
    const auto min_fn = static_cast<Binary<double, double, double>>(&qx_math_func_host_min);
    for (const DoubleCase& c : cases) {
        EXPECT_EQ(bits(max_fn(f64(c.a), f64(c.b))), c.max) << "max of 0x" << std::hex << c.a << ", 0x" << c.b;
        EXPECT_EQ(bits(min_fn(f64(c.a), f64(c.b))), c.min) << "min of 0x" << std::hex << c.a << ", 0x" << c.b;
    }
}

struct MixedCase {
    std::uint64_t wide;
    std::uint32_t single;
    std::uint64_t max, min;
};

// A float meeting a double is widened exactly, never the double narrowed:
// 0.1f widened is above 0.1, and doubles beyond float range or precision keep
// their values.  Each case runs in both argument orders.
TEST(MinMaxFloating, MixedFormsWidenTheFloat)
{
    const MixedCase cases[] = {
        {0x3fb999999999999a, 0x3dcccccd, 0x3fb99999a0000000, 0x3fb999999999999a},  // 0.1 and 0.1f
        {0x3ff0000000000000, 0x3dcccccd, 0x3ff0000000000000, 0x3fb99999a0000000},  // 1.0 and 0.1f
        {0x7e37e43c8800759c, 0x7f7fffff, 0x7e37e43c8800759c, 0x47efffffe0000000},  // 1e300 and largest float
        {0xfe37e43c8800759c, 0xff7fffff, 0xc7efffffe0000000, 0xfe37e43c8800759c},  // -1e300 and lowest float
        {0x0000000000000001, 0x00000000, 0x0000000000000001, 0x0000000000000000},
        {0x8000000000000001, 0x80000000, 0x8000000000000000, 0x8000000000000001},
        {0x7ff0000000000001, 0x3f800000, 0x7ff8000000000001, 0x7ff8000000000001},
    };
    const auto max_df = static_cast<Binary<double, double, float>>(&qx_math_func_host_max);
    const auto min_df = static_cast<Binary<double, double, float>>(&qx_math_func_host_min);
    const auto max_fd = static_cast<Binary<double, float, double>>(&qx_math_func_host_max);
    const auto min_fd = static_cast<Binary<double, float, double>>(&qx_math_func_host_min);
    for (const MixedCase& c : cases) {
        const double d = f64(c.wide);
        const float f = f32(c.single);
        EXPECT_EQ(bits(max_df(d, f)), c.max) << "max of 0x" << std::hex << c.wide << ", 0x" << c.single << "f";
        EXPECT_EQ(bits(min_df(d, f)), c.min) << "min of 0x" << std::hex << c.wide << ", 0x" << c.single << "f";
        EXPECT_EQ(bits(max_fd(f, d)), c.max) << "max of 0x" << std::hex << c.single << "f, 0x" << c.wide;
        EXPECT_EQ(bits(min_fd(f, d)), c.min) << "min of 0x" << std::hex << c.single << "f, 0x" << c.wide;
    }
}

}  // namespace
