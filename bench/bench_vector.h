// What the benchmarks of vector code share: the instruction sets of the
// library's x86-64 processor paths, for code compiled here with a target
// attribute; an export's kernel on one lane without the floating-point guard
// ("hostmath-kernel v3"), so that the guard's share of a scalar export shows;
// and SLEEF's AVX2 vector functions as peers, four doubles or eight floats a
// call.  SLEEF is a peer only: the library is looked up at run time
// (dlopen of Debian's libsleef3), never linked, and its rows are dropped where
// it is not installed or the processor lacks AVX2 and FMA.
#ifndef HOSTMATH_BENCH_VECTOR_H
#define HOSTMATH_BENCH_VECTOR_H

#include "bench_scalar.h"

#include "base/lanes.h"

#include <cstddef>
#include <string>
#include <vector>

#if defined(__x86_64__)
#include <dlfcn.h>
#include <immintrin.h>
#endif

namespace bench {

#if defined(__x86_64__)

// The x86-64-v3 and v4 instruction sets, for target attributes.
#define BENCH_V3 "popcnt,sse3,ssse3,sse4.1,sse4.2,cx16,sahf,avx,avx2,fma,bmi,bmi2,f16c,lzcnt,movbe,xsave"
#define BENCH_V4 BENCH_V3 ",avx512f,avx512bw,avx512cd,avx512dq,avx512vl"

inline bool has_v3() { return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"); }
inline bool has_v4()
{
    return has_v3() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
           __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl");
}

// The kernel of an export on one lane, compiled for the path the scalar
// export takes on a processor with the x86-64-v3 instructions; out of line,
// so that each element is a call, as it is to the export.
template <class Kernel, typename Real>
[[gnu::noinline]] __attribute__((target(BENCH_V3))) Real kernel_v3(Real x)
{
    return hostmath::detail::one_lane<Kernel, true>(x);
}

template <class Kernel, typename Real>
void add_kernel(const std::string& family, const std::string& function, const std::vector<NamedInputs<Real>>& domain)
{
    if (has_v3()) add(family, function, "hostmath-kernel v3", domain, kernel_v3<Kernel, Real>);
}

// The function of that name, or null.
inline void* sleef_symbol(const std::string& name)
{
    if (!has_v3()) return nullptr;
    static void* library = dlopen("libsleef.so.3", RTLD_NOW | RTLD_LOCAL);
    return library != nullptr ? dlsym(library, name.c_str()) : nullptr;
}

// The vector registers of T, and SLEEF's pair of them (sincospi).
template <typename T>
struct VectorOf;
template <>
struct VectorOf<double> {
    using type = __m256d;
};
template <>
struct VectorOf<float> {
    using type = __m256;
};
template <typename T>
using Vector = typename VectorOf<T>::type;
template <typename T>
struct VectorPair {
    Vector<T> first;
    Vector<T> second;
};

template <typename T>
inline constexpr std::size_t kVectorLanes = 32 / sizeof(T);

template <typename T>
__attribute__((target("avx2,fma"))) inline Vector<T> load(const T* p)
{
    if constexpr (sizeof(T) == 8) return _mm256_loadu_pd(p);
    else return _mm256_loadu_ps(p);
}

template <typename T>
__attribute__((target("avx2,fma"))) inline void store(T* p, Vector<T> v)
{
    if constexpr (sizeof(T) == 8) _mm256_storeu_pd(p, v);
    else _mm256_storeu_ps(p, v);
}

// out = f(in) over n elements (n a multiple of the vector's lanes); with
// kReciprocal, out = 1 / f(in), the division in the same vector.
template <typename T, bool kReciprocal = false>
__attribute__((target("avx2,fma"))) void sleef_map(void* f, const T* in, T* out, std::size_t n)
{
    const auto g = reinterpret_cast<Vector<T> (*)(Vector<T>)>(f);
    for (std::size_t i = 0; i < n; i += kVectorLanes<T>) {
        Vector<T> y = g(load(in + i));
        if constexpr (kReciprocal) {
            if constexpr (sizeof(T) == 8) y = _mm256_div_pd(_mm256_set1_pd(1.0), y);
            else y = _mm256_div_ps(_mm256_set1_ps(1.0f), y);
        }
        store(out + i, y);
    }
}

// Both results of a sincos-like f over n elements.
template <typename T>
__attribute__((target("avx2,fma"))) void sleef_pair(void* f, const T* in, T* first, T* second, std::size_t n)
{
    const auto g = reinterpret_cast<VectorPair<T> (*)(Vector<T>)>(f);
    for (std::size_t i = 0; i < n; i += kVectorLanes<T>) {
        const VectorPair<T> y = g(load(in + i));
        store(first + i, y.first);
        store(second + i, y.second);
    }
}

#else

template <class Kernel, typename Real>
void add_kernel(const std::string&, const std::string&, const std::vector<NamedInputs<Real>>&)
{
}

inline void* sleef_symbol(const std::string&) { return nullptr; }

#endif

}  // namespace bench

#endif  // HOSTMATH_BENCH_VECTOR_H
