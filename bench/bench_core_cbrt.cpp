// The maths core's binary64 cube root: one lane (a call per element, as the
// exported scalar function makes) and 64 lanes at a time, compiled for the
// baseline and with the x86-64-v3 (and v4) instructions, beside glibc's cbrt
// and, where the library is installed, SLEEF's four-lane AVX2 cube root of
// 1-ulp accuracy.  SLEEF is looked up at run time (dlopen), never linked.
#include "bench_inputs.h"

#include "math/cbrt.h"

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

template <class L>
HOSTMATH_ALWAYS_INLINE double one_lane(double x)
{
    const double in[1] = {x};
    double out[1];
    hostmath::core::cbrt<L>(in, out);
    return out[0];
}

// n is a multiple of 64.
template <class L>
HOSTMATH_ALWAYS_INLINE void blocks(const double* in, double* out, std::size_t n)
{
    for (std::size_t i = 0; i < n; i += L::kCount)
        hostmath::core::cbrt<L>(*reinterpret_cast<const double(*)[L::kCount]>(in + i),
                                *reinterpret_cast<double(*)[L::kCount]>(out + i));
}

__attribute__((noinline)) double scalar_baseline(double x) { return one_lane<Lanes<1, false>>(x); }
void blocks_baseline(const double* in, double* out, std::size_t n) { blocks<Lanes<64, false>>(in, out, n); }
void glibc(const double* in, double* out, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) out[i] = std::cbrt(in[i]);
}
void calls_baseline(const double* in, double* out, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) out[i] = scalar_baseline(in[i]);
}

#if defined(__x86_64__)
#define CBRT_BENCH_V3 "popcnt,sse3,ssse3,sse4.1,sse4.2,cx16,sahf,avx,avx2,fma,bmi,bmi2,f16c,lzcnt,movbe,xsave"
#define CBRT_BENCH_V4 CBRT_BENCH_V3 ",avx512f,avx512bw,avx512cd,avx512dq,avx512vl"
__attribute__((noinline, target(CBRT_BENCH_V3))) double scalar_v3(double x) { return one_lane<Lanes<1, true>>(x); }
void calls_v3(const double* in, double* out, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) out[i] = scalar_v3(in[i]);
}
__attribute__((target(CBRT_BENCH_V3))) void blocks_v3(const double* in, double* out, std::size_t n)
{
    blocks<Lanes<64, true>>(in, out, n);
}
__attribute__((target(CBRT_BENCH_V4))) void blocks_v4(const double* in, double* out, std::size_t n)
{
    blocks<Lanes<64, true>>(in, out, n);
}

using Sleef4 = __m256d (*)(__m256d);
Sleef4 sleef_cbrt = nullptr;
__attribute__((target(CBRT_BENCH_V3))) void sleef(const double* in, double* out, std::size_t n)
{
    for (std::size_t i = 0; i < n; i += 4) _mm256_storeu_pd(out + i, sleef_cbrt(_mm256_loadu_pd(in + i)));
}
#endif

void add(const std::string& implementation, const bench::NamedInputs<double>& inputs, ArrayFunction f,
         bool supported = true)
{
    benchmark::RegisterBenchmark(bench::name("core-cbrt", "cbrt", implementation, inputs.name).c_str(),
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

const bool registered = [] {
    const std::vector<bench::NamedInputs<double>> sets{
        {"x in ±(2^-30, 2^30), log-uniform", bench::log_uniform<double>(0x1p-30, 0x1p30, true)},
        {"bits", bench::random_values_of_bits<double>()},
    };
#if defined(__x86_64__)
    const bool has_v3 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    const bool has_v4 = has_v3 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
                        __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl");
    if (void* library = dlopen("libsleef.so.3", RTLD_NOW | RTLD_LOCAL))
        sleef_cbrt = reinterpret_cast<Sleef4>(dlsym(library, "Sleef_cbrtd4_u10avx2"));
#endif
    for (const auto& inputs : sets) {
        add("glibc", inputs, glibc);
        add("hostmath-core 1 lane baseline", inputs, calls_baseline);
        add("hostmath-core 64 lanes baseline", inputs, blocks_baseline);
#if defined(__x86_64__)
        add("hostmath-core 1 lane v3", inputs, calls_v3, has_v3);
        add("hostmath-core 64 lanes v3", inputs, blocks_v3, has_v3);
        add("hostmath-core 64 lanes v4", inputs, blocks_v4, has_v4);
        if (has_v3 && sleef_cbrt) add("SLEEF Sleef_cbrtd4_u10avx2", inputs, sleef);
#endif
    }
    return true;
}();

}  // namespace
