// The maths core on its own: each of its ten functions as one lane and as
// blocks of 64 lanes, compiled for the baseline and with the x86-64-v3 (and,
// for 64 lanes, v4) instructions, beside glibc's function of the same name
// and, where the library is installed, SLEEF's AVX2 vector function of 1-ulp
// accuracy (bench_vector.h).  Family "core".
#include "bench_inputs.h"
#include "bench_vector.h"

#include "math/core.h"

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

namespace {

using hostmath::detail::Lanes;

// The core's functions by an index, for the templates below.
enum Function { kLog, kExp, kSin, kCos, kCbrt };

template <Function F, class L, typename T>
HOSTMATH_ALWAYS_INLINE void core_lanes(const T (&x)[L::kCount], T (&y)[L::kCount])
{
    namespace core = hostmath::core;
    if constexpr (F == kLog) core::log_of<L>(x, y);
    else if constexpr (F == kExp) core::exp_of<L>(x, y);
    else if constexpr (F == kSin) core::sin_of<L>(x, y);
    else if constexpr (F == kCos) core::cos_of<L>(x, y);
    else core::cbrt_of<L>(x, y);
}

// n elements, L::kCount at a time (n is a multiple of 64).
template <Function F, class L, typename T>
HOSTMATH_ALWAYS_INLINE void core_array(const T* in, T* out, std::size_t n)
{
    for (std::size_t i = 0; i < n; i += L::kCount)
        core_lanes<F, L>(*reinterpret_cast<const T(*)[L::kCount]>(in + i), *reinterpret_cast<T(*)[L::kCount]>(out + i));
}

template <Function F, std::size_t kLanes, typename T>
void baseline(const T* in, T* out, std::size_t n)
{
    core_array<F, Lanes<kLanes, false>>(in, out, n);
}

#if defined(__x86_64__)
template <Function F, std::size_t kLanes, typename T>
__attribute__((target(BENCH_V3))) void v3(const T* in, T* out, std::size_t n)
{
    core_array<F, Lanes<kLanes, true>>(in, out, n);
}
template <Function F, typename T>
__attribute__((target(BENCH_V4))) void v4(const T* in, T* out, std::size_t n)
{
    core_array<F, Lanes<64, true>>(in, out, n);
}

template <typename T, std::size_t K>
void* sleef_of = nullptr;  // one per function and type, for the plain function below

template <typename T, std::size_t K>
void sleef(const T* in, T* out, std::size_t n)
{
    bench::sleef_map<T>(sleef_of<T, K>, in, out, n);
}
#endif

template <Function F, typename T>
void glibc(const T* in, T* out, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        if constexpr (F == kLog) out[i] = std::log(in[i]);
        else if constexpr (F == kExp) out[i] = std::exp(in[i]);
        else if constexpr (F == kSin) out[i] = std::sin(in[i]);
        else if constexpr (F == kCos) out[i] = std::cos(in[i]);
        else out[i] = std::cbrt(in[i]);
    }
}

template <typename T>
void add(const std::string& function, const std::string& implementation, const bench::NamedInputs<T>& inputs,
         void (*f)(const T*, T*, std::size_t))
{
    benchmark::RegisterBenchmark(bench::name("core", function, implementation, inputs.name).c_str(),
                                 [values = inputs.values, f](benchmark::State& state) {
                                     std::vector<T> out(values.size());
                                     for (auto _ : state) {
                                         f(values.data(), out.data(), values.size());
                                         benchmark::ClobberMemory();
                                     }
                                     bench::report_elements(state, values.size(), sizeof(T));
                                 });
}

template <Function F, typename T>
void add_function(const std::string& function, const std::string& sleef_name,
                  const std::vector<bench::NamedInputs<T>>& sets)
{
    static_assert(bench::kElements % 64 == 0, "whole blocks");
    for (const auto& inputs : sets) {
        add<T>(function, "glibc", inputs, glibc<F, T>);
        add<T>(function, "hostmath-core 1 lane baseline", inputs, baseline<F, 1, T>);
        add<T>(function, "hostmath-core 64 lanes baseline", inputs, baseline<F, 64, T>);
#if defined(__x86_64__)
        if (!bench::has_v3()) continue;
        add<T>(function, "hostmath-core 1 lane v3", inputs, v3<F, 1, T>);
        add<T>(function, "hostmath-core 64 lanes v3", inputs, v3<F, 64, T>);
        if (bench::has_v4()) add<T>(function, "hostmath-core 64 lanes v4", inputs, v4<F, T>);
        if ((sleef_of<T, F> = bench::sleef_symbol(sleef_name)) != nullptr)
            add<T>(function, "SLEEF " + sleef_name, inputs, sleef<T, F>);
#else
        (void)sleef_name;
#endif
    }
}

const bool registered = [] {
    const std::vector<bench::NamedInputs<double>> exp_d{{"x in (-10, 10)", bench::uniform<double>(-10, 10)},
                                                        {"x in (-700, 700)", bench::uniform<double>(-700, 700)}};
    const std::vector<bench::NamedInputs<double>> log_d{
        {"x in (0.5, 2)", bench::uniform<double>(0.5, 2)},
        {"x in (2^-1000, 2^1000)", bench::log_uniform<double>(0x1p-1000, 0x1p1000, false)}};
    const std::vector<bench::NamedInputs<double>> trig_d{
        {"x in (-8, 8)", bench::uniform<double>(-8, 8)},
        {"|x| in (2^-10, 2^30), log-uniform", bench::log_uniform<double>(0x1p-10, 0x1p30, true)}};
    const std::vector<bench::NamedInputs<double>> cbrt_d{
        {"x in ±(2^-30, 2^30), log-uniform", bench::log_uniform<double>(0x1p-30, 0x1p30, true)},
        {"bits", bench::random_values_of_bits<double>()}};
    add_function<kExp, double>("exp", "Sleef_expd4_u10avx2", exp_d);
    add_function<kLog, double>("log", "Sleef_logd4_u10avx2", log_d);
    add_function<kSin, double>("sin", "Sleef_sind4_u10avx2", trig_d);
    add_function<kCos, double>("cos", "Sleef_cosd4_u10avx2", trig_d);
    add_function<kCbrt, double>("cbrt", "Sleef_cbrtd4_u10avx2", cbrt_d);

    const std::vector<bench::NamedInputs<float>> exp_f{{"x in (-80, 80)", bench::uniform<float>(-80, 80)}};
    const std::vector<bench::NamedInputs<float>> log_f{
        {"x in (2^-30, 2^30), log-uniform", bench::log_uniform<float>(0x1p-30f, 0x1p30f, false)}};
    const std::vector<bench::NamedInputs<float>> trig_f{{"x in (-100, 100)", bench::uniform<float>(-100, 100)}};
    const std::vector<bench::NamedInputs<float>> cbrt_f{
        {"x in ±(2^-30, 2^30), log-uniform", bench::log_uniform<float>(0x1p-30f, 0x1p30f, true)}};
    add_function<kExp, float>("expf", "Sleef_expf8_u10avx2", exp_f);
    add_function<kLog, float>("logf", "Sleef_logf8_u10avx2", log_f);
    add_function<kSin, float>("sinf", "Sleef_sinf8_u10avx2", trig_f);
    add_function<kCos, float>("cosf", "Sleef_cosf8_u10avx2", trig_f);
    add_function<kCbrt, float>("cbrtf", "Sleef_cbrtf8_u10avx2", cbrt_f);
    return true;
}();

}  // namespace
