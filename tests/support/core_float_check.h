// The check of the maths core's binary32 functions (logf, expf, sinf, cosf,
// cbrtf) on blocks of 64 inputs, shared by the strided sample of
// tests/core_float.cpp and the sweep over every float of
// tests/full_core_float.cpp.
//
// The expected float comes from the C library's double function of the same
// name (within a few ulps of double, far below the 2^-46 relative margin used
// here): when the margin around it rounds to one float, that float is the
// correctly rounded value; otherwise MPFR decides.  NaN arguments must come
// back quieted with their payload and sign; NaN results of other arguments are
// the positive quiet NaN.
#ifndef HOSTMATH_TEST_CORE_FLOAT_CHECK_H
#define HOSTMATH_TEST_CORE_FLOAT_CHECK_H

#include "correctly_rounded.h"
#include "test_bits.h"

#include "math/cbrtf.h"
#include "math/cosf.h"
#include "math/expf.h"
#include "math/logf.h"
#include "math/sinf.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace core_float {

using hostmath::detail::Lanes;
using Block = float[64];

// One function: its name, the reference pieces and the core's forms.
struct Function {
    const char* name;
    double (*system)(double);       // the C library's double function
    accuracy::MpfrFunction mpfr;
    void (*base)(const Block&, Block&);  // Lanes<64, false>
    void (*fma)(const Block&, Block&);   // Lanes<64, true>: the C library's fma on a baseline build
    void (*one)(const float (&)[1], float (&)[1]);      // Lanes<1, false>
    void (*one_fma)(const float (&)[1], float (&)[1]);  // Lanes<1, true>
    // The fast path alone, 64 lanes without fma: results and flags.
    void (*fast)(const Block&, Block&, hostmath::core::float_detail::Flag (&)[64]);
    float (*accurate_checked)(float, bool&);  // null for cbrtf, exact by construction
};

#define HOSTMATH_CORE_FLOAT_FUNCTION(NAME, SYSTEM, MPFR, FAST, CHECKED)                                         \
    Function                                                                                                   \
    {                                                                                                          \
        #NAME, [](double v) { return SYSTEM(v); }, MPFR,                                                       \
            [](const Block& x, Block& y) { hostmath::core::NAME<Lanes<64, false>>(x, y); },                  \
            [](const Block& x, Block& y) { hostmath::core::NAME<Lanes<64, true>>(x, y); },                   \
            [](const float(&x)[1], float(&y)[1]) { hostmath::core::NAME<Lanes<1, false>>(x, y); },          \
            [](const float(&x)[1], float(&y)[1]) { hostmath::core::NAME<Lanes<1, true>>(x, y); },           \
            [](const Block& x, Block& y, hostmath::core::float_detail::Flag(&f)[64]) { FAST(x, y, f); }, CHECKED \
    }

inline const Function kFunctions[] = {
    HOSTMATH_CORE_FLOAT_FUNCTION(logf, std::log, mpfr_log, (hostmath::core::float_detail::logf_fast<Lanes<64, false>>),
                                 hostmath::core::float_detail::logf_accurate_checked),
    HOSTMATH_CORE_FLOAT_FUNCTION(expf, std::exp, mpfr_exp, (hostmath::core::float_detail::expf_fast<Lanes<64, false>>),
                                 hostmath::core::float_detail::expf_accurate_checked),
    HOSTMATH_CORE_FLOAT_FUNCTION(sinf, std::sin, mpfr_sin,
                                 (hostmath::core::float_detail::sincosf_fast<Lanes<64, false>, false>),
                                 hostmath::core::float_detail::sinf_accurate_checked),
    HOSTMATH_CORE_FLOAT_FUNCTION(cosf, std::cos, mpfr_cos,
                                 (hostmath::core::float_detail::sincosf_fast<Lanes<64, false>, true>),
                                 hostmath::core::float_detail::cosf_accurate_checked),
    HOSTMATH_CORE_FLOAT_FUNCTION(cbrtf, std::cbrt, mpfr_cbrt,
                                 (hostmath::core::float_detail::cbrtf_fast<Lanes<64, false>>), nullptr),
};
#undef HOSTMATH_CORE_FLOAT_FUNCTION

