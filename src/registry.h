// Every exported function of the library, once: the one list that the export
// machinery (cpu/export.h), the hostmath command, the Python module, the tests'
// sweeps, the exported-symbol check and the benchmarks expand.  A function
// missing here does not compile where it is defined; one listed here but not
// defined does not link.
//
// HOSTMATH_REGISTRY(X) calls X once per exported scalar function, in the order
// the command lists them:
//
//   X(name, Result, (Params), family, code, widest, array, bound, c_name)
//
//   name      the device name: the export is qx_math_func_host_<name>, its
//             array form qx_math_func_host_batch_<name>
//   Result, (Params)   the C++ signature
//   family    bfloat16, half, special, trig, roots or minmax
//   code      bits: integer code on bit patterns, which no floating-point
//             state affects (no guard); fp: floating-point arithmetic, under
//             the guard of the caller's state (base/fp_env.h)
//   widest    the widest processor path of the scalar export on x86-64:
//             baseline (one copy) or v3 (a baseline and an x86-64-v3 copy,
//             chosen at load time); every array form has a baseline, a v3 and
//             a v4 copy
//   array     its array form in hostmath/batch.h: none; map (out[i] = f(in[i]));
//             sincos (two output arrays); pairs (out[i] = f(a[i], b[i]))
//   bound     the largest error the accuracy tests allow, in ulps of the
//             result (0: exact, the result is the correctly rounded one the
//             name promises); -1 where none holds (sinpi and cospi near
//             their zeros)
//   c_name    its name in the C interface (hostmath/hostmath_c.h):
//             hostmath_<c_name>, its array form hostmath_batch_<c_name>.  The
//             device name without its leading underscores; an overload of
//             max or min adds its parameter types (i int, u unsigned int,
//             l long, ul unsigned long, ll long long, ull unsigned long
//             long, f float, d double): max_i_u is max(int, unsigned int)
//
// Each X writes its own separator.  Overloads (max, min) are one row each, in
// the order that makes a search for the first overload taking the arguments by
// safe conversions find the one C++ overload resolution picks for promoted
// arguments (the Python module relies on it).
#ifndef HOSTMATH_REGISTRY_H
#define HOSTMATH_REGISTRY_H

