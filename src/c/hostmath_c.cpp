// The C interface (hostmath/hostmath_c.h): for every row of the registry a C
// function hostmath_<c_name>, and for its array form hostmath_batch_<c_name>,
// each calling the row's C++ export with the same arguments.  Expanded from
// the registry, so a row added there gets its C functions here; the header is
// written by hand and checked against these definitions when this file is
// compiled: a declaration of another type does not compile, and a function
// the header lacks is an error (-Werror=missing-declarations on this file).
//
// What the C side sees of a C++ type, its shape, is decided from the type's
// first token (HOSTMATH_C_SHAPE): VALUE, one C value (a 16-bit record as its
// bit pattern, any other type as itself); PAIR, two C values (a bfloat16
// pair low and high, a float2 first and second), which as a result are
// written through two pointers after the arguments; VOID.
#include "hostmath/hostmath_c.h"

#include "registry.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace hostmath {
namespace c_interface {

// A C++ type as one C value, and the parts of a pair.
template <typename T>
struct Value {
    using type = T;
};
template <>
struct Value<__half> {
    using type = std::uint16_t;
};
template <>
struct Value<__quix_bfloat16> {
    using type = std::uint16_t;
};
template <typename T>
using CValue = typename Value<T>::type;

template <typename Pair>
struct Part;
template <>
struct Part<__quix_bfloat162> {
    using type = std::uint16_t;
};
template <>
struct Part<float2> {
    using type = float;
};
template <typename Pair>
using CPart = typename Part<Pair>::type;

template <typename T>
inline T from_c(CValue<T> v)
{
    if constexpr (std::is_same_v<T, __half>) return __half_raw{v};
    else if constexpr (std::is_same_v<T, __quix_bfloat16>) return __quix_bfloat16_raw{v};
    else return v;
}

template <typename Pair>
inline Pair pair_from_c(CPart<Pair> first, CPart<Pair> second)
{
    if constexpr (std::is_same_v<Pair, float2>) return make_float2(first, second);
    else return __quix_bfloat162(__quix_bfloat16_raw{first}, __quix_bfloat16_raw{second});
}

inline std::uint16_t to_c(__half h) { return h.bits; }
inline std::uint16_t to_c(__quix_bfloat16 b) { return b.bits; }
template <typename T>
inline T to_c(T v)
{
    return v;
}

inline void store_pair(const __quix_bfloat162& r, std::uint16_t* low, std::uint16_t* high)
{
    if (low != nullptr) *low = r.low.bits;
    if (high != nullptr) *high = r.high.bits;
}

inline void store_pair(float2 r, float* first, float* second)
{
    if (first != nullptr) *first = r.first;
    if (second != nullptr) *second = r.second;
}

// An array of C values as the array of the C++ type the array form takes:
// the 16-bit records hold their pattern and nothing else.
template <typename T, typename C>
inline T* as_array(C* p)
{
    static_assert(sizeof(T) == sizeof(C) && alignof(T) == alignof(C), "a record is its bit pattern");
    return reinterpret_cast<T*>(p);
}

}  // namespace c_interface
}  // namespace hostmath

#define HOSTMATH_C_CAT(a, b) HOSTMATH_C_CAT_(a, b)
#define HOSTMATH_C_CAT_(a, b) a##b
#define HOSTMATH_C_FIRST(...) HOSTMATH_C_FIRST_(__VA_ARGS__, )
#define HOSTMATH_C_FIRST_(a, ...) a
#define HOSTMATH_C_SECOND(a, b) b
#define HOSTMATH_C_COUNT(...) HOSTMATH_C_COUNT_(__VA_ARGS__, 3, 2, 1, )
#define HOSTMATH_C_COUNT_(a, b, c, n, ...) n

// The shape of a type by its first token; "unsigned long long" and "double*"
// are values like "int".
#define HOSTMATH_C_SHAPE(T) HOSTMATH_C_FIRST(HOSTMATH_C_CAT(HOSTMATH_C_SHAPE_, T))
#define HOSTMATH_C_SHAPE_void VOID,
#define HOSTMATH_C_SHAPE_short VALUE,
#define HOSTMATH_C_SHAPE_int VALUE,
#define HOSTMATH_C_SHAPE_long VALUE,
#define HOSTMATH_C_SHAPE_unsigned VALUE,
#define HOSTMATH_C_SHAPE_float VALUE,
#define HOSTMATH_C_SHAPE_double VALUE,
#define HOSTMATH_C_SHAPE___half VALUE,
#define HOSTMATH_C_SHAPE___quix_bfloat16 VALUE,
#define HOSTMATH_C_SHAPE___quix_bfloat162 PAIR,
#define HOSTMATH_C_SHAPE_float2 PAIR,

// The C parameters of parameter i of type T, and the C++ argument made of them.
#define HOSTMATH_C_PARAM(i, T) HOSTMATH_C_CAT(HOSTMATH_C_PARAM_, HOSTMATH_C_SHAPE(T))(i, T)
#define HOSTMATH_C_PARAM_VALUE(i, T) ::hostmath::c_interface::CValue<T> a##i
#define HOSTMATH_C_PARAM_PAIR(i, T) ::hostmath::c_interface::CPart<T> a##i##_first, ::hostmath::c_interface::CPart<T> a##i##_second
#define HOSTMATH_C_ARG(i, T) HOSTMATH_C_CAT(HOSTMATH_C_ARG_, HOSTMATH_C_SHAPE(T))(i, T)
#define HOSTMATH_C_ARG_VALUE(i, T) ::hostmath::c_interface::from_c<T>(a##i)
#define HOSTMATH_C_ARG_PAIR(i, T) ::hostmath::c_interface::pair_from_c<T>(a##i##_first, a##i##_second)

