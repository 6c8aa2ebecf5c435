// How every exported function is defined: one macro, HOSTMATH_EXPORT, which
// places the guard of the caller's floating-point state and the processor
// paths that the function's row of the registry (registry.h) asks for.
//
//     HOSTMATH_EXPORT(double, qx_math_func_host_erfinv, (double x))
//     {
//         return erfinv_of<Lanes<1, kFma>>(x);
//     }
//
// The body is a template over kFma, whether the path it is compiled for has
// the fused multiply-add instruction; the lane policy (base/lanes.h) passes it
// on to the kernels, which use it only where the result does not depend on it.
//
// What the macro makes of the row:
//   - the guard: scalar functions of code fp and every array form run their
//     body under FpEnvGuard, given the arguments, and return through
//     settled() (base/fp_env.h); functions of code bits take no guard;
//   - the paths: on x86-64 the body is compiled once per path up to the row's
//     widest (baseline and x86-64-v3 for a scalar function of widest v3, and
//     x86-64-v4 too for every array form), each copy "flatten"ed so that
//     everything it calls inline is compiled for the copy's instructions; the
//     copy the processor runs is chosen at load time (cpu/dispatch.h).  The
//     copies differ only in the instructions chosen, never in the operations:
//     contraction stays off, and a fused multiply-add, floor and ceil are
//     correctly rounded whether an instruction or the C library computes them.
//     Elsewhere, in a build for a fixed x86-64 level and under ThreadSanitizer
//     there is one copy, built for the build's own target.
//
// The exported symbol is always a GNU indirect function: the loader asks its
// resolver once which copy to bind, and every call goes straight to that copy
// through the procedure linkage table, as any call into a shared library
// does.  The resolver runs while the loader relocates the library, before the
// C library (and a sanitizer's runtime) is ready: it only reads the path that
// dispatch.cpp decides with raw system calls.
//
// A function that is not in the registry does not compile here (ExportOf has
// no definition for it).
#ifndef HOSTMATH_CPU_EXPORT_H
#define HOSTMATH_CPU_EXPORT_H

#include "base/fp_env.h"
#include "base/lanes.h"
#include "cpu/dispatch.h"
#include "registry.h"

#include <type_traits>