#define HOSTMATH_REGISTRY(X)                                                                                           \
    /* bfloat16 */                                                                                                     \
    X(__float2bfloat16, __quix_bfloat16, (float), bfloat16, bits, baseline, none, 0, float2bfloat16)                   \
    X(__float2bfloat16_rn, __quix_bfloat16, (float), bfloat16, bits, baseline, map, 0, float2bfloat16_rn)              \
    X(__float2bfloat16_rz, __quix_bfloat16, (float), bfloat16, bits, baseline, map, 0, float2bfloat16_rz)              \
    X(__float2bfloat16_rd, __quix_bfloat16, (float), bfloat16, bits, baseline, map, 0, float2bfloat16_rd)              \
    X(__float2bfloat16_ru, __quix_bfloat16, (float), bfloat16, bits, baseline, map, 0, float2bfloat16_ru)              \
    X(__double2bfloat16, __quix_bfloat16, (double), bfloat16, fp, baseline, map, 0, double2bfloat16)                   \
    X(__float2bfloat162_rn, __quix_bfloat162, (float), bfloat16, bits, baseline, none, 0, float2bfloat162_rn)          \
    X(__float22bfloat162_rn, __quix_bfloat162, (float2), bfloat16, bits, baseline, none, 0, float22bfloat162_rn)       \
    X(__floats2bfloat162_rn, __quix_bfloat162, (float, float), bfloat16, bits, baseline, none, 0, floats2bfloat162_rn) \
    X(__ushort2bfloat16_rn, __quix_bfloat16, (unsigned short), bfloat16, bits, baseline, map, 0, ushort2bfloat16_rn)   \
    X(__short2bfloat16_rn, __quix_bfloat16, (short), bfloat16, bits, baseline, map, 0, short2bfloat16_rn)              \
    X(__int2bfloat16_rn, __quix_bfloat16, (int), bfloat16, bits, baseline, map, 0, int2bfloat16_rn)                    \
    X(__uint2bfloat16_rn, __quix_bfloat16, (unsigned int), bfloat16, bits, baseline, map, 0, uint2bfloat16_rn)         \
    X(__ll2bfloat16_rn, __quix_bfloat16, (long long), bfloat16, bits, baseline, map, 0, ll2bfloat16_rn)                \
    X(__ull2bfloat16_rn, __quix_bfloat16, (unsigned long long), bfloat16, bits, baseline, map, 0, ull2bfloat16_rn)     \
    X(__bfloat162float, float, (__quix_bfloat16), bfloat16, bits, baseline, map, 0, bfloat162float)                    \
    X(__bfloat1622float2, float2, (__quix_bfloat162), bfloat16, bits, baseline, none, 0, bfloat1622float2)             \
    X(__low2float, float, (__quix_bfloat162), bfloat16, bits, baseline, none, 0, low2float)                            \
    X(__high2float, float, (__quix_bfloat162), bfloat16, bits, baseline, none, 0, high2float)                          \
    X(__bfloat162ushort_rz, unsigned short, (__quix_bfloat16), bfloat16, bits, baseline, map, 0, bfloat162ushort_rz)   \
    X(__bfloat162short_rz, short, (__quix_bfloat16), bfloat16, bits, baseline, map, 0, bfloat162short_rz)              \
    X(__bfloat162int_rz, int, (__quix_bfloat16), bfloat16, bits, baseline, map, 0, bfloat162int_rz)                    \
    X(__bfloat162uint_rz, unsigned int, (__quix_bfloat16), bfloat16, bits, baseline, map, 0, bfloat162uint_rz)         \
    X(__bfloat162ll_rz, long long, (__quix_bfloat16), bfloat16, bits, baseline, map, 0, bfloat162ll_rz)                \
    X(__bfloat162ull_rz, unsigned long long, (__quix_bfloat16), bfloat16, bits, baseline, map, 0, bfloat162ull_rz)     \
    /* half */                                                                                                         \
    X(__float2half, __half, (float), half, bits, baseline, none, 0, float2half)                                        \
    X(__float2half_rn, __half, (float), half, bits, baseline, map, 0, float2half_rn)                                   \
    X(__float2half_rz, __half, (float), half, bits, baseline, map, 0, float2half_rz)                                   \
    X(__float2half_rd, __half, (float), half, bits, baseline, map, 0, float2half_rd)                                   \
    X(__float2half_ru, __half, (float), half, bits, baseline, map, 0, float2half_ru)                                   \
    X(__double2half, __half, (double), half, fp, baseline, map, 0, double2half)                                        \
    X(__half2float, float, (__half), half, bits, baseline, map, 0, half2float)                                         \
    X(__half2short_rz, short, (__half), half, bits, baseline, map, 0, half2short_rz)                                   \
    X(__half2ushort_rz, unsigned short, (__half), half, bits, baseline, map, 0, half2ushort_rz)                        \
    X(__half2int_rz, int, (__half), half, bits, baseline, map, 0, half2int_rz)                                         \
    X(__half2uint_rz, unsigned int, (__half), half, bits, baseline, map, 0, half2uint_rz)                              \
    X(__half2ll_rz, long long, (__half), half, bits, baseline, map, 0, half2ll_rz)                                     \
    X(__half2ull_rz, unsigned long long, (__half), half, bits, baseline, map, 0, half2ull_rz)                          \
    X(__short2half_rn, __half, (short), half, bits, baseline, map, 0, short2half_rn)                                   \
    X(__ushort2half_rn, __half, (unsigned short), half, bits, baseline, map, 0, ushort2half_rn)                        \
    X(__int2half_rn, __half, (int), half, bits, baseline, map, 0, int2half_rn)                                         \
    X(__uint2half_rn, __half, (unsigned int), half, bits, baseline, map, 0, uint2half_rn)                              \
    X(__ll2half_rn, __half, (long long), half, bits, baseline, map, 0, ll2half_rn)                                     \
    X(__ull2half_rn, __half, (unsigned long long), half, bits, baseline, map, 0, ull2half_rn)                          \
    /* special functions */                                                                                            \
    X(erfinv, double, (double), special, fp, v3, map, 3.6, erfinv)                                                     \
    X(erfinvf, float, (float), special, fp, v3, map, 3.5, erfinvf)                                                     \
    X(erfcinv, double, (double), special, fp, v3, map, 3.7, erfcinv)                                                   \
    X(erfcinvf, float, (float), special, fp, v3, map, 3.5, erfcinvf)                                                   \
    X(erfcx, double, (double), special, fp, v3, map, 5.8, erfcx)                                                       \
    X(erfcxf, float, (float), special, fp, v3, map, 3.8, erfcxf)                                                       \
    X(normcdf, double, (double), special, fp, v3, map, 2.3, normcdf)                                                   \
    X(normcdff, float, (float), special, fp, v3, map, 2.3, normcdff)                                                   \
    /* pi-scaled sine and cosine */                                                                                    \
    X(sinpi, double, (double), trig, fp, v3, map, -1, sinpi)                                                           \
    X(sinpif, float, (float), trig, fp, v3, map, -1, sinpif)                                                           \
    X(cospi, double, (double), trig, fp, v3, map, -1, cospi)                                                           \
    X(cospif, float, (float), trig, fp, v3, map, -1, cospif)                                                           \
    X(sincospi, void, (double, double*, double*), trig, fp, v3, sincos, -1, sincospi)                                  \
    X(sincospif, void, (float, float*, float*), trig, fp, v3, sincos, -1, sincospif)                                   \
    /* reciprocal roots */                                                                                             \
    X(rsqrt, double, (double), roots, fp, v3, map, 1.5, rsqrt)                                                         \
    X(rsqrtf, float, (float), roots, fp, v3, map, 1.5, rsqrtf)                                                         \
    X(rcbrt, double, (double), roots, fp, v3, map, 1.5, rcbrt)                                                         \
    X(rcbrtf, float, (float), roots, fp, v3, map, 1.5, rcbrtf)                                                         \
    /* maximum and minimum */                                                                                        \
    HOSTMATH_REGISTRY_MIN_MAX(X, max, umax, llmax, ullmax)                                                              \
    HOSTMATH_REGISTRY_MIN_MAX(X, min, umin, llmin, ullmin)

