// One sweep over every exported function of the registry (src/registry.h):
// each function's results, as 64-bit words, over fixed samples of its
// argument types, from the scalar export and from its array form.  The tests
// that must cover every function (array = scalar, the caller's floating-point
// state, threads, the processor paths) walk this, so a function added to the
// registry is covered by all of them.
#ifndef HOSTMATH_TEST_REGISTRY_SWEEP_H
#define HOSTMATH_TEST_REGISTRY_SWEEP_H

#include "registry.h"
#include "test_bits.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

namespace registry_sweep {

using Bits = std::vector<std::uint64_t>;

template <typename T>
std::uint64_t bits(const T& v)
{
    static_assert(sizeof(T) <= sizeof(std::uint64_t), "a result of at most 64 bits");
    std::uint64_t u = 0;
    std::memcpy(&u, &v, sizeof v);
    return u;
}

// Values of every class and of every piece of the special functions: a grid
// over [-40, 40], values next to +-1 and tiny positive values (erfinv and
// erfcinv near their ends), random bit patterns, random binades, and the
// special patterns: zeros, subnormals, extremes, infinities, quiet and
// signalling NaNs with payloads.
template <typename Real>
std::vector<Real> reals()
{
    using testbits::f32;
    using testbits::f64;
    std::vector<Real> v;
    for (int i = -1600; i <= 1600; ++i) v.push_back(static_cast<Real>(i) * static_cast<Real>(0.0251));
    std::mt19937_64 rng(12);
    testbits::DoubleSource source(12);
    for (int i = 0; i < 600; ++i) {
        const std::uint64_t r = rng();
        const Real unit = static_cast<Real>(static_cast<double>(r >> 11) * 0x1p-53);
        const int k = static_cast<int>(r % 60) + 1;
        v.push_back((r & 1 ? -1 : 1) * (1 - static_cast<Real>(std::ldexp(unit, -k))));
        v.push_back(static_cast<Real>(std::ldexp(unit, -4 * k)));
        if constexpr (sizeof(Real) == 4) v.push_back(f32(static_cast<std::uint32_t>(rng())));
        else v.push_back(source());
    }
    if constexpr (sizeof(Real) == 4) {
        for (std::uint32_t u : {0x00000001u, 0x00012345u, 0x007fffffu, 0x80000002u, 0x807fffffu, 0x00000000u,
                                0x80000000u, 0x7f7fffffu, 0xff7fffffu, 0x7f800000u, 0xff800000u, 0x7fc00000u,
                                0xffc00001u, 0x7f800001u, 0xff812345u, 0x39fec000u})
            v.push_back(f32(u));
        for (float x : {1e20f, -1e20f, 1e30f, -10.16f, 0x1.cdd0d6p-12f, 0x1p-149f, 0x1p-148f, 65519.99f, 65520.0f,
                        0.5f, 0x1p23f, 0x1p24f, 16777215.0f, 0.375f, 0.625f, 0x1p-10f, 0x1p-42f, 5.296875f, -14.125f})
            v.push_back(x);
    } else {
        for (std::uint64_t u : {0x0000000000000001ull, 0x000fffffffffffffull, 0x8000000000000003ull, 0ull,
                                0x8000000000000000ull, 0x7fefffffffffffffull, 0x7ff0000000000000ull,
                                0xfff0000000000000ull, 0x7ff8000000000000ull, 0xfff8000000000001ull,
                                0x7ff0000000000001ull})
            v.push_back(f64(u));
        for (double x : {4e-310, -4e-310, -1e-310, 1e-39, 1e200, -1e200, 0.1, 0.5, 1.0, -1.0, 2.0, -3.0, -38.0,
                         0x1p52, 0x1p53, 0x1p-1074, 0.375, 0.625, 0x1p-10, 0x1p-900, 0x1.fffep-1, 0x1.fffffffep-1,
                         5120.0, -26.5, -27.0, 8.2109375, -38.46875, 65519.99999999999, 65520.0})
            v.push_back(x);
    }
    return v;
}

// The extremes and edges of every integer width, their negatives, and random
// values of every bit length.
template <typename Int>
std::vector<Int> integers()
{
    std::vector<Int> v;
    for (std::uint64_t u : {0ull, 1ull, 2049ull, 0x7fffull, 0x8000ull, 65519ull, 65520ull, 0xffffull, 16777217ull,
                            0x7fffffffull, 0x80000000ull, 0xffffffffull, 0x20000000000001ull, 0x7fffffffffffffffull,
                            0x8000000000000000ull}) {
        v.push_back(static_cast<Int>(u));
        v.push_back(static_cast<Int>(0 - u));
    }
    std::mt19937_64 rng(12);
    for (int i = 0; i < 400; ++i) v.push_back(static_cast<Int>(rng() >> (i % 64)));
    return v;
}

template <typename Record>
std::vector<Record> records()
{
    std::vector<Record> v(1u << 16);
    for (std::uint32_t u = 0; u < v.size(); ++u) v[u].bits = static_cast<unsigned short>(u);
    return v;
}

// The samples of an argument type, made once.
template <typename T>
const std::vector<T>& samples()
{
    static const std::vector<T> v = [] {
        if constexpr (std::is_floating_point_v<T>) {
            return reals<T>();
        } else if constexpr (std::is_integral_v<T>) {
            return integers<T>();
        } else if constexpr (std::is_same_v<T, __quix_bfloat162>) {
            std::vector<T> pairs;
            for (const auto& b : samples<__quix_bfloat16>()) pairs.emplace_back(b, samples<__quix_bfloat16>()[b.bits ^ 0x8001u]);
            return pairs;
        } else if constexpr (std::is_same_v<T, float2>) {
            std::vector<T> pairs;
            const auto& f = samples<float>();
            for (std::size_t i = 0; i < f.size(); ++i) pairs.push_back(make_float2(f[i], f[(i * 7919) % f.size()]));
            return pairs;
        } else {
            return records<T>();
        }
    }();
    return v;
}

// Two-argument functions take pairs of samples, every kStride-th of each.
constexpr std::size_t kStride = 53;

template <typename A, typename B>
void pairs_of_samples(std::vector<A>& as, std::vector<B>& bs)
{
    for (std::size_t i = 0; i < samples<A>().size(); i += kStride)
        for (std::size_t j = 0; j < samples<B>().size(); j += kStride) {
            as.push_back(samples<A>()[i]);
            bs.push_back(samples<B>()[j]);
        }
}

template <typename R, typename A>
void scalar_results(R (*f)(A), Bits& out)
{
    for (const A& a : samples<A>()) out.push_back(bits(f(a)));
}

template <typename R, typename A, typename B>
void scalar_results(R (*f)(A, B), Bits& out)
{
    std::vector<A> as;
    std::vector<B> bs;
    pairs_of_samples(as, bs);
    for (std::size_t i = 0; i < as.size(); ++i) out.push_back(bits(f(as[i], bs[i])));
}

template <typename T>
void scalar_results(void (*f)(T, T*, T*), Bits& out)
{
    for (T x : samples<T>()) {
        T s, c;
        f(x, &s, &c);
        out.push_back(bits(s));
        out.push_back(bits(c));
    }
}

template <typename R, typename A>
void batch_results(void (*f)(const A*, R*, std::size_t), Bits& out)
{
    std::vector<R> results(samples<A>().size());
    f(samples<A>().data(), results.data(), results.size());
    for (const R& r : results) out.push_back(bits(r));
}

template <typename R, typename A, typename B>
void batch_results(void (*f)(const A*, const B*, R*, std::size_t), Bits& out)
{
    std::vector<A> as;
    std::vector<B> bs;
    pairs_of_samples(as, bs);
    std::vector<R> results(as.size());
    f(as.data(), bs.data(), results.data(), results.size());
    for (const R& r : results) out.push_back(bits(r));
}

template <typename T>
void batch_results(void (*f)(const T*, T*, T*, std::size_t), Bits& out)
{
    const auto& x = samples<T>();
    std::vector<T> s(x.size()), c(x.size());
    f(x.data(), s.data(), c.data(), x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        out.push_back(bits(s[i]));
        out.push_back(bits(c[i]));
    }
}

// One export: its name ("erfinv", "max(int, unsigned int)", "batch_erfinv")
// and what computes its results.
struct Export {
    std::string name;
    hostmath::registry::Info info;
    bool batch;
    std::function<void(Bits&)> run;
};

// Every scalar export, and after each its array form where it has one.
inline const std::vector<Export>& exports()
{
    static const std::vector<Export> all = [] {
        std::vector<Export> v;
        hostmath::registry::for_each([&](auto f) {
            using F = decltype(f);
            const std::string name = std::string(f.info.name) + f.info.params;
            v.push_back({name, f.info, false, [](Bits& out) { scalar_results(F::scalar, out); }});
            if constexpr (F::has_batch)
                v.push_back({"batch " + name, f.info, true, [](Bits& out) { batch_results(F::batch, out); }});
        });
        return v;
    }();
    return all;
}

}  // namespace registry_sweep

#endif  // HOSTMATH_TEST_REGISTRY_SWEEP_H