namespace hostmath {
namespace detail {

// What an export's row asks for: a guard, and its widest path.
template <auto Export>
struct ExportOf;

template <bool kGuard, Path kWidestPath>
struct ExportTraits {
    static constexpr bool kGuarded = kGuard;
    static constexpr Path kWidest = kWidestPath;
};

#define HOSTMATH_EXPORT_TRAITS(name, R, P, family, code, widest, array, bound, c_name)                     \
    template <>                                                                                            \
    struct ExportOf<static_cast<R(*) P>(&qx_math_func_host_##name)>                                        \
        : ExportTraits<registry::Code::code == registry::Code::fp, Path::widest> {};                       \
    HOSTMATH_BATCH_TRAITS_##array(array, name, R, P)
#define HOSTMATH_BATCH_TRAITS_none(array, name, R, P)
#define HOSTMATH_BATCH_TRAITS_ARRAY(array, name, R, P)                                                     \
    template <>                                                                                            \
    struct ExportOf<HOSTMATH_REGISTRY_BATCH(array, name, R, P)> : ExportTraits<true, Path::v4> {};
#define HOSTMATH_BATCH_TRAITS_map HOSTMATH_BATCH_TRAITS_ARRAY
#define HOSTMATH_BATCH_TRAITS_sincos HOSTMATH_BATCH_TRAITS_ARRAY
#define HOSTMATH_BATCH_TRAITS_pairs HOSTMATH_BATCH_TRAITS_ARRAY
HOSTMATH_REGISTRY(HOSTMATH_EXPORT_TRAITS)
#undef HOSTMATH_BATCH_TRAITS_pairs
#undef HOSTMATH_BATCH_TRAITS_sincos
#undef HOSTMATH_BATCH_TRAITS_map
#undef HOSTMATH_BATCH_TRAITS_ARRAY
#undef HOSTMATH_BATCH_TRAITS_none
#undef HOSTMATH_EXPORT_TRAITS

// The body run under the guard when the row asks for one.  Inlined into each
// copy, so that the guard's instructions are the copy's too.
template <bool kGuarded, auto Body, typename R, typename... A>
HOSTMATH_ALWAYS_INLINE R run_export(A... a)
{
    if constexpr (kGuarded) {
        const FpEnvGuard guard(a...);
        if constexpr (std::is_void_v<R>) Body(a...);
        else return settled(Body(a...));
    } else {
        return Body(a...);
    }
}

// A function pointer type, named so that a resolver can return it.
template <typename F>
using Pointer = F;

// The copies of an export with traits E, from the body compiled without (Soft)
// and with (Hard) the fused multiply-add instruction.
template <class E, auto Soft, auto Hard>
struct Copies;

template <class E, typename R, typename... A, R (*Soft)(A...), R (*Hard)(A...)>
struct Copies<E, Soft, Hard> {
    using Function = R (*)(A...);

#if defined(HOSTMATH_DISPATCH_X86)
    __attribute__((flatten)) static R baseline(A... a) { return run_export<E::kGuarded, Soft, R, A...>(a...); }
    __attribute__((flatten, target(HOSTMATH_X86_64_V3))) static R v3(A... a)
    {
        return run_export<E::kGuarded, Hard, R, A...>(a...);
    }
    __attribute__((flatten, target(HOSTMATH_X86_64_V4))) static R v4(A... a)
    {
        return run_export<E::kGuarded, Hard, R, A...>(a...);
    }

    // Only the copies up to the widest path are instantiated.
    HOSTMATH_EARLY static Function pick()
    {
        const Path path = selected_path();
        if constexpr (E::kWidest >= Path::v4)
            if (path >= Path::v4) return v4;
        if constexpr (E::kWidest >= Path::v3)
            if (path >= Path::v3) return v3;
        return baseline;
    }
#else
    static R one(A... a) { return run_export<E::kGuarded, kBuildHasFma ? Hard : Soft, R, A...>(a...); }
    HOSTMATH_EARLY static Function pick() { return one; }
#endif
};

}  // namespace detail
}  // namespace hostmath

// The body becomes a file-local template over kFma; the exported name an
// indirect function whose resolver (C linkage, so that the attribute can name
// it; a number of its own tells the overloads of one name apart) picks the copy.
#define HOSTMATH_EXPORT(Ret, name, params) HOSTMATH_EXPORT_NUMBERED(Ret, name, params, __COUNTER__)
#define HOSTMATH_EXPORT_NUMBERED(Ret, name, params, line) HOSTMATH_EXPORT_DEFINE(Ret, name, params, line)
#define HOSTMATH_EXPORT_DEFINE(Ret, name, params, line)                                                     \
    template <bool kFma>                                                                                   \
    static HOSTMATH_ALWAYS_INLINE Ret name##_body_##line params;                                           \
    extern "C" __attribute__((used)) HOSTMATH_EARLY ::hostmath::detail::Pointer<Ret(*) params>              \
        name##_resolver_##line()                                                                           \
    {                                                                                                      \
        using Traits = ::hostmath::detail::ExportOf<static_cast<Ret(*) params>(&name)>;                     \
        return ::hostmath::detail::Copies<Traits, &name##_body_##line<false>,                              \
                                          &name##_body_##line<true>>::pick();                              \
    }                                                                                                      \
    Ret name params __attribute__((ifunc(#name "_resolver_" #line)));                                      \
    template <bool kFma>                                                                                   \
    static HOSTMATH_ALWAYS_INLINE Ret name##_body_##line params

#endif  // HOSTMATH_CPU_EXPORT_H
