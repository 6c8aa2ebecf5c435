// The array forms (hostmath/batch.h) against the scalar functions, bit for bit:
// every 16-bit pattern through the widening conversions, samples over every
// float binade and random patterns through the float conversions, random
// doubles, and each special function's intervals, boundaries and special
// values; then the contract: counts that are not multiples of any vector
// width, arrays offset by one element, nothing written past n, n = 0 with null
// pointers, and the special functions in place.
#include "hostmath/batch.h"
#include "test_bits.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#if __cplusplus >= 202002L
#include <span>
#endif
#if defined(__x86_64__)
#include <xmmintrin.h>
#endif
#include <string>
#include <type_traits>
#include <vector>

using testbits::f32;
using testbits::f64;

namespace {

template <typename In, typename Out>
struct Entry {
    const char* name;
    void (*batch)(const In*, Out*, std::size_t);
    Out (*scalar)(In);
};

template <typename T>
bool same_bits(const T& a, const T& b)
{
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

template <typename T>
std::string hex_of(const T& v)
{
    unsigned long long u = 0;
    std::memcpy(&u, &v, sizeof(T));
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx", u);
    return text;
}

// Runs the batch over all of in at once and compares each element with the
// scalar function; reports the first few differences.
template <typename In, typename Out>
void expect_matches_scalar(const Entry<In, Out>& f, const std::vector<In>& in)
{
    std::vector<Out> out(in.size());
    f.batch(in.data(), out.data(), in.size());
    int reported = 0;
    std::size_t failures = 0;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const Out expected = f.scalar(in[i]);
        if (same_bits(out[i], expected)) continue;
        ++failures;
        if (reported++ < 5)
            ADD_FAILURE() << f.name << "(" << hex_of(in[i]) << "): batch " << hex_of(out[i]) << ", scalar "
                          << hex_of(expected);
    }
    EXPECT_EQ(failures, 0u) << f.name << " over " << in.size() << " arguments";
}

const Entry<float, __quix_bfloat16> kFloatToBfloat16[] = {
    {"__float2bfloat16_rn", qx_math_func_host_batch___float2bfloat16_rn, qx_math_func_host___float2bfloat16_rn},
    {"__float2bfloat16_rz", qx_math_func_host_batch___float2bfloat16_rz, qx_math_func_host___float2bfloat16_rz},
    {"__float2bfloat16_rd", qx_math_func_host_batch___float2bfloat16_rd, qx_math_func_host___float2bfloat16_rd},
    {"__float2bfloat16_ru", qx_math_func_host_batch___float2bfloat16_ru, qx_math_func_host___float2bfloat16_ru},
};
const Entry<float, __half> kFloatToHalf[] = {
    {"__float2half_rn", qx_math_func_host_batch___float2half_rn, qx_math_func_host___float2half_rn},
    {"__float2half_rz", qx_math_func_host_batch___float2half_rz, qx_math_func_host___float2half_rz},
    {"__float2half_rd", qx_math_func_host_batch___float2half_rd, qx_math_func_host___float2half_rd},
    {"__float2half_ru", qx_math_func_host_batch___float2half_ru, qx_math_func_host___float2half_ru},
};
const Entry<double, __quix_bfloat16> kDoubleToBfloat16{"__double2bfloat16", qx_math_func_host_batch___double2bfloat16,
                                                       qx_math_func_host___double2bfloat16};
const Entry<double, __half> kDoubleToHalf{"__double2half", qx_math_func_host_batch___double2half,
                                          qx_math_func_host___double2half};
const Entry<__quix_bfloat16, float> kBfloat16ToFloat{"__bfloat162float", qx_math_func_host_batch___bfloat162float,
                                                     qx_math_func_host___bfloat162float};
const Entry<__half, float> kHalfToFloat{"__half2float", qx_math_func_host_batch___half2float,
                                        qx_math_func_host___half2float};

const Entry<float, float> kErfinvf{"erfinvf", qx_math_func_host_batch_erfinvf, qx_math_func_host_erfinvf};
const Entry<double, double> kErfinv{"erfinv", qx_math_func_host_batch_erfinv, qx_math_func_host_erfinv};
const Entry<float, float> kErfcinvf{"erfcinvf", qx_math_func_host_batch_erfcinvf, qx_math_func_host_erfcinvf};
const Entry<double, double> kErfcinv{"erfcinv", qx_math_func_host_batch_erfcinv, qx_math_func_host_erfcinv};
const Entry<float, float> kErfcxf{"erfcxf", qx_math_func_host_batch_erfcxf, qx_math_func_host_erfcxf};
const Entry<double, double> kErfcx{"erfcx", qx_math_func_host_batch_erfcx, qx_math_func_host_erfcx};
const Entry<float, float> kNormcdff{"normcdff", qx_math_func_host_batch_normcdff, qx_math_func_host_normcdff};
const Entry<double, double> kNormcdf{"normcdf", qx_math_func_host_batch_normcdf, qx_math_func_host_normcdf};

const Entry<double, double> kElementary[] = {
    {"sinpi", qx_math_func_host_batch_sinpi, qx_math_func_host_sinpi},
    {"cospi", qx_math_func_host_batch_cospi, qx_math_func_host_cospi},
    {"rsqrt", qx_math_func_host_batch_rsqrt, qx_math_func_host_rsqrt},
    {"rcbrt", qx_math_func_host_batch_rcbrt, qx_math_func_host_rcbrt},
};
const Entry<float, float> kElementaryF[] = {
    {"sinpif", qx_math_func_host_batch_sinpif, qx_math_func_host_sinpif},
    {"cospif", qx_math_func_host_batch_cospif, qx_math_func_host_cospif},
    {"rsqrtf", qx_math_func_host_batch_rsqrtf, qx_math_func_host_rsqrtf},
    {"rcbrtf", qx_math_func_host_batch_rcbrtf, qx_math_func_host_rcbrtf},
};

// ---------------------------------------------------------------------------
// Inputs
// ---------------------------------------------------------------------------

template <typename Record>
std::vector<Record> every_16_bit_pattern()
{
    std::vector<Record> v(65536);
    for (std::size_t i = 0; i < v.size(); ++i) v[i].bits = static_cast<unsigned short>(i);
    return v;
}

// Every sign and exponent with fractions that decide the roundings to 16 bits
// (the kept part's lowest bit, exactly half, just around half, all ones), then
// random patterns.
std::vector<float> float_sample()
{
    const std::uint32_t fractions[] = {0x000000, 0x000001, 0x000fff, 0x001000, 0x001001, 0x002000, 0x003000,
                                       0x007fff, 0x008000, 0x008001, 0x00ffff, 0x010000, 0x018000, 0x7fe000,
                                       0x7fefff, 0x7ff000, 0x7fffff, 0x400000, 0x3fffff, 0x400001};
    std::vector<float> v;
    for (std::uint32_t sign_exponent = 0; sign_exponent < 512; ++sign_exponent)
        for (std::uint32_t fraction : fractions) v.push_back(f32(sign_exponent << 23 | fraction));
    std::mt19937 rng(11);
    for (int i = 0; i < 100000; ++i) v.push_back(f32(rng()));
    return v;
}

std::vector<double> double_sample()
{
    std::vector<double> v;
    testbits::DoubleSource source(12);
    for (int i = 0; i < 50000; ++i) v.push_back(source());
    // The range where the 16-bit conversions round, ties and near-ties included.
    std::mt19937_64 rng(13);
    for (int i = 0; i < 50000; ++i) {
        const std::uint64_t r = rng();
        const std::uint64_t exponent = 1023 - 150 + (r >> 1) % 170;
        const std::uint64_t low = (r >> 20) % 4 == 0 ? 0 : rng() & 0xfffffffffffull;
        v.push_back(f64((r & 1) << 63 | exponent << 52 | (rng() & 0xffff000000000ull) | low));
    }
    for (double x : {0.0, -0.0, 65504.0, 65519.99999999999, 65520.0, 0x1p-24, 0x1p-25, 0x1.8p-25,
                     std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min()})
        v.push_back(x);
    return v;
}

// Arguments for a special function: uniform over each range, each point with
// its two neighbours, zeros, infinities, NaNs with payloads and signs, and
// random bit patterns.
template <typename T>
std::vector<T> special_sample(std::initializer_list<std::pair<T, T>> ranges, std::initializer_list<T> points,
                              int per_range)
{
    std::vector<T> v;
    std::mt19937_64 rng(14);
    for (const auto& r : ranges) {
        std::uniform_real_distribution<double> d(r.first, r.second);
        for (int i = 0; i < per_range; ++i) v.push_back(static_cast<T>(d(rng)));
    }
    const T inf = std::numeric_limits<T>::infinity();
    for (T p : points) {
        v.push_back(p);
        v.push_back(std::nextafter(p, -inf));
        v.push_back(std::nextafter(p, inf));
    }
    for (T p : {T(0), -T(0), inf, -inf, std::numeric_limits<T>::denorm_min(), -std::numeric_limits<T>::denorm_min(),
                std::numeric_limits<T>::max(), -std::numeric_limits<T>::max(), std::numeric_limits<T>::min()})
        v.push_back(p);
    for (unsigned long long nan : {0x7ff8000000000000ull, 0xfff8000000000000ull, 0x7ff0000000000001ull,
                                   0xfff4000000000123ull, 0x7fffffffffffffffull}) {
        T x;
        if (sizeof(T) == 8) {
            std::memcpy(&x, &nan, 8);
        } else {
            const std::uint32_t narrow = static_cast<std::uint32_t>(nan >> 32) | static_cast<std::uint32_t>(nan & 0x3);
            std::memcpy(&x, &narrow, 4);
        }
        v.push_back(x);
    }
    for (int i = 0; i < per_range; ++i) {
        const std::uint64_t r = rng();
        T x;
        std::memcpy(&x, &r, sizeof(T));
        v.push_back(x);
    }
    return v;
}

constexpr int kPerRange = 3000;

// Every value of a 16-bit type; for the wider ones, the extremes and random
// values of every bit length, each with its neighbours (the ties and carries
// of the rounding to 8 or 11 bits sit just around the random patterns' ends).
template <typename Int>
std::vector<Int> integer_sample()
{
    using Limits = std::numeric_limits<Int>;
    std::vector<Int> v;
    if (sizeof(Int) == 2) {
        for (long long k = Limits::min(); k <= Limits::max(); ++k) v.push_back(static_cast<Int>(k));
        return v;
    }
    std::mt19937_64 rng(16);
    for (int i = 0; i < 20000; ++i) {
        const unsigned long long r = rng() >> (rng() % 64);
        for (unsigned long long d : {0ull, 1ull, ~0ull}) v.push_back(static_cast<Int>(r + d));
    }
    for (Int x : {Limits::min(), Limits::max(), Int(0), Int(1), Int(Limits::max() / 2 + 1)}) v.push_back(x);
    return v;
}

// ---------------------------------------------------------------------------
// Results
// ---------------------------------------------------------------------------

TEST(BatchConversions, WideningEvery16BitPattern)
{
    expect_matches_scalar(kBfloat16ToFloat, every_16_bit_pattern<__quix_bfloat16>());
    expect_matches_scalar(kHalfToFloat, every_16_bit_pattern<__half>());
}

TEST(BatchConversions, FloatEveryBinadeAndRandomPatterns)
{
    const std::vector<float> in = float_sample();
    for (const auto& f : kFloatToBfloat16) expect_matches_scalar(f, in);
    for (const auto& f : kFloatToHalf) expect_matches_scalar(f, in);
}

TEST(BatchConversions, RandomDoubles)
{
    const std::vector<double> in = double_sample();
    expect_matches_scalar(kDoubleToBfloat16, in);
    expect_matches_scalar(kDoubleToHalf, in);
}

TEST(BatchSpecialFunctions, InverseErrorFunctions)
{
    expect_matches_scalar(kErfinvf, special_sample<float>({{-1, 1}, {0.99f, 1}, {-0.375f, 0.375f}},
                                                          {0.375f, 1, -1, 0.99326205f}, kPerRange));
    expect_matches_scalar(kErfinv, special_sample<double>({{-1, 1}, {0.999, 1}, {1 - 0x1p-30, 1}, {-0.375, 0.375}},
                                                          {0.375, 0x1.fffep-1, 0x1.fffffffep-1, 1, -1}, kPerRange));
    expect_matches_scalar(kErfcinvf, special_sample<float>({{0, 2}, {0, 0x1p-10f}, {0, 0x1p-60f}, {1.99f, 2}},
                                                           {0.625f, 0x1p-10f, 0x1p-42f, 2, 1}, kPerRange));
    expect_matches_scalar(kErfcinv,
                          special_sample<double>({{0, 2}, {0, 0x1p-10}, {0, 0x1p-100}, {0, 0x1p-500}, {1.999, 2}},
                                                 {0.625, 0x1p-10, 0x1p-19, 0x1p-40, 0x1p-82, 0x1p-200, 0x1p-400,
                                                  0x1p-900, 2, 1},
                                                 kPerRange));
    // Log-uniform over the small range of erfcinv, where T1..T7 take turns.
    std::vector<double> small;
    std::mt19937_64 rng(15);
    for (int i = 0; i < 20000; ++i) small.push_back(std::ldexp(1.0 + (rng() >> 12) * 0x1p-52, -10 - int(rng() % 1064)));
    expect_matches_scalar(kErfcinv, small);
}

TEST(BatchSpecialFunctions, ScaledComplementaryErrorFunction)
{
    expect_matches_scalar(kErfcxf, special_sample<float>({{-12, 40}, {-1, 1}, {30, 2000}, {1e3f, 1e30f}},
                                                         {1, -1, 32, -10, 4, 1024}, kPerRange));
    expect_matches_scalar(kErfcx, special_sample<double>({{-30, 30}, {-1, 1}, {4000, 20000}, {1e6, 1e300}},
                                                         {1, -1, 5120, -27, -26.6, 4, 0x1p20}, kPerRange));
}

TEST(BatchSpecialFunctions, NormalDistributionFunction)
{
    expect_matches_scalar(kNormcdff, special_sample<float>({{-16, 7}, {-3.5f, 1.5f}}, {-0.67448974f, 1, 2.5f, 4, 5.296875f,
                                                           -1.5f, -2.5f, -3.25f, -5, -14.125f}, kPerRange));
    expect_matches_scalar(kNormcdf, special_sample<double>({{-40, 10}, {-3, 1.5}}, {-0.6744897501960817, 1, 2.5, 4,
                                                           8.2109375, -1.5, -2.25, -2.75, -4, -38.46875}, kPerRange));
}

// An integer conversion to (From = Int) or from (To = Int) a 16-bit record.
template <typename Int, typename Record>
void expect_integer_forms(void (*to)(const Int*, Record*, std::size_t), Record (*to_scalar)(Int),
                          void (*from)(const Record*, Int*, std::size_t), Int (*from_scalar)(Record), const char* name)
{
    expect_matches_scalar(Entry<Int, Record>{name, to, to_scalar}, integer_sample<Int>());
    expect_matches_scalar(Entry<Record, Int>{name, from, from_scalar}, every_16_bit_pattern<Record>());
}

TEST(BatchConversions, IntegersBothWays)
{
#define HOSTMATH_INTEGER_FORMS(Int, Record, to, from)                                                              \
    expect_integer_forms<Int, Record>(qx_math_func_host_batch_##to, qx_math_func_host_##to,                      \
                                      qx_math_func_host_batch_##from, qx_math_func_host_##from, #to " / " #from)
    HOSTMATH_INTEGER_FORMS(unsigned short, __quix_bfloat16, __ushort2bfloat16_rn, __bfloat162ushort_rz);
    HOSTMATH_INTEGER_FORMS(short, __quix_bfloat16, __short2bfloat16_rn, __bfloat162short_rz);
    HOSTMATH_INTEGER_FORMS(int, __quix_bfloat16, __int2bfloat16_rn, __bfloat162int_rz);
    HOSTMATH_INTEGER_FORMS(unsigned int, __quix_bfloat16, __uint2bfloat16_rn, __bfloat162uint_rz);
    HOSTMATH_INTEGER_FORMS(long long, __quix_bfloat16, __ll2bfloat16_rn, __bfloat162ll_rz);
    HOSTMATH_INTEGER_FORMS(unsigned long long, __quix_bfloat16, __ull2bfloat16_rn, __bfloat162ull_rz);
    HOSTMATH_INTEGER_FORMS(unsigned short, __half, __ushort2half_rn, __half2ushort_rz);
    HOSTMATH_INTEGER_FORMS(short, __half, __short2half_rn, __half2short_rz);
    HOSTMATH_INTEGER_FORMS(int, __half, __int2half_rn, __half2int_rz);
    HOSTMATH_INTEGER_FORMS(unsigned int, __half, __uint2half_rn, __half2uint_rz);
    HOSTMATH_INTEGER_FORMS(long long, __half, __ll2half_rn, __half2ll_rz);
    HOSTMATH_INTEGER_FORMS(unsigned long long, __half, __ull2half_rn, __half2ull_rz);
#undef HOSTMATH_INTEGER_FORMS
}

TEST(BatchSpecialFunctions, PiScaledAndReciprocalRoots)
{
    const auto doubles = special_sample<double>({{-4, 4}, {-1e6, 1e6}, {0, 0x1p-1000}}, {0.5, 1, 2, 0x1p52, 0x1p53},
                                                kPerRange);
    const auto floats = special_sample<float>({{-4, 4}, {-1e6f, 1e6f}, {0, 0x1p-126f}}, {0.5f, 1, 2, 0x1p23f, 0x1p24f},
                                              kPerRange);
    for (const auto& f : kElementary) expect_matches_scalar(f, doubles);
    for (const auto& f : kElementaryF) expect_matches_scalar(f, floats);
}

// sincospi: both outputs, then each alone with the other null.
template <typename T>
void expect_sincospi(void (*batch)(const T*, T*, T*, std::size_t), void (*scalar)(T, T*, T*), const std::vector<T>& in)
{
    const T unset = T(12345);
    for (int mask : {3, 1, 2}) {
        std::vector<T> s(in.size(), unset), c(in.size(), unset);
        batch(in.data(), (mask & 1) != 0 ? s.data() : nullptr, (mask & 2) != 0 ? c.data() : nullptr, in.size());
        for (std::size_t i = 0; i < in.size(); ++i) {
            T es = unset, ec = unset;
            scalar(in[i], (mask & 1) != 0 ? &es : nullptr, (mask & 2) != 0 ? &ec : nullptr);
            ASSERT_TRUE(same_bits(s[i], es) && same_bits(c[i], ec)) << "sincospi(" << hex_of(in[i]) << ") mask " << mask;
        }
    }
}

TEST(BatchSpecialFunctions, SinCosPi)
{
    expect_sincospi(qx_math_func_host_batch_sincospi, qx_math_func_host_sincospi,
                    special_sample<double>({{-4, 4}}, {0.5, 1, 0x1p52}, 1000));
    expect_sincospi(qx_math_func_host_batch_sincospif, qx_math_func_host_sincospif,
                    special_sample<float>({{-4, 4}}, {0.5f, 1, 0x1p23f}, 1000));
}

// max and min over two arrays: every pairing of signed zeros, infinities, quiet
// and signalling NaNs with payloads, and numbers, then random pairs; and the
// output written over either input.
template <typename T>
void expect_pairs(void (*batch)(const T*, const T*, T*, std::size_t), T (*scalar)(T, T), const char* name)
{
    using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
    // +-0, +-infinity, quiet NaNs, signalling NaNs, +-1, the smallest subnormal.
    const std::uint64_t patterns[2][11] = {
        {0, 0x80000000u, 0x7f800000u, 0xff800000u, 0x7fc00000u, 0xffc00001u, 0x7f800001u, 0xffa00000u, 0x3f800000u,
         0xbf800000u, 1},
        {0, 0x8000000000000000u, 0x7ff0000000000000u, 0xfff0000000000000u, 0x7ff8000000000000u, 0xfff8000000000001u,
         0x7ff0000000000001u, 0xfff4000000000000u, 0x3ff0000000000000u, 0xbff0000000000000u, 1}};
    std::vector<T> values;
    for (std::uint64_t u : patterns[sizeof(T) / 8]) {
        const Bits w = static_cast<Bits>(u);
        T x;
        std::memcpy(&x, &w, sizeof x);
        values.push_back(x);
    }
    std::vector<T> a, b;
    for (T x : values)
        for (T y : values) a.push_back(x), b.push_back(y);
    std::mt19937_64 rng(17);
    for (int i = 0; i < 20000; ++i) {
        const Bits ra = static_cast<Bits>(rng()), rb = static_cast<Bits>(i % 2 == 0 ? rng() : ra ^ (rng() & 0xff));
        T x, y;
        std::memcpy(&x, &ra, sizeof x);
        std::memcpy(&y, &rb, sizeof y);
        a.push_back(x), b.push_back(y);
    }
    std::vector<T> out(a.size()), over_a = a, over_b = b;
    batch(a.data(), b.data(), out.data(), a.size());
    batch(over_a.data(), b.data(), over_a.data(), a.size());
    batch(a.data(), over_b.data(), over_b.data(), a.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        const T expected = scalar(a[i], b[i]);
        ASSERT_TRUE(same_bits(out[i], expected) && same_bits(over_a[i], expected) && same_bits(over_b[i], expected))
            << name << "(" << hex_of(a[i]) << ", " << hex_of(b[i]) << ")";
    }
}

TEST(BatchSpecialFunctions, MaxAndMinOfPairs)
{
    expect_pairs<float>(qx_math_func_host_batch_max, qx_math_func_host_max, "max");
    expect_pairs<float>(qx_math_func_host_batch_min, qx_math_func_host_min, "min");
    expect_pairs<double>(qx_math_func_host_batch_max, qx_math_func_host_max, "max");
    expect_pairs<double>(qx_math_func_host_batch_min, qx_math_func_host_min, "min");
}

// ---------------------------------------------------------------------------
// The contract
// ---------------------------------------------------------------------------

constexpr std::size_t kCounts[] = {0, 1, 7, 15, 17, 63, 65, 4097};
constexpr std::size_t kGuard = 8;

// For each count and for arrays at their start and one element further on:
// the first n results match the scalar function and the guard elements after
// them keep their pattern.
template <typename In, typename Out>
void expect_contract(const Entry<In, Out>& f, const std::vector<In>& pool)
{
    for (std::size_t offset : {0, 1}) {
        for (std::size_t n : kCounts) {
            std::vector<In> in(offset + n + kGuard);
            for (std::size_t i = 0; i < in.size(); ++i) in[i] = pool[(i * 7919) % pool.size()];
            std::vector<Out> out(offset + n + kGuard);
            std::memset(out.data(), 0xa5, out.size() * sizeof(Out));
            f.batch(in.data() + offset, out.data() + offset, n);
            for (std::size_t i = 0; i < n; ++i)
                ASSERT_TRUE(same_bits(out[offset + i], f.scalar(in[offset + i])))
                    << f.name << " n = " << n << " offset " << offset << " element " << i;
            Out guard;
            std::memset(&guard, 0xa5, sizeof guard);
            for (std::size_t i = 0; i < offset; ++i) EXPECT_TRUE(same_bits(out[i], guard)) << f.name << " before";
            for (std::size_t i = offset + n; i < out.size(); ++i)
                EXPECT_TRUE(same_bits(out[i], guard)) << f.name << " n = " << n << " wrote element " << i - offset;
        }
    }
    f.batch(nullptr, nullptr, 0);
}

TEST(BatchContract, CountsOffsetsAndGuards)
{
    const std::vector<float> floats = float_sample();
    const std::vector<double> doubles = double_sample();
    for (const auto& f : kFloatToBfloat16) expect_contract(f, floats);
    for (const auto& f : kFloatToHalf) expect_contract(f, floats);
    expect_contract(kDoubleToBfloat16, doubles);
    expect_contract(kDoubleToHalf, doubles);
    expect_contract(kBfloat16ToFloat, every_16_bit_pattern<__quix_bfloat16>());
    expect_contract(kHalfToFloat, every_16_bit_pattern<__half>());
    const auto float_args = special_sample<float>({{-2, 2}, {-20, 20}}, {}, 500);
    const auto double_args = special_sample<double>({{-2, 2}, {-40, 40}}, {}, 500);
    for (const auto* f : {&kErfinvf, &kErfcinvf, &kErfcxf, &kNormcdff}) expect_contract(*f, float_args);
    for (const auto* f : {&kErfinv, &kErfcinv, &kErfcx, &kNormcdf}) expect_contract(*f, double_args);
    for (const auto& f : kElementaryF) expect_contract(f, float_args);
    for (const auto& f : kElementary) expect_contract(f, double_args);
    expect_contract(Entry<long long, __quix_bfloat16>{"__ll2bfloat16_rn", qx_math_func_host_batch___ll2bfloat16_rn,
                                                      qx_math_func_host___ll2bfloat16_rn},
                    integer_sample<long long>());
    expect_contract(Entry<__half, short>{"__half2short_rz", qx_math_func_host_batch___half2short_rz,
                                         qx_math_func_host___half2short_rz},
                    every_16_bit_pattern<__half>());
}

template <typename T>
void expect_in_place(const Entry<T, T>& f, const std::vector<T>& args)
{
    std::vector<T> data = args;
    f.batch(data.data(), data.data(), data.size());
    for (std::size_t i = 0; i < args.size(); ++i)
        ASSERT_TRUE(same_bits(data[i], f.scalar(args[i]))) << f.name << " in place, element " << i;
}

TEST(BatchContract, SpecialFunctionsInPlace)
{
    const auto float_args = special_sample<float>({{-2, 2}, {-20, 20}}, {}, 700);
    const auto double_args = special_sample<double>({{-2, 2}, {-40, 40}}, {}, 700);
    for (const auto* f : {&kErfinvf, &kErfcinvf, &kErfcxf, &kNormcdff}) expect_in_place(*f, float_args);
    for (const auto* f : {&kErfinv, &kErfcinv, &kErfcx, &kNormcdf}) expect_in_place(*f, double_args);
    for (const auto& f : kElementaryF) expect_in_place(f, float_args);
    for (const auto& f : kElementary) expect_in_place(f, double_args);
}

// The conversions give the scalar results whatever the caller's rounding mode
// (and on x86-64 its flush-to-zero and denormals-are-zero settings, which the
// conversion instructions would honour), and leave that state, sticky flags
// included, exactly as it was.
unsigned int floating_point_state()
{
#if defined(__x86_64__)
    return _mm_getcsr();
#else
    return static_cast<unsigned int>(std::fegetround());
#endif
}

template <typename In, typename Out>
void expect_matches_scalar_and_keeps_state(const Entry<In, Out>& f, const std::vector<In>& in)
{
    std::vector<Out> out(in.size());
    const unsigned int before = floating_point_state();
    f.batch(in.data(), out.data(), in.size());
    EXPECT_EQ(floating_point_state(), before) << f.name;
    for (std::size_t i = 0; i < in.size(); ++i)
        ASSERT_TRUE(same_bits(out[i], f.scalar(in[i]))) << f.name << "(" << hex_of(in[i]) << ")";
}

TEST(BatchContract, CallersFloatingPointStateNeitherMattersNorChanges)
{
    std::vector<float> floats = float_sample();
    floats.resize(4096);
    for (std::uint32_t u = 1; u < 64; ++u) floats.push_back(f32(u * 0x1ffffu));           // float subnormals
    for (std::uint32_t u = 1; u < 64; ++u) floats.push_back(f32(0x80000000u | u * 0x1ffffu));
    const std::vector<__half> halves = every_16_bit_pattern<__half>();
#if defined(__x86_64__)
    constexpr unsigned int kFlushToZero = 0x8000, kDenormalsAreZero = 0x0040, kInexactFlag = 0x0020;
    const unsigned int saved = _mm_getcsr();
    _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero | kInexactFlag);
#endif
    const int saved_rounding = std::fegetround();
    for (int rounding : {FE_UPWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(rounding), 0);
        for (const auto& f : kFloatToHalf) expect_matches_scalar_and_keeps_state(f, floats);
        for (const auto& f : kFloatToBfloat16) expect_matches_scalar_and_keeps_state(f, floats);
        expect_matches_scalar_and_keeps_state(kHalfToFloat, halves);
    }
    std::fesetround(saved_rounding);
#if defined(__x86_64__)
    _mm_setcsr(saved);
#endif
}

#if __cplusplus >= 202002L
// The span forms handle min(in.size(), out.size()) elements and return that
// count; a shorter output is never written past its end.
TEST(BatchContract, SpanFormsTakeTheShorterLength)
{
    const std::vector<float> in{0.5f, -1.25f, 3.0f, 1e-3f, 7.0f};
    std::vector<__half> out(3, __half(__half_raw{0xa5a5}));
    EXPECT_EQ(qx_math_func_host_batch___float2half_rn(in, std::span<__half>(out).first(2)), 2u);
    EXPECT_EQ(out[0].bits, qx_math_func_host___float2half_rn(in[0]).bits);
    EXPECT_EQ(out[1].bits, qx_math_func_host___float2half_rn(in[1]).bits);
    EXPECT_EQ(out[2].bits, 0xa5a5);
    std::vector<float> values(in);
    EXPECT_EQ(qx_math_func_host_batch_normcdff(values, values), in.size());
    for (std::size_t i = 0; i < in.size(); ++i) EXPECT_TRUE(same_bits(values[i], qx_math_func_host_normcdff(in[i])));
    std::vector<float> wide(8);
    EXPECT_EQ(qx_math_func_host_batch___half2float(std::span<const __half>(out), wide), out.size());
}
#endif

}  // namespace
