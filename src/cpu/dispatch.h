// Processor paths of the exported functions.
//
// On x86-64 an exported function marked HOSTMATH_DISPATCHED is compiled two
// times, for the baseline and for x86-64-v3 (AVX2, FMA, BMI, F16C), and one
// marked HOSTMATH_DISPATCHED_WIDE a third time, for x86-64-v4 (AVX-512), where
// the array loops gain from the wider vectors.  The exported symbol is a GNU
// indirect function: the loader asks its resolver once per process which copy
// to bind, and every later call goes straight to that copy through the
// procedure linkage table, as any call into a shared library does.
//
// Every copy computes the same bits.  The function body and everything it
// calls inline (the kernels, std::fma, std::floor) are inlined into each copy
// ("flatten"), so that each is compiled for the copy's instruction set; the
// copies differ only in the instructions chosen, never in the operations:
// contraction stays off, and a fused multiply-add, floor and ceil are correctly
// rounded whether an instruction or the C library computes them.  The copies
// name instruction-set extensions rather than an architecture, so that the
// compiler may inline the ordinary inline functions of the kernels into them.
//
// The path is the highest level the processor runs (dispatch.cpp); the
// environment variable HOSTMATH_TEST_X86_64_LEVEL (baseline, v3 or v4) caps it,
// for the tests that run each path.
//
// One copy serves where there is nothing to choose or the choice cannot run:
// on other architectures, in a build for a fixed level (HOSTMATH_X86_64_LEVEL
// defines HOSTMATH_FIXED_PATH), and under ThreadSanitizer, whose runtime is not
// ready when the loader runs the resolvers.
//
// Use: the line that would name the exported function,
//     float qx_math_func_host_erfinvf(float x)
// becomes
//     HOSTMATH_DISPATCHED(float, qx_math_func_host_erfinvf, (float x))
// and the body follows unchanged.
#ifndef HOSTMATH_DISPATCH_H
#define HOSTMATH_DISPATCH_H

#if defined(__SANITIZE_THREAD__)
#define HOSTMATH_DISPATCH_UNDER_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define HOSTMATH_DISPATCH_UNDER_TSAN 1
#endif
#endif

#if defined(__x86_64__) && defined(__ELF__) && (defined(__GNUC__) || defined(__clang__)) && \
    !defined(HOSTMATH_FIXED_PATH) && !defined(HOSTMATH_DISPATCH_UNDER_TSAN)
#define HOSTMATH_DISPATCH_X86 1
#endif

#if defined(HOSTMATH_DISPATCH_X86)

namespace hostmath {
namespace detail {

// The paths, in the order of the instruction sets they need.
enum class Path : int { kBaseline = 0, kV3 = 1, kV4 = 2 };

// The path of this process: the processor's level capped by the variable,
// decided on the first call and kept.
Path selected_path();

#define HOSTMATH_X86_64_V3 "popcnt,sse3,ssse3,sse4.1,sse4.2,cx16,sahf,avx,avx2,fma,bmi,bmi2,f16c,lzcnt,movbe,xsave"
#define HOSTMATH_X86_64_V4 HOSTMATH_X86_64_V3 ",avx512f,avx512bw,avx512cd,avx512dq,avx512vl"

// The copies of Body, and the choice among them.
template <auto Body>
struct Paths;

template <typename R, typename... A, R (*Body)(A...)>
struct Paths<Body> {
    using Function = R (*)(A...);

    __attribute__((flatten)) static R baseline(A... a) { return Body(a...); }
    __attribute__((flatten, target(HOSTMATH_X86_64_V3))) static R v3(A... a) { return Body(a...); }
    __attribute__((flatten, target(HOSTMATH_X86_64_V4))) static R v4(A... a) { return Body(a...); }

    // Only the copies up to kWidest are instantiated.
    template <Path kWidest>
    static Function pick()
    {
        const Path path = selected_path();
        if constexpr (kWidest >= Path::kV4)
            if (path >= Path::kV4) return v4;
        if (path >= Path::kV3) return v3;
        return baseline;
    }
};

}  // namespace detail
}  // namespace hostmath

// The body becomes a file-local inline function; the exported name an
// indirect function whose resolver (C linkage, so that the attribute can name
// it) picks the copy.
#define HOSTMATH_DISPATCH_PATHS(Ret, name, params, widest)                                                 \
    static inline __attribute__((always_inline)) Ret name##_body params;                                  \
    extern "C" __attribute__((used)) decltype(&name##_body) name##_resolver()                             \
    {                                                                                                      \
        return hostmath::detail::Paths<name##_body>::template pick<widest>();                             \
    }                                                                                                      \
    Ret name params __attribute__((ifunc(#name "_resolver")));                                           \
    static inline __attribute__((always_inline)) Ret name##_body params

#define HOSTMATH_DISPATCHED(Ret, name, params) \
    HOSTMATH_DISPATCH_PATHS(Ret, name, params, hostmath::detail::Path::kV3)
#define HOSTMATH_DISPATCHED_WIDE(Ret, name, params) \
    HOSTMATH_DISPATCH_PATHS(Ret, name, params, hostmath::detail::Path::kV4)

#else

#define HOSTMATH_DISPATCHED(Ret, name, params) Ret name params
#define HOSTMATH_DISPATCHED_WIDE(Ret, name, params) Ret name params

#endif

#endif  // HOSTMATH_DISPATCH_H
