// The maths core's binary32 functions (src/math/logf.h ... cbrtf.h): one lane
// and 64 lanes, each compiled for the baseline and for x86-64-v3 (AVX2, FMA),
// beside glibc's logf, expf, sinf, cosf, cbrtf and SLEEF's 8-lane AVX2
// functions of 1-ulp accuracy (Sleef_logf8_u10avx2 ...).  SLEEF is opened at
// run time when its shared library is installed, so that it is no dependency
// of the build; without it, or without AVX2, its rows are skipped.
#include "bench_scalar.h"

#include "math/cbrtf.h"
#include "math/cosf.h"
#include "math/expf.h"
#include "math/logf.h"
#include "math/sinf.h"

#include <cmath>
#include <string>

#if defined(__x86_64__) && defined(__GLIBC__)
#include <dlfcn.h>
#include <immintrin.h>
#define HOSTMATH_BENCH_CORE_X86 1
#define HOSTMATH_BENCH_V3 __attribute__((target("avx2,fma,bmi,bmi2,lzcnt,popcnt,f16c,movbe")))
#else
#define HOSTMATH_BENCH_V3
#endif

namespace {

using hostmath::detail::Lanes;
using Array = void (*)(const float*, float*, std::size_t);

// One lane and 64 lanes of a core function, for a path: Lanes<1 or 64, kFma>;
// a tail shorter than 64 lanes goes through the one-lane form.
#define HOSTMATH_BENCH_CORE_FORMS(NAME)                                                            \
    __attribute__((noinline)) float NAME##_one(float x)                                            \
    {                                                                                              \
        float y[1];                                                                                \
        hostmath::core::NAME<Lanes<1, false>>({x}, y);                                            \
        return y[0];                                                                               \
    }                                                                                              \
    __attribute__((noinline)) HOSTMATH_BENCH_V3 float NAME##_one_v3(float x)                       \
    {                                                                                              \
        float y[1];                                                                                \
        hostmath::core::NAME<Lanes<1, true>>({x}, y);                                             \
        return y[0];                                                                               \
    }                                                                                              \
    template <bool kFma>                                                                           \
    inline __attribute__((always_inline)) void NAME##_blocks(const float* in, float* out, std::size_t n) \
    {                                                                                              \
        std::size_t i = 0;                                                                         \
        for (; i + 64 <= n; i += 64)                                                               \
            hostmath::core::NAME<Lanes<64, kFma>>(*reinterpret_cast<const float(*)[64]>(in + i),  \
                                                  *reinterpret_cast<float(*)[64]>(out + i));      \
        for (; i < n; ++i) {                                                                       \
            float y[1];                                                                            \
            hostmath::core::NAME<Lanes<1, kFma>>({in[i]}, y);                                     \
            out[i] = y[0];                                                                         \
        }                                                                                          \
    }                                                                                              \
    __attribute__((noinline)) void NAME##_64(const float* in, float* out, std::size_t n)           \
    {                                                                                              \
        NAME##_blocks<false>(in, out, n);                                                          \
    }                                                                                              \
    __attribute__((noinline)) HOSTMATH_BENCH_V3 void NAME##_64_v3(const float* in, float* out, std::size_t n) \
    {                                                                                              \
        NAME##_blocks<true>(in, out, n);                                                           \
    }

HOSTMATH_BENCH_CORE_FORMS(logf)
HOSTMATH_BENCH_CORE_FORMS(expf)
HOSTMATH_BENCH_CORE_FORMS(sinf)
HOSTMATH_BENCH_CORE_FORMS(cosf)
HOSTMATH_BENCH_CORE_FORMS(cbrtf)
#undef HOSTMATH_BENCH_CORE_FORMS

bool has_v3()
{
#if defined(HOSTMATH_BENCH_CORE_X86)
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
    return false;
#endif
}

void add_array(const std::string& function, const std::string& implementation,
               const bench::NamedInputs<float>& inputs, bool supported, Array f)
{
    bench::add_array<float, float>("core-float", function, implementation, {inputs}, supported, f);
}

#if defined(HOSTMATH_BENCH_CORE_X86)
// SLEEF's 8-lane function over the array (the tail padded into one vector).
using Sleef8 = __m256 (*)(__m256);
Sleef8 sleef_of(const char* symbol)
{
    static void* library = dlopen("libsleef.so.3", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    return reinterpret_cast<Sleef8>(dlsym(library, symbol));
}

template <int kIndex>
Sleef8 sleef_function = nullptr;

template <int kIndex>
HOSTMATH_BENCH_V3 void sleef_array(const float* in, float* out, std::size_t n)
{
    const Sleef8 f = sleef_function<kIndex>;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) _mm256_storeu_ps(out + i, f(_mm256_loadu_ps(in + i)));
    if (i < n) {
        float pad[8] = {0, 0, 0, 0, 0, 0, 0, 0}, result[8];
        for (std::size_t k = 0; i + k < n; ++k) pad[k] = in[i + k];
        _mm256_storeu_ps(result, f(_mm256_loadu_ps(pad)));
        for (std::size_t k = 0; i + k < n; ++k) out[i + k] = result[k];
    }
}
#endif

template <int kIndex>
void add_function(const std::string& function, const bench::NamedInputs<float>& inputs, float (*glibc)(float),
                  float (*one)(float), float (*one_v3)(float), Array many, Array many_v3, const char* sleef)
{
    const bool v3 = has_v3();
    bench::add("core-float", function, "hostmath core 1 lane", inputs, one);
    if (v3) bench::add("core-float", function, "hostmath core 1 lane v3", inputs, one_v3);
    add_array(function, "hostmath core 64 lanes", inputs, true, many);
    add_array(function, "hostmath core 64 lanes v3", inputs, v3, many_v3);
    bench::add("core-float", function, "glibc", inputs, glibc);
#if defined(HOSTMATH_BENCH_CORE_X86)
    sleef_function<kIndex> = v3 ? sleef_of(sleef) : nullptr;
    add_array(function, std::string("SLEEF ") + sleef, inputs, sleef_function<kIndex> != nullptr,
              sleef_array<kIndex>);
#else
    (void)sleef;
#endif
}

const bool registered = [] {
    const bench::NamedInputs<float> positive{"x in (2^-30, 2^30), log-uniform",
                                             bench::log_uniform<float>(0x1p-30f, 0x1p30f, false)};
    const bench::NamedInputs<float> exp_range{"x in (-80, 80)", bench::uniform<float>(-80, 80)};
    const bench::NamedInputs<float> trig_range{"x in (-100, 100)", bench::uniform<float>(-100, 100)};
    const bench::NamedInputs<float> either_sign{"x in ±(2^-30, 2^30), log-uniform",
                                                bench::log_uniform<float>(0x1p-30f, 0x1p30f, true)};
    add_function<0>("logf", positive, ::logf, logf_one, logf_one_v3, logf_64, logf_64_v3, "Sleef_logf8_u10avx2");
    add_function<1>("expf", exp_range, ::expf, expf_one, expf_one_v3, expf_64, expf_64_v3, "Sleef_expf8_u10avx2");
    add_function<2>("sinf", trig_range, ::sinf, sinf_one, sinf_one_v3, sinf_64, sinf_64_v3, "Sleef_sinf8_u10avx2");
    add_function<3>("cosf", trig_range, ::cosf, cosf_one, cosf_one_v3, cosf_64, cosf_64_v3, "Sleef_cosf8_u10avx2");
    add_function<4>("cbrtf", either_sign, ::cbrtf, cbrtf_one, cbrtf_one_v3, cbrtf_64, cbrtf_64_v3,
                    "Sleef_cbrtf8_u10avx2");
    return true;
}();

}  // namespace
