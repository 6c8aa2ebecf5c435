// The array forms (hostmath/batch.h) against the scalar functions, bit for
// bit, for every array form of the registry: over the registry sweep's samples
// of its argument type and, by argument type, samples that decide the
// roundings (every float binade, the ranges where the 16-bit conversions
// round, integers of every bit length and every 16-bit pattern), and for the
// special functions their intervals, boundaries and special values; then the
// contract: counts that are not multiples of any vector width, arrays offset
// by one element, nothing written past n, n = 0 with null pointers, the
// floating forms in place, and sincospi with either output null or in place.
#include "registry_sweep.h"
#include "test_bits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#if __cplusplus >= 202002L
#include <span>
#endif
#include <string>
#include <type_traits>
#include <vector>

using testbits::f32;
using testbits::f64;

namespace {

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

template <typename In, typename Out>
using Batch = void (*)(const In*, Out*, std::size_t);

// Runs the batch over all of in at once and compares each element with the
// scalar function; reports the first few differences.
template <typename In, typename Out>
void expect_matches_scalar(const std::string& name, Batch<In, Out> batch, Out (*scalar)(In), const std::vector<In>& in)
{
    std::vector<Out> out(in.size());
    batch(in.data(), out.data(), in.size());
    int reported = 0;
    std::size_t failures = 0;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const Out expected = scalar(in[i]);
        if (same_bits(out[i], expected)) continue;
        ++failures;
        if (reported++ < 5)
            ADD_FAILURE() << name << "(" << hex_of(in[i]) << "): batch " << hex_of(out[i]) << ", scalar "
                          << hex_of(expected);
    }
    EXPECT_EQ(failures, 0u) << name << " over " << in.size() << " arguments";
}

// ---------------------------------------------------------------------------
// Inputs
// ---------------------------------------------------------------------------

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

// The samples that decide the roundings, by argument type.
template <typename T>
std::vector<T> rounding_sample()
{
    if constexpr (std::is_same_v<T, float>) return float_sample();
    else if constexpr (std::is_same_v<T, double>) return double_sample();
    else if constexpr (std::is_integral_v<T>) return integer_sample<T>();
    else return registry_sweep::samples<T>();  // every 16-bit pattern
}

// Each special function's intervals, boundaries and special values.
template <typename T>
std::vector<T> piece_sample(const std::string& name)
{
    const std::map<std::string, std::vector<T>> samples = {
        {"erfinv", special_sample<T>({{-1, 1}, {0.999, 1}, {1 - 0x1p-30, 1}, {-0.375, 0.375}},
                                     {0.375, 0x1.fffep-1, 0x1.fffffffep-1, 1, -1, 0.99326205}, kPerRange)},
        {"erfcinv", special_sample<T>({{0, 2}, {0, 0x1p-10}, {0, 0x1p-60}, {0, 0x1p-100}, {0, 0x1p-500}, {1.999, 2}},
                                      {0.625, 0x1p-10, 0x1p-19, 0x1p-40, 0x1p-42, 0x1p-82, 0x1p-200, 0x1p-400,
                                       0x1p-900, 2, 1},
                                      kPerRange)},
        {"erfcx", special_sample<T>({{-30, 40}, {-1, 1}, {30, 2000}, {4000, 20000}, {1e3, 1e30}},
                                    {1, -1, 32, -10, 4, 1024, 5120, -27, -26.6, 0x1p20}, kPerRange)},
        {"normcdf", special_sample<T>({{-40, 10}, {-3.5, 1.5}}, {-0.6744897501960817, 1, 2.5, 4, 5.296875,
                                      8.2109375, -1.5, -2.25, -2.5, -2.75, -3.25, -4, -5, -14.125, -38.46875},
                                      kPerRange)},
        {"sinpi", special_sample<T>({{-4, 4}, {-1e6, 1e6}, {0, 0x1p-126}}, {0.5, 1, 2, 0x1p23, 0x1p24, 0x1p52,
                                    0x1p53}, kPerRange)},
        {"rsqrt", special_sample<T>({{0, 4}, {-1, 1e6}, {0, 0x1p-1000}}, {1, 2, 4}, kPerRange)},
    };
    std::string base = name;
    if (!base.empty() && base.back() == 'f' && std::is_same_v<T, float>) base.pop_back();
    if (base == "cospi") base = "sinpi";
    if (base == "rcbrt") base = "rsqrt";
    const auto found = samples.find(base);
    return found == samples.end() ? std::vector<T>{} : found->second;
}

