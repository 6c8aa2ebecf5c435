// The processor paths, and the one place that asks the processor what it has.
//
// On x86-64 the library holds each exported function once per path up to its
// widest (cpu/export.h): baseline x86-64, x86-64-v3 (AVX2, FMA, BMI, F16C) and
// x86-64-v4 (AVX-512).  The path of a process is the highest level the
// processor and the operating system support (dispatch.cpp), capped by the
// environment variable HOSTMATH_TEST_X86_64_LEVEL (baseline, v3 or v4), for the
// tests that run each path.  The conversion instructions of the array forms
// (convert/x86_instructions.h) follow the same path.
//
// One copy serves where there is nothing to choose or the choice cannot run:
// on other architectures, in a build for a fixed level (HOSTMATH_X86_64_LEVEL
// defines HOSTMATH_FIXED_PATH), and under ThreadSanitizer, whose runtime is not
// ready when the loader runs the resolvers.
#ifndef HOSTMATH_CPU_DISPATCH_H
#define HOSTMATH_CPU_DISPATCH_H

#if defined(__SANITIZE_THREAD__)
#define HOSTMATH_DISPATCH_UNDER_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define HOSTMATH_DISPATCH_UNDER_TSAN 1
#endif
#endif

#if defined(__x86_64__) && defined(__ELF__) && (defined(__GNUC__) || defined(__clang__))
#define HOSTMATH_CPU_X86 1
#if !defined(HOSTMATH_FIXED_PATH) && !defined(HOSTMATH_DISPATCH_UNDER_TSAN)
#define HOSTMATH_DISPATCH_X86 1
#endif
#endif

// Code that may run while the loader relocates the library: before the C
// library, a sanitizer's runtime or (in a static executable) thread-local
// storage exist, so not instrumented and without the stack protector.
#if defined(__has_attribute)
#if __has_attribute(no_stack_protector)
#define HOSTMATH_NO_STACK_PROTECTOR __attribute__((no_stack_protector))
#endif
#if __has_attribute(disable_sanitizer_instrumentation)
#define HOSTMATH_NO_INSTRUMENTATION __attribute__((disable_sanitizer_instrumentation))
#endif
#endif
#if !defined(HOSTMATH_NO_STACK_PROTECTOR)
#define HOSTMATH_NO_STACK_PROTECTOR
#endif
#if !defined(HOSTMATH_NO_INSTRUMENTATION)
#define HOSTMATH_NO_INSTRUMENTATION __attribute__((no_sanitize("address", "undefined", "thread")))
#endif
#define HOSTMATH_EARLY HOSTMATH_NO_INSTRUMENTATION HOSTMATH_NO_STACK_PROTECTOR

namespace hostmath {
namespace detail {

// The paths, in the order of the instruction sets they need; the names are
// those of the registry's widest column.
enum class Path : int { baseline = 0, v3 = 1, v4 = 2 };

#if defined(HOSTMATH_CPU_X86)

// The path of this process: the processor's level capped by the variable,
// decided on the first call and kept.  In a build for a fixed level the
// library has one copy, but the conversion instructions still follow this.
Path selected_path();

// Whether the processor converts float to bfloat16 with AVX-512 BF16 (on the
// x86-64-v4 path only).
bool has_avx512_bf16();

#define HOSTMATH_X86_64_V3 "popcnt,sse3,ssse3,sse4.1,sse4.2,cx16,sahf,avx,avx2,fma,bmi,bmi2,f16c,lzcnt,movbe,xsave"
#define HOSTMATH_X86_64_V4 HOSTMATH_X86_64_V3 ",avx512f,avx512bw,avx512cd,avx512dq,avx512vl"

#endif

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_CPU_DISPATCH_H
