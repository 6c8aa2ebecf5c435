// Inputs and naming shared by every benchmark file of hostmath_bench.
//
// Each benchmark times one implementation of one function over an array of
// kElements inputs and reports per element: call report_elements(state, n,
// bytes) at the end, which sets items/s (ns/element = 1e9 / items_per_second)
// and bytes/s (the bytes of input per element, so tools/bench-table can put
// the memcpy of the same bytes beside it).
//
// Names are "family/function/implementation/inputs", built by name():
//   family          bfloat16, half, special, trig-roots, min-max, ...
//   function        the device name without the qx_math_func_host_ prefix,
//                   "max(int, unsigned int)" for an overload
//   implementation  "hostmath" for the exported scalar function; any other name
//                   starting with "hostmath" (e.g. "hostmath-batch") is another
//                   entry point of the library; everything else is a peer
//   inputs          the name of the input set ("normal", "bits", a domain)
// tools/bench-table groups the rows by family, function and inputs, and
// compares each hostmath implementation with the fastest peer of its group.
//
// The generators are deterministic (fixed seeds), so every implementation of a
// function sees the same values:
//   normal_reals     N(0, 1) scaled by 2^k, k uniform in [-10, 10]: values of
//                    realistic data, finite and inside the half range
//   random_bits      every bit pattern equally likely (NaNs, infinities and
//                    subnormals included)
//   normal_integers  a random sign (signed types) times 2^k + (random low bits),
//                    k uniform below min(24, the type's value bits)
//   uniform, log_uniform  a function's domain
//   bfloat16_patterns, half_patterns  16-bit patterns of normal_reals, or
//                    random bits
#ifndef HOSTMATH_BENCH_INPUTS_H
#define HOSTMATH_BENCH_INPUTS_H

#include <benchmark/benchmark.h>

#include <hostmath.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