// Log-uniform over the small range of erfcinv, where T1..T7 take turns.
std::vector<double> erfcinv_small_range()
{
    std::vector<double> small;
    std::mt19937_64 rng(15);
    for (int i = 0; i < 20000; ++i) small.push_back(std::ldexp(1.0 + (rng() >> 12) * 0x1p-52, -10 - int(rng() % 1064)));
    return small;
}

// ---------------------------------------------------------------------------
// Results
// ---------------------------------------------------------------------------

TEST(Batch, EveryArrayFormMatchesItsScalarFunction)
{
    int forms = 0;
    hostmath::registry::for_each([&](auto row) {
        using Row = decltype(row);
        if constexpr (Row::has_batch) {
            ++forms;
            registry_sweep::Bits scalar, batch;
            registry_sweep::scalar_results(Row::scalar, scalar);
            registry_sweep::batch_results(Row::batch, batch);
            EXPECT_TRUE(scalar == batch) << row.info.name << row.info.params;
        }
    });
    EXPECT_GT(forms, 0);
}

// Functions of one argument, over the rounding and piece samples.
template <typename R, typename A>
void expect_map_form(const std::string& name, R (*scalar)(A), Batch<A, R> batch)
{
    std::vector<A> in = rounding_sample<A>();
    if constexpr (std::is_floating_point_v<A>) {
        const auto pieces = piece_sample<A>(name);
        in.insert(in.end(), pieces.begin(), pieces.end());
        if (name == "erfcinv") {
            const auto small = erfcinv_small_range();
            in.insert(in.end(), small.begin(), small.end());
        }
    }
    expect_matches_scalar(name, batch, scalar, in);
}

TEST(Batch, RoundingsAndPieces)
{
    hostmath::registry::for_each([&](auto row) {
        using Row = decltype(row);
        if constexpr (Row::array == hostmath::registry::Array::map)
            expect_map_form(row.info.name, Row::scalar, Row::batch);
    });
}

// sincospi: both outputs, each alone with the other null, and each in place
// (its array the arguments' own, the other output apart).
template <typename T>
void expect_sincospi(void (*batch)(const T*, T*, T*, std::size_t), void (*scalar)(T, T*, T*), const std::vector<T>& in)
{
    const T unset = T(12345);
    enum Mode { kBoth, kSineOnly, kCosineOnly, kSineInPlace, kCosineInPlace };
    for (Mode mode : {kBoth, kSineOnly, kCosineOnly, kSineInPlace, kCosineInPlace}) {
        const bool sine = mode != kCosineOnly, cosine = mode != kSineOnly;
        std::vector<T> args = in, s(in.size(), unset), c(in.size(), unset);
        T* sinp = mode == kSineInPlace ? args.data() : sine ? s.data() : nullptr;
        T* cosp = mode == kCosineInPlace ? args.data() : cosine ? c.data() : nullptr;
        batch(args.data(), sinp, cosp, in.size());
        if (mode == kSineInPlace) s = args;
        if (mode == kCosineInPlace) c = args;
        for (std::size_t i = 0; i < in.size(); ++i) {
            T es = unset, ec = unset;
            scalar(in[i], sine ? &es : nullptr, cosine ? &ec : nullptr);
            ASSERT_TRUE(same_bits(s[i], es) && same_bits(c[i], ec))
                << "sincospi(" << hex_of(in[i]) << ") mode " << mode;
        }
    }
}

TEST(Batch, SinCosPi)
{
    expect_sincospi(qx_math_func_host_batch_sincospi, qx_math_func_host_sincospi,
                    special_sample<double>({{-4, 4}}, {0.5, 1, 0x1p52}, 1000));
    expect_sincospi(qx_math_func_host_batch_sincospif, qx_math_func_host_sincospif,
                    special_sample<float>({{-4, 4}}, {0.5f, 1, 0x1p23f}, 1000));
}

// max and min over two arrays: every pairing of signed zeros, infinities, quiet
// and signalling NaNs with payloads, and numbers, then random pairs (the mixed
// forms meet floats of every class, subnormals among them, widened); and the
// output written over each input of the result's type.
template <typename T>
std::vector<T> pair_values()
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
    return values;
}

