// The maths core's correctly rounded exp and log (src/math/) beside glibc's
// exp and log and, where the library is installed and the processor has AVX2,
// SLEEF's 1-ulp four-lane Sleef_expd4_u10avx2 and Sleef_logd4_u10avx2 (looked
// up at run time, so that the build does not depend on it).  Each core form is
// timed as the baseline copy (SSE2, no FMA) and as an x86-64-v3 copy made with
// a target attribute: the one-lane form per element, and the 64-lane form over
// the array in blocks.
#include "bench_scalar.h"

#include "math/exp.h"
#include "math/log.h"

#include <cmath>
#include <cstddef>

#if defined(__x86_64__)
#include <dlfcn.h>
#include <immintrin.h>
#define HOSTMATH_BENCH_V3 __attribute__((target("arch=x86-64-v3")))
#endif

namespace {

using hostmath::detail::Lanes;
constexpr std::size_t kBlock = 64;

template <class L, bool kExp>
HOSTMATH_ALWAYS_INLINE void core_block(const double* x, double* y)
{
    const auto& in = *reinterpret_cast<const double(*)[L::kCount]>(x);
    auto& out = *reinterpret_cast<double(*)[L::kCount]>(y);
    if constexpr (kExp) hostmath::core::exp<L>(in, out);
    else hostmath::core::log<L>(in, out);
}

template <bool kExp>
double one_baseline(double x)
{
    double y;
    core_block<Lanes<1, false>, kExp>(&x, &y);
    return y;
}

template <bool kExp>
void array_baseline(const double* x, double* y, std::size_t n)
{
    for (std::size_t i = 0; i < n; i += kBlock) core_block<Lanes<kBlock, false>, kExp>(x + i, y + i);
}

#if defined(__x86_64__)
template <bool kExp>
HOSTMATH_BENCH_V3 double one_v3(double x)
{
    double y;
    core_block<Lanes<1, true>, kExp>(&x, &y);
    return y;
}

template <bool kExp>
HOSTMATH_BENCH_V3 void array_v3(const double* x, double* y, std::size_t n)
{
    for (std::size_t i = 0; i < n; i += kBlock) core_block<Lanes<kBlock, true>, kExp>(x + i, y + i);
}

using Sleef4 = __m256d (*)(__m256d);

Sleef4 sleef_function(const char* symbol)
{
    if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("fma")) return nullptr;
    void* library = dlopen("libsleef.so.3", RTLD_NOW | RTLD_LOCAL);
    return library != nullptr ? reinterpret_cast<Sleef4>(dlsym(library, symbol)) : nullptr;
}

HOSTMATH_BENCH_V3 void sleef_array(Sleef4 f, const double* x, double* y, std::size_t n)
{
    for (std::size_t i = 0; i < n; i += 4) _mm256_storeu_pd(y + i, f(_mm256_loadu_pd(x + i)));
}
#endif

void add_array(const std::string& function, const std::string& implementation,
               const bench::NamedInputs<double>& inputs, void (*f)(const double*, double*, std::size_t))
{
    benchmark::RegisterBenchmark(bench::name("core", function, implementation, inputs.name).c_str(),
                                 [values = inputs.values, f](benchmark::State& state) {
                                     std::vector<double> out(values.size());
                                     benchmark::DoNotOptimize(out.data());
                                     for (auto _ : state) {
                                         f(values.data(), out.data(), values.size());
                                         benchmark::ClobberMemory();
                                     }
                                     bench::report_elements(state, values.size(), sizeof(double));
                                 });
}

template <bool kExp>
void add_function(const std::string& function, double (*glibc)(double), const char* sleef_symbol,
                  const std::vector<bench::NamedInputs<double>>& sets)
{
    static_assert(bench::kElements % kBlock == 0, "whole blocks");
    for (const auto& inputs : sets) {
        bench::add("core", function, "hostmath-core-1-lane-baseline", inputs, one_baseline<kExp>);
        add_array(function, "hostmath-core-64-lanes-baseline", inputs, array_baseline<kExp>);
#if defined(__x86_64__)
        if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) {
            bench::add("core", function, "hostmath-core-1-lane-v3", inputs, one_v3<kExp>);
            add_array(function, "hostmath-core-64-lanes-v3", inputs, array_v3<kExp>);
        }
        if (Sleef4 s = sleef_function(sleef_symbol)) {
            static Sleef4 peer;  // one per function: captured by the plain function below
            peer = s;
            add_array(function, std::string("SLEEF ") + sleef_symbol, inputs,
                      [](const double* x, double* y, std::size_t n) { sleef_array(peer, x, y, n); });
        }
#else
        (void)sleef_symbol;
#endif
        bench::add("core", function, "glibc", inputs, glibc);
    }
}

const bool registered = [] {
    add_function<true>("exp", [](double x) { return std::exp(x); }, "Sleef_expd4_u10avx2",
                       {{"x in (-10, 10)", bench::uniform<double>(-10, 10)},
                        {"x in (-700, 700)", bench::uniform<double>(-700, 700)}});
    add_function<false>("log", [](double x) { return std::log(x); }, "Sleef_logd4_u10avx2",
                        {{"x in (0.5, 2)", bench::uniform<double>(0.5, 2)},
                         {"x in (2^-1000, 2^1000)", bench::log_uniform<double>(0x1p-1000, 0x1p1000, false)}});
    return true;
}();

}  // namespace
