// The input sets each function is timed on, by its device name, shared by
// hostmath's rows (bench_registry.cpp) and its peers' rows, so that they land
// in one group of the tables.
#ifndef HOSTMATH_BENCH_DOMAINS_H
#define HOSTMATH_BENCH_DOMAINS_H

#include "bench_scalar.h"

#include <string>
#include <type_traits>
#include <vector>

namespace bench {

// The name without the single-precision suffix of the special, pi-scaled and
// root functions ("erfinvf" is timed on the domain of "erfinv").
inline std::string base_name(std::string name)
{
    for (const char* f : {"erfinvf", "erfcinvf", "erfcxf", "normcdff", "sinpif", "cospif", "sincospif", "rsqrtf",
                          "rcbrtf"})
        if (name == f) name.pop_back();
    return name;
}

// The sets of a function of one argument of type T.
template <typename T>
std::vector<NamedInputs<T>> domain(const std::string& function)
{
    if constexpr (std::is_floating_point_v<T>) {
        const std::string name = base_name(function);
        if (name == "erfinv") return {{"x in (-1, 1)", uniform<T>(-1, 1)}};
        if (name == "erfcinv")
            return {{"x in (0, 2)", uniform<T>(0, 2)},
                    {"x in (" + std::string(sizeof(T) == 8 ? "1e-300" : "1e-37") + ", 2^-10), log-uniform",
                     log_uniform<T>(T(sizeof(T) == 8 ? 1e-300 : 1e-37), T(0x1p-10), false)}};
        // exp(x*x) overflows above 26.6 (9.4 in single precision): the peers' domain ends below.
        if (name == "erfcx") {
            const int top = sizeof(T) == 8 ? 25 : 9;
            return {{"x in (-5, " + std::to_string(top) + ")", uniform<T>(-5, T(top))}};
        }
        if (name == "normcdf" || name == "sinpi" || name == "cospi" || name == "sincospi")
            return {{"x in (-8, 8)", uniform<T>(-8, 8)}};
        if (name == "rsqrt") return {{"x in (2^-30, 2^30), log-uniform", log_uniform<T>(T(0x1p-30), T(0x1p30), false)}};
        if (name == "rcbrt") return {{"x in ±(2^-30, 2^30), log-uniform", log_uniform<T>(T(0x1p-30), T(0x1p30), true)}};
        return normal_and_bits<T>();
    } else if constexpr (std::is_integral_v<T>) {
        return normal_and_bits<T>();
    } else if constexpr (std::is_same_v<T, __quix_bfloat16> || std::is_same_v<T, __half>) {
        std::vector<NamedInputs<T>> sets;
        for (const auto& s : std::is_same_v<T, __half> ? half_patterns() : bfloat16_patterns()) {
            std::vector<T> v(s.values.size());
            for (std::size_t i = 0; i < v.size(); ++i) v[i].bits = s.values[i];
            sets.push_back({s.name, v});
        }
        return sets;
    } else if constexpr (std::is_same_v<T, __quix_bfloat162>) {
        std::vector<NamedInputs<T>> sets;
        for (const auto& s : neighbour_pairs(domain<__quix_bfloat16>(function))) {
            std::vector<T> v;
            for (const auto& p : s.values) v.emplace_back(p.first, p.second);
            sets.push_back({s.name, v});
        }
        return sets;
    } else {  // float2
        std::vector<NamedInputs<T>> sets;
        for (const auto& s : neighbour_pairs(normal_and_bits<float>())) {
            std::vector<T> v;
            for (const auto& p : s.values) v.push_back(make_float2(p.first, p.second));
            sets.push_back({s.name, v});
        }
        return sets;
    }
}

// The sets of a function of two arguments: independent streams, element by
// element; the two floats of the bfloat16 pair builder as neighbours.
template <typename A, typename B>
std::vector<NamedInputs<Pair<A, B>>> domain(const std::string& function)
{
    if constexpr (std::is_same_v<A, float> && std::is_same_v<B, float>)
        if (function == "__floats2bfloat162_rn") return neighbour_pairs(normal_and_bits<float>());
    return zip(normal_and_bits<A>(0), normal_and_bits<B>(1));
}

}  // namespace bench

#endif  // HOSTMATH_BENCH_DOMAINS_H
