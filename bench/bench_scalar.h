// Registration of the element-wise benchmarks: a scalar function called once
// per element of an input array, each result stored to an output array, and of
// the array conversions done by processor instructions, which run only where
// the processor has them.
#ifndef HOSTMATH_BENCH_SCALAR_H
#define HOSTMATH_BENCH_SCALAR_H

#include "bench_inputs.h"

#include <type_traits>
#include <utility>

namespace bench {

// Times out[i] = f(inputs[i]) over the array.
template <typename In, typename F>
void add(const std::string& family, const std::string& function, const std::string& implementation,
         const NamedInputs<In>& inputs, F f)
{
    benchmark::RegisterBenchmark(name(family, function, implementation, inputs.name).c_str(),
                                 [values = inputs.values, f](benchmark::State& state) {
                                     using Out = std::decay_t<decltype(f(values[0]))>;
                                     std::vector<Out> out(values.size());
                                     benchmark::DoNotOptimize(out.data());
                                     for (auto _ : state) {
                                         for (std::size_t i = 0; i < values.size(); ++i) out[i] = f(values[i]);
                                         benchmark::ClobberMemory();
                                     }
                                     report_elements(state, values.size(), sizeof(In));
                                 });
}

template <typename In, typename F>
void add(const std::string& family, const std::string& function, const std::string& implementation,
         const std::vector<NamedInputs<In>>& sets, F f)
{
    for (const auto& inputs : sets) add(family, function, implementation, inputs, f);
}

// Times convert(in, out, n) on the whole array; skipped with a message where
// supported is false (an instruction set this processor lacks).
template <typename In, typename Out>
void add_array(const std::string& family, const std::string& function, const std::string& implementation,
               const std::vector<NamedInputs<In>>& sets, bool supported, void (*convert)(const In*, Out*, std::size_t))
{
    for (const auto& inputs : sets) {
        benchmark::RegisterBenchmark(
            name(family, function, implementation, inputs.name).c_str(),
            [values = inputs.values, supported, convert, implementation](benchmark::State& state) {
                if (!supported) {
                    state.SkipWithError((implementation + " is not available on this processor").c_str());
                    return;
                }
                std::vector<Out> out(values.size());
                benchmark::DoNotOptimize(out.data());
                for (auto _ : state) {
                    convert(values.data(), out.data(), values.size());
                    benchmark::ClobberMemory();
                }
                report_elements(state, values.size(), sizeof(In));
            });
    }
}

// Times call(), which computes a whole array of elements and returns where its
// results are.
template <typename Call>
void add_array_call(const std::string& family, const std::string& function, const std::string& implementation,
                    const std::string& inputs, std::size_t elements, std::size_t bytes_per_element, Call call)
{
    benchmark::RegisterBenchmark(name(family, function, implementation, inputs).c_str(),
                                 [call, elements, bytes_per_element](benchmark::State& state) mutable {
                                     for (auto _ : state) {
                                         benchmark::DoNotOptimize(call());
                                         benchmark::ClobberMemory();
                                     }
                                     report_elements(state, elements, bytes_per_element);
                                 });
}

// Each element paired with the next one (cyclically), for the functions of
// two operands of one type.
template <typename T>
std::vector<NamedInputs<Pair<T, T>>> neighbour_pairs(const std::vector<NamedInputs<T>>& sets)
{
    std::vector<NamedInputs<Pair<T, T>>> pairs;
    for (const auto& s : sets) {
        std::vector<Pair<T, T>> v(s.values.size());
        for (std::size_t i = 0; i < v.size(); ++i) v[i] = {s.values[i], s.values[(i + 1) % v.size()]};
        pairs.push_back({s.name, std::move(v)});
    }
    return pairs;
}

}  // namespace bench

#endif  // HOSTMATH_BENCH_SCALAR_H