namespace bench {

constexpr std::size_t kElements = 4096;

template <typename T>
struct NamedInputs {
    std::string name;
    std::vector<T> values;
};

// The parts must not contain '/': a benchmark named otherwise stops the program.
inline std::string name(const std::string& family, const std::string& function, const std::string& implementation,
                        const std::string& inputs)
{
    for (const std::string* part : {&family, &function, &implementation, &inputs}) {
        if (part->find('/') != std::string::npos) {
            std::fprintf(stderr, "hostmath_bench: '/' in the name part \"%s\"\n", part->c_str());
            std::abort();
        }
    }
    return family + "/" + function + "/" + implementation + "/" + inputs;
}

inline void report_elements(benchmark::State& state, std::size_t elements, std::size_t bytes_per_element)
{
    const auto n = static_cast<std::int64_t>(elements) * static_cast<std::int64_t>(state.iterations());
    state.SetItemsProcessed(n);
    state.SetBytesProcessed(n * static_cast<std::int64_t>(bytes_per_element));
}

// One generator per seed; the seeds differ between sets so that the two
// operands of a binary function are independent.
inline std::mt19937_64 generator(std::uint64_t seed) { return std::mt19937_64(0x9e3779b97f4a7c15ull ^ seed); }

template <typename Real>
std::vector<Real> normal_reals(std::uint64_t seed = 1)
{
    auto g = generator(seed);
    std::normal_distribution<double> value(0.0, 1.0);
    std::uniform_int_distribution<int> scale(-10, 10);
    std::vector<Real> v(kElements);
    for (auto& x : v) x = static_cast<Real>(std::ldexp(value(g), scale(g)));
    return v;
}

template <typename UInt>
std::vector<UInt> random_bits(std::uint64_t seed = 2)
{
    static_assert(std::is_unsigned<UInt>::value, "bit patterns are unsigned");
    auto g = generator(seed);
    std::vector<UInt> v(kElements);
    for (auto& u : v) u = static_cast<UInt>(g());
    return v;
}

// Random bit patterns read as Real (float or double) or as an integer type.
template <typename T>
std::vector<T> random_values_of_bits(std::uint64_t seed = 2)
{
    using UInt = std::conditional_t<sizeof(T) == 2, std::uint16_t,
                                    std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>;
    const auto bits = random_bits<UInt>(seed);
    std::vector<T> v(bits.size());
    for (std::size_t i = 0; i < v.size(); ++i) std::memcpy(&v[i], &bits[i], sizeof(T));
    return v;
}

template <typename Int>
std::vector<Int> normal_integers(std::uint64_t seed = 3)
{
    auto g = generator(seed);
    constexpr int digits = std::min(24, std::numeric_limits<Int>::digits);
    std::uniform_int_distribution<int> exponent(0, digits - 1);
    std::vector<Int> v(kElements);
    for (auto& x : v) {
        const int k = exponent(g);
        const std::uint64_t magnitude = (std::uint64_t{1} << k) | (g() & ((std::uint64_t{1} << k) - 1));
        const bool negative = std::is_signed<Int>::value && (g() & 1) != 0;
        x = negative ? static_cast<Int>(-static_cast<std::int64_t>(magnitude)) : static_cast<Int>(magnitude);
    }
    return v;
}

template <typename Real>
std::vector<Real> uniform(Real lo, Real hi, std::uint64_t seed = 4)
{
    auto g = generator(seed);
    std::uniform_real_distribution<double> value(lo, hi);
    std::vector<Real> v(kElements);
    for (auto& x : v) x = static_cast<Real>(value(g));
    return v;
}

// Magnitudes spread evenly over the binades of [lo, hi] (0 < lo < hi), with a
// random sign when signed is true.
template <typename Real>
std::vector<Real> log_uniform(Real lo, Real hi, bool signed_values, std::uint64_t seed = 5)
{
    auto g = generator(seed);
    std::uniform_real_distribution<double> exponent(std::log2(static_cast<double>(lo)),
                                                    std::log2(static_cast<double>(hi)));
    std::vector<Real> v(kElements);
    for (auto& x : v) {
        const double magnitude = std::exp2(exponent(g));
        x = static_cast<Real>(signed_values && (g() & 1) != 0 ? -magnitude : magnitude);
    }
    return v;
}

// Pairs for the two-operand functions.
template <typename A, typename B>
struct Pair {
    A first;
    B second;
};

template <typename A, typename B>
std::vector<Pair<A, B>> zip(const std::vector<A>& a, const std::vector<B>& b)
{
    std::vector<Pair<A, B>> v(std::min(a.size(), b.size()));
    for (std::size_t i = 0; i < v.size(); ++i) v[i] = Pair<A, B>{a[i], b[i]};
    return v;
}

// 16-bit patterns: normal_reals rounded to the format, and random bits.
inline std::vector<NamedInputs<std::uint16_t>> bfloat16_patterns()
{
    std::vector<std::uint16_t> normal;
    for (float x : normal_reals<float>()) normal.push_back(qx_math_func_host___float2bfloat16_rn(x).bits);
    return {{"normal", normal}, {"bits", random_bits<std::uint16_t>()}};
}

inline std::vector<NamedInputs<std::uint16_t>> half_patterns()
{
    std::vector<std::uint16_t> normal;
    for (float x : normal_reals<float>()) normal.push_back(qx_math_func_host___float2half_rn(x).bits);
    return {{"normal", normal}, {"bits", random_bits<std::uint16_t>()}};
}

// The two sets every conversion and selection is timed on; another stream
// gives independent values (the second operand of a binary function).
template <typename T>
std::vector<NamedInputs<T>> normal_and_bits(std::uint64_t stream = 0)
{
    const std::uint64_t seed = 16 * stream;
    if constexpr (std::is_floating_point<T>::value) {
        return {{"normal", normal_reals<T>(seed + 1)}, {"bits", random_values_of_bits<T>(seed + 2)}};
    } else {
        return {{"normal", normal_integers<T>(seed + 3)}, {"bits", random_values_of_bits<T>(seed + 2)}};
    }
}

// The sets of a and b paired element by element, set by set.
template <typename A, typename B>
std::vector<NamedInputs<Pair<A, B>>> zip(const std::vector<NamedInputs<A>>& a, const std::vector<NamedInputs<B>>& b)
{
    std::vector<NamedInputs<Pair<A, B>>> pairs;
    for (std::size_t k = 0; k < std::min(a.size(), b.size()); ++k) {
        pairs.push_back({a[k].name, zip(a[k].values, b[k].values)});
    }
    return pairs;
}

}  // namespace bench

#endif  // HOSTMATH_BENCH_INPUTS_H