// The lists of them for (Params): HOSTMATH_C_PARAMS P, HOSTMATH_C_ARGS P.
#define HOSTMATH_C_PARAMS(...) HOSTMATH_C_CAT(HOSTMATH_C_PARAMS_, HOSTMATH_C_COUNT(__VA_ARGS__))(__VA_ARGS__)
#define HOSTMATH_C_PARAMS_1(a) HOSTMATH_C_PARAM(0, a)
#define HOSTMATH_C_PARAMS_2(a, b) HOSTMATH_C_PARAM(0, a), HOSTMATH_C_PARAM(1, b)
#define HOSTMATH_C_PARAMS_3(a, b, c) HOSTMATH_C_PARAM(0, a), HOSTMATH_C_PARAM(1, b), HOSTMATH_C_PARAM(2, c)
#define HOSTMATH_C_ARGS(...) HOSTMATH_C_CAT(HOSTMATH_C_ARGS_, HOSTMATH_C_COUNT(__VA_ARGS__))(__VA_ARGS__)
#define HOSTMATH_C_ARGS_1(a) HOSTMATH_C_ARG(0, a)
#define HOSTMATH_C_ARGS_2(a, b) HOSTMATH_C_ARG(0, a), HOSTMATH_C_ARG(1, b)
#define HOSTMATH_C_ARGS_3(a, b, c) HOSTMATH_C_ARG(0, a), HOSTMATH_C_ARG(1, b), HOSTMATH_C_ARG(2, c)

// The scalar function of a row, by the shape of its result.
#define HOSTMATH_C_SCALAR(name, R, P, c_name) HOSTMATH_C_CAT(HOSTMATH_C_SCALAR_, HOSTMATH_C_SHAPE(R))(name, R, P, c_name)
#define HOSTMATH_C_SCALAR_VALUE(name, R, P, c_name)                                                           \
    extern "C" HOSTMATH_API ::hostmath::c_interface::CValue<R> hostmath_##c_name(HOSTMATH_C_PARAMS P)          \
    {                                                                                                         \
        return ::hostmath::c_interface::to_c(HOSTMATH_REGISTRY_SCALAR(name, R, P)(HOSTMATH_C_ARGS P));       \
    }
#define HOSTMATH_C_SCALAR_VOID(name, R, P, c_name)                                                            \
    extern "C" HOSTMATH_API void hostmath_##c_name(HOSTMATH_C_PARAMS P)                                        \
    {                                                                                                         \
        HOSTMATH_REGISTRY_SCALAR(name, R, P)(HOSTMATH_C_ARGS P);                                              \
    }
#define HOSTMATH_C_SCALAR_PAIR(name, R, P, c_name)                                                            \
    extern "C" HOSTMATH_API void hostmath_##c_name(HOSTMATH_C_PARAMS P, ::hostmath::c_interface::CPart<R>* first, \
                                                   ::hostmath::c_interface::CPart<R>* second)                 \
    {                                                                                                         \
        ::hostmath::c_interface::store_pair(HOSTMATH_REGISTRY_SCALAR(name, R, P)(HOSTMATH_C_ARGS P), first,   \
                                            second);                                                          \
    }

// The array form of a row, by the row's array kind; its element types are
// values.
#define HOSTMATH_C_BATCH(name, R, P, array, c_name) HOSTMATH_C_BATCH_##array(name, R, P, c_name)
#define HOSTMATH_C_BATCH_none(name, R, P, c_name)
#define HOSTMATH_C_BATCH_map(name, R, P, c_name)                                                              \
    extern "C" HOSTMATH_API void hostmath_batch_##c_name(                                                    \
        const ::hostmath::c_interface::CValue<HOSTMATH_C_FIRST P>* in, ::hostmath::c_interface::CValue<R>* out, \
        std::size_t n)                                                                                        \
    {                                                                                                         \
        HOSTMATH_REGISTRY_BATCH(map, name, R, P)                                                              \
        (::hostmath::c_interface::as_array<const HOSTMATH_C_FIRST P>(in), ::hostmath::c_interface::as_array<R>(out), \
         n);                                                                                                  \
    }
#define HOSTMATH_C_BATCH_sincos(name, R, P, c_name)                                                           \
    extern "C" HOSTMATH_API void hostmath_batch_##c_name(const HOSTMATH_C_FIRST P* in, HOSTMATH_C_FIRST P* sinp,  \
                                                         HOSTMATH_C_FIRST P* cosp, std::size_t n)             \
    {                                                                                                         \
        HOSTMATH_REGISTRY_BATCH(sincos, name, R, P)(in, sinp, cosp, n);                                       \
    }
#define HOSTMATH_C_BATCH_pairs(name, R, P, c_name)                                                            \
    extern "C" HOSTMATH_API void hostmath_batch_##c_name(const HOSTMATH_C_FIRST P* a, const HOSTMATH_C_SECOND P* b, \
                                                         R* out, std::size_t n)                               \
    {                                                                                                         \
        HOSTMATH_REGISTRY_BATCH(pairs, name, R, P)(a, b, out, n);                                             \
    }

#define HOSTMATH_C_FUNCTIONS(name, R, P, family, code, widest, array, bound, c_name) \
    HOSTMATH_C_SCALAR(name, R, P, c_name)                                            \
    HOSTMATH_C_BATCH(name, R, P, array, c_name)
HOSTMATH_REGISTRY(HOSTMATH_C_FUNCTIONS)
