// The maths core's binary64 sine and cosine: one lane at a time and 64 lanes
// at a time, each compiled for the baseline and with the x86-64-v3 (and v4)
// instructions, beside glibc's sin and cos and, where the library is
// installed, SLEEF's four-lane AVX2 functions of 1-ulp accuracy.  SLEEF is a
// peer only: it is looked up at run time (dlopen), never linked.
#include "bench_inputs.h"

#include "math/cos.h"
#include "math/sin.h"

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#if defined(__x86_64__)
#include <dlfcn.h>
#include <immintrin.h>
#endif

namespace {

using hostmath::detail::Lanes;
using ArrayFunction = void (*)(const double*, double*, std::size_t);

// n elements, one lane at a time or in blocks of 64 (n is a multiple of 64).
template <class L, bool kCosine>
HOSTMATH_ALWAYS_INLINE void core_array(const double* in, double* out, std::size_t n)
{
    for (std::size_t i = 0; i < n; i += L::kCount) {
        const double(&x)[L::kCount] = *reinterpret_cast<const double(*)[L::kCount]>(in + i);
        double(&y)[L::kCount] = *reinterpret_cast<double(*)[L::kCount]>(out + i);
        if constexpr (kCosine) hostmath::core::cos<L>(x, y);
        else hostmath::core::sin<L>(x, y);
    }
}

template <std::size_t kLanes, bool kCosine>
void baseline(const double* in, double* out, std::size_t n)
{
    core_array<Lanes<kLanes, false>, kCosine>(in, out, n);
}

#if defined(__x86_64__)
#define BENCH_V3 "popcnt,sse3,ssse3,sse4.1,sse4.2,cx16,sahf,avx,avx2,fma,bmi,bmi2,f16c,lzcnt,movbe,xsave"
#define BENCH_V4 BENCH_V3 ",avx512f,avx512bw,avx512cd,avx512dq,avx512vl"
template <std::size_t kLanes, bool kCosine>
__attribute__((target(BENCH_V3))) void v3(const double* in, double* out, std::size_t n)
{
    core_array<Lanes<kLanes, true>, kCosine>(in, out, n);
}
template <bool kCosine>
__attribute__((target(BENCH_V4))) void v4(const double* in, double* out, std::size_t n)
{
    core_array<Lanes<64, true>, kCosine>(in, out, n);
}

// SLEEF's Sleef_sind4_u10avx2 and Sleef_cosd4_u10avx2, if the library is there.
using Sleef4 = __m256d (*)(__m256d);
Sleef4 sleef_function(const char* name)
{
    static void* library = dlopen("libsleef.so.3", RTLD_NOW | RTLD_LOCAL);
    return library ? reinterpret_cast<Sleef4>(dlsym(library, name)) : nullptr;
}
Sleef4 sleef_sin = nullptr, sleef_cos = nullptr;
template <bool kCosine>
__attribute__((target("avx2,fma"))) void sleef(const double* in, double* out, std::size_t n)
{
    const Sleef4 f = kCosine ? sleef_cos : sleef_sin;
    for (std::size_t i = 0; i < n; i += 4) _mm256_storeu_pd(out + i, f(_mm256_loadu_pd(in + i)));
}
#endif

template <bool kCosine>
void glibc(const double* in, double* out, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) out[i] = kCosine ? std::cos(in[i]) : std::sin(in[i]);
}

void add(const std::string& function, const std::string& implementation, const bench::NamedInputs<double>& inputs,
         ArrayFunction f, bool supported = true)
{
    benchmark::RegisterBenchmark(bench::name("core-trig", function, implementation, inputs.name).c_str(),
                                 [values = inputs.values, f, supported](benchmark::State& state) {
                                     if (!supported) {
                                         state.SkipWithError("not available on this machine");
                                         return;
                                     }
                                     std::vector<double> out(values.size());
                                     for (auto _ : state) {
                                         f(values.data(), out.data(), values.size());
                                         benchmark::ClobberMemory();
                                     }
                                     bench::report_elements(state, values.size(), sizeof(double));
                                 });
}

template <bool kCosine>
void register_function(const std::string& function)
{
    const std::vector<bench::NamedInputs<double>> sets{
        {"x in (-8, 8)", bench::uniform<double>(-8, 8)},
        {"|x| in (2^-10, 2^30), log-uniform", bench::log_uniform<double>(0x1p-10, 0x1p30, true)},
    };
    for (const auto& inputs : sets) {
        add(function, "glibc", inputs, glibc<kCosine>);
        add(function, "hostmath-core 1 lane baseline", inputs, baseline<1, kCosine>);
        add(function, "hostmath-core 64 lanes baseline", inputs, baseline<64, kCosine>);
#if defined(__x86_64__)
        const bool has_v3 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
        const bool has_v4 = has_v3 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
                            __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl");
        add(function, "hostmath-core 1 lane v3", inputs, v3<1, kCosine>, has_v3);
        add(function, "hostmath-core 64 lanes v3", inputs, v3<64, kCosine>, has_v3);
        add(function, "hostmath-core 64 lanes v4", inputs, v4<kCosine>, has_v4);
        if (has_v3 && (kCosine ? sleef_cos : sleef_sin))
            add(function, kCosine ? "SLEEF Sleef_cosd4_u10avx2" : "SLEEF Sleef_sind4_u10avx2", inputs,
                sleef<kCosine>);
#endif
    }
}

const bool registered = [] {
#if defined(__x86_64__)
    sleef_sin = sleef_function("Sleef_sind4_u10avx2");
    sleef_cos = sleef_function("Sleef_cosd4_u10avx2");
#endif
    register_function<false>("sin");
    register_function<true>("cos");
    return true;
}();

}  // namespace