// The nineteen signatures of the maximum (or minimum) family, in the order
// that makes a search for the first overload taking the arguments by safe
// conversions find the one C++ overload resolution picks.
#define HOSTMATH_REGISTRY_MIN_MAX(X, name, uname, llname, ullname)                                                     \
    X(name, int, (int, int), minmax, bits, baseline, none, 0, name##_i_i)                                               \
    X(name, unsigned int, (unsigned int, unsigned int), minmax, bits, baseline, none, 0, name##_u_u)                    \
    X(name, unsigned int, (int, unsigned int), minmax, bits, baseline, none, 0, name##_i_u)                             \
    X(name, unsigned int, (unsigned int, int), minmax, bits, baseline, none, 0, name##_u_i)                             \
    X(name, long, (long, long), minmax, bits, baseline, none, 0, name##_l_l)                                            \
    X(name, unsigned long, (unsigned long, unsigned long), minmax, bits, baseline, none, 0, name##_ul_ul)               \
    X(name, unsigned long, (long, unsigned long), minmax, bits, baseline, none, 0, name##_l_ul)                         \
    X(name, unsigned long, (unsigned long, long), minmax, bits, baseline, none, 0, name##_ul_l)                         \
    X(name, long long, (long long, long long), minmax, bits, baseline, none, 0, name##_ll_ll)                           \
    X(name, unsigned long long, (unsigned long long, unsigned long long), minmax, bits, baseline, none, 0, name##_ull_ull) \
    X(name, unsigned long long, (long long, unsigned long long), minmax, bits, baseline, none, 0, name##_ll_ull)        \
    X(name, unsigned long long, (unsigned long long, long long), minmax, bits, baseline, none, 0, name##_ull_ll)        \
    X(name, float, (float, float), minmax, bits, baseline, pairs, 0, name##_f_f)                                        \
    X(name, double, (double, float), minmax, bits, baseline, pairs, 0, name##_d_f)                                      \
    X(name, double, (float, double), minmax, bits, baseline, pairs, 0, name##_f_d)                                      \
    X(name, double, (double, double), minmax, bits, baseline, pairs, 0, name##_d_d)                                     \
    X(uname, unsigned int, (unsigned int, unsigned int), minmax, bits, baseline, none, 0, uname)                        \
    X(llname, long long, (long long, long long), minmax, bits, baseline, none, 0, llname)                               \
    X(ullname, unsigned long long, (unsigned long long, unsigned long long), minmax, bits, baseline, none, 0, ullname)

// ---------------------------------------------------------------------------
// The registry in C++: the row kinds as enumerations, the array form's type
// from the scalar function's, and for_each, which hands a visitor every row
// with its function pointers.
// ---------------------------------------------------------------------------

#include "hostmath.h"
#include "hostmath/batch.h"

#include <cstddef>
#include <type_traits>

namespace hostmath {
namespace registry {

enum class Family { bfloat16, half, special, trig, roots, minmax };
enum class Code { bits, fp };
enum class Array { none, map, sincos, pairs };

// The type of the array form of a scalar function of type F.
template <Array K, typename F>
struct BatchOf;
template <typename R, typename A>
struct BatchOf<Array::map, R (*)(A)> {
    using type = void (*)(const A*, R*, std::size_t);
};
template <typename T>
struct BatchOf<Array::sincos, void (*)(T, T*, T*)> {
    using type = void (*)(const T*, T*, T*, std::size_t);
};
template <typename R, typename A, typename B>
struct BatchOf<Array::pairs, R (*)(A, B)> {
    using type = void (*)(const A*, const B*, R*, std::size_t);
};

// The scalar function of a row and its array form, as pointers of their exact
// types; without an array form the batch pointer is nullptr.
#define HOSTMATH_REGISTRY_SCALAR(name, R, P) static_cast<R(*) P>(&qx_math_func_host_##name)
#define HOSTMATH_REGISTRY_BATCH(array, name, R, P)                                                         \
    static_cast<typename ::hostmath::registry::BatchOf<::hostmath::registry::Array::array, R(*) P>::type>( \
        &qx_math_func_host_batch_##name)
#define HOSTMATH_REGISTRY_BATCH_OR_NULL_none(name, R, P) nullptr
#define HOSTMATH_REGISTRY_BATCH_OR_NULL_map(name, R, P) HOSTMATH_REGISTRY_BATCH(map, name, R, P)
#define HOSTMATH_REGISTRY_BATCH_OR_NULL_sincos(name, R, P) HOSTMATH_REGISTRY_BATCH(sincos, name, R, P)
#define HOSTMATH_REGISTRY_BATCH_OR_NULL_pairs(name, R, P) HOSTMATH_REGISTRY_BATCH(pairs, name, R, P)

// A row: what the registry says of the function.
struct Info {
    const char* name;    // device name
    const char* params;  // "(float, float)", as the registry spells the parameter types
    const char* c_name;  // "max_f_f": the C function hostmath_max_f_f
    Family family;
    Code code;
    Array array;
    double bound;  // ulps; 0 exact; -1 none
};

// A row with its functions: Scalar is the exported function, Batch its array
// form or nullptr.
template <auto Scalar, auto Batch, Array kArrayKind>
struct Function {
    static constexpr auto scalar = Scalar;
    static constexpr auto batch = Batch;
    static constexpr Array array = kArrayKind;
    static constexpr bool has_batch = !std::is_same_v<decltype(Batch), std::nullptr_t>;
    Info info;
};

// visit(Function<...>{info}) for every row, in the registry's order.
template <typename Visitor>
void for_each(Visitor&& visit)
{
#define HOSTMATH_REGISTRY_VISIT(name, R, P, family, code, widest, array, bound, c_name)                    \
    visit(Function<HOSTMATH_REGISTRY_SCALAR(name, R, P), HOSTMATH_REGISTRY_BATCH_OR_NULL_##array(name, R, P),    \
                   Array::array>{Info{#name, #P, #c_name, Family::family, Code::code, Array::array, bound}});
    HOSTMATH_REGISTRY(HOSTMATH_REGISTRY_VISIT)
#undef HOSTMATH_REGISTRY_VISIT
}

// The number of rows.
#define HOSTMATH_REGISTRY_ONE(...) +1
constexpr int kFunctions = 0 HOSTMATH_REGISTRY(HOSTMATH_REGISTRY_ONE);
#undef HOSTMATH_REGISTRY_ONE

}  // namespace registry
}  // namespace hostmath

#endif  // HOSTMATH_REGISTRY_H