template <typename T>
T random_value(std::mt19937_64& rng)
{
    using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
    const Bits r = static_cast<Bits>(rng());
    T x;
    std::memcpy(&x, &r, sizeof x);
    return x;
}

template <typename R, typename A, typename B>
void expect_pairs(void (*batch)(const A*, const B*, R*, std::size_t), R (*scalar)(A, B), const std::string& name)
{
    std::vector<A> a;
    std::vector<B> b;
    for (A x : pair_values<A>())
        for (B y : pair_values<B>()) a.push_back(x), b.push_back(y);
    std::mt19937_64 rng(17);
    for (int i = 0; i < 20000; ++i) {
        a.push_back(random_value<A>(rng));
        if constexpr (std::is_same_v<A, B>) {  // half of them near a: equal, or a few ulps apart
            B y;
            const auto r = registry_sweep::bits(a.back()) ^ (rng() & 0xff);
            std::memcpy(&y, &r, sizeof y);
            b.push_back(i % 2 == 0 ? random_value<B>(rng) : y);
        } else {
            b.push_back(random_value<B>(rng));
        }
    }
    std::vector<R> out(a.size());
    batch(a.data(), b.data(), out.data(), a.size());
    std::vector<R> over_a, over_b;
    if constexpr (std::is_same_v<A, R>) {
        over_a = a;
        batch(over_a.data(), b.data(), over_a.data(), a.size());
    }
    if constexpr (std::is_same_v<B, R>) {
        over_b = b;
        batch(a.data(), over_b.data(), over_b.data(), a.size());
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const R expected = scalar(a[i], b[i]);
        ASSERT_TRUE(same_bits(out[i], expected) && (over_a.empty() || same_bits(over_a[i], expected)) &&
                    (over_b.empty() || same_bits(over_b[i], expected)))
            << name << "(" << hex_of(a[i]) << ", " << hex_of(b[i]) << ")";
    }
}

TEST(Batch, PairsOfEveryClassAndInPlace)
{
    hostmath::registry::for_each([&](auto row) {
        using Row = decltype(row);
        if constexpr (Row::array == hostmath::registry::Array::pairs)
            expect_pairs(Row::batch, Row::scalar, std::string(row.info.name) + row.info.params);
    });
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
void expect_contract(const std::string& name, Batch<In, Out> batch, Out (*scalar)(In), const std::vector<In>& pool)
{
    for (std::size_t offset : {0, 1}) {
        for (std::size_t n : kCounts) {
            std::vector<In> in(offset + n + kGuard);
            for (std::size_t i = 0; i < in.size(); ++i) in[i] = pool[(i * 7919) % pool.size()];
            std::vector<Out> out(offset + n + kGuard);
            std::memset(out.data(), 0xa5, out.size() * sizeof(Out));
            batch(in.data() + offset, out.data() + offset, n);
            for (std::size_t i = 0; i < n; ++i)
                ASSERT_TRUE(same_bits(out[offset + i], scalar(in[offset + i])))
                    << name << " n = " << n << " offset " << offset << " element " << i;
            Out guard;
            std::memset(&guard, 0xa5, sizeof guard);
            for (std::size_t i = 0; i < offset; ++i) EXPECT_TRUE(same_bits(out[i], guard)) << name << " before";
            for (std::size_t i = offset + n; i < out.size(); ++i)
                EXPECT_TRUE(same_bits(out[i], guard)) << name << " n = " << n << " wrote element " << i - offset;
        }
    }
    batch(nullptr, nullptr, 0);
}

// The contract of a form of one argument; a floating function also in place.
template <typename R, typename A>
void expect_contract_of(const std::string& name, R (*scalar)(A), Batch<A, R> batch)
{
    const std::vector<A> pool = rounding_sample<A>();
    expect_contract(name, batch, scalar, pool);
    if constexpr (std::is_same_v<A, R>) {
        std::vector<A> data = pool;
        batch(data.data(), data.data(), data.size());
        for (std::size_t i = 0; i < pool.size(); ++i)
            ASSERT_TRUE(same_bits(data[i], scalar(pool[i]))) << name << " in place, element " << i;
    }
}

TEST(BatchContract, CountsOffsetsGuardsAndInPlace)
{
    hostmath::registry::for_each([&](auto row) {
        using Row = decltype(row);
        if constexpr (Row::array == hostmath::registry::Array::map)
            expect_contract_of(row.info.name, Row::scalar, Row::batch);
    });
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