// The 64-lane fma forms compiled for AVX2 and FMA, so that the fused
// multiply-adds are instructions, as in the library's x86-64-v3 path.
#if defined(__x86_64__)
#define HOSTMATH_CORE_FLOAT_FMA_TARGET __attribute__((target("avx2,fma")))
#else
#define HOSTMATH_CORE_FLOAT_FMA_TARGET
#endif
#define HOSTMATH_CORE_FLOAT_FMA_COPY(NAME) \
    HOSTMATH_CORE_FLOAT_FMA_TARGET inline void NAME##_fma(const Block& x, Block& y) \
    { \
        hostmath::core::NAME<Lanes<64, true>>(x, y); \
    }
HOSTMATH_CORE_FLOAT_FMA_COPY(logf)
HOSTMATH_CORE_FLOAT_FMA_COPY(expf)
HOSTMATH_CORE_FLOAT_FMA_COPY(sinf)
HOSTMATH_CORE_FLOAT_FMA_COPY(cosf)
HOSTMATH_CORE_FLOAT_FMA_COPY(cbrtf)
#undef HOSTMATH_CORE_FLOAT_FMA_COPY

// The fma form to check beside the baseline one: the native copy where the
// processor has the instructions.
inline void (*fma_form(std::size_t index))(const Block&, Block&)
{
    static void (*const native[])(const Block&, Block&) = {logf_fma, expf_fma, sinf_fma, cosf_fma, cbrtf_fma};
#if defined(__x86_64__)
    if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("fma")) return kFunctions[index].fma;
#endif
    return native[index];
}

// The correctly rounded f(x), bit for bit, with the NaN conventions above.
inline float expected(const Function& f, float x)
{
    const std::uint32_t u = testbits::u32(x);
    if ((u & 0x7fffffffu) > 0x7f800000u) return testbits::f32(u | 0x400000u);
    const double y = f.system(x);
    if (std::isnan(y)) return testbits::f32(0x7fc00000u);
    const float below = static_cast<float>(y - std::fabs(y) * 0x1p-46);
    const float above = static_cast<float>(y + std::fabs(y) * 0x1p-46);
    if (testbits::u32(below) == testbits::u32(above)) return below;
    return accuracy::correctly_rounded<float>(f.mpfr, x);
}

// What a block check saw.
struct Tally {
    std::uint64_t wrong = 0;      // results that are not the correctly rounded value
    std::uint64_t uncertain = 0;  // accurate-path results its own test could not prove
};

inline void report(const Function& f, const char* form, float x, float got, float want)
{
    std::fprintf(stderr, "%s %s(%a = 0x%08x) = %a (0x%08x), want %a (0x%08x)\n", form, f.name, x, testbits::u32(x),
                 got, testbits::u32(got), want, testbits::u32(want));
}

// Checks one block of inputs with the 64-lane forms given (base and, when
// given, a second copy compiled with fma), and the accurate path's own test
// on the lanes the fast path flags.
inline Tally check_block(const Function& f, const Block& x, void (*base)(const Block&, Block&),
                         void (*second)(const Block&, Block&))
{
    Tally tally;
    Block y, y2, fast_y;
    hostmath::core::float_detail::Flag flag[64];
    base(x, y);
    if (second != nullptr) second(x, y2);
    f.fast(x, fast_y, flag);
    for (int i = 0; i < 64; ++i) {
        const float want = expected(f, x[i]);
        const bool ok = accuracy::same_bits(y[i], want) && (second == nullptr || accuracy::same_bits(y2[i], want));
        if (!ok) {
            ++tally.wrong;
            if (tally.wrong <= 4) report(f, "64 lanes", x[i], accuracy::same_bits(y[i], want) ? y2[i] : y[i], want);
        }
        if (flag[i] != 0 && f.accurate_checked != nullptr) {
            bool certain = true;
            f.accurate_checked(x[i], certain);
            if (!certain) {
                ++tally.uncertain;
                std::fprintf(stderr, "%s accurate path uncertain at %a (0x%08x)\n", f.name, x[i], testbits::u32(x[i]));
            }
        }
    }
    return tally;
}

}  // namespace core_float

#endif  // HOSTMATH_TEST_CORE_FLOAT_CHECK_H
