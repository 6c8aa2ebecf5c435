// Private helpers shared by every family of the library: bit access, the
// classification tests on bit patterns, conversions toward zero with explicit
// saturation, and the Horner evaluator.  Nothing here is exported.
#ifndef HOSTMATH_INTERNAL_H
#define HOSTMATH_INTERNAL_H

#include "hostmath.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

namespace hostmath {
namespace detail {

inline std::uint32_t bits_of(float x)
{
    std::uint32_t u;
    std::memcpy(&u, &x, sizeof u);
    return u;
}

inline std::uint64_t bits_of(double x)
{
    std::uint64_t u;
    std::memcpy(&u, &x, sizeof u);
    return u;
}

inline float float_from_bits(std::uint32_t u)
{
    float x;
    std::memcpy(&x, &u, sizeof x);
    return x;
}

inline double double_from_bits(std::uint64_t u)
{
    double x;
    std::memcpy(&x, &u, sizeof x);
    return x;
}

// Classification on the bit pattern alone, never by a floating-point comparison.
inline bool isnan(float x) { return (bits_of(x) & 0x7fffffffu) > 0x7f800000u; }
inline bool isinf(float x) { return (bits_of(x) & 0x7fffffffu) == 0x7f800000u; }
inline bool isnan(double x) { return (bits_of(x) & 0x7fffffffffffffffull) > 0x7ff0000000000000ull; }
inline bool isinf(double x) { return (bits_of(x) & 0x7fffffffffffffffull) == 0x7ff0000000000000ull; }

// The float with pattern u converted toward zero to an integer type, with the
// saturation the device applies: NaN gives nan_result, values above the range
// the largest value, values below it the smallest (0 for unsigned types).  On
// the bits alone, with integer arithmetic: no floating-point comparison or
// conversion, so neither the caller's floating-point state nor an
// out-of-range conversion (undefined in C++) comes into it.
template <typename Int>
inline Int truncate_float_bits(std::uint32_t u, Int nan_result)
{
    static_assert(std::is_integral<Int>::value, "");
    constexpr int kValueBits = std::numeric_limits<Int>::digits;  // sign excluded
    constexpr std::uint32_t kInfinity = 0x7f800000u, kImplicitOne = 0x800000u;
    constexpr int kBias = 127, kFractionBits = 23;
    const bool negative = (u >> 31) != 0;
    const std::uint32_t magnitude = u & 0x7fffffffu;
    if (magnitude > kInfinity) return nan_result;
    const int exponent = static_cast<int>(magnitude >> kFractionBits) - kBias;
    if (exponent < 0) return 0;  // |x| < 1, zeros and subnormals included
    if (exponent >= kValueBits) return negative ? std::numeric_limits<Int>::min() : std::numeric_limits<Int>::max();
    const std::uint64_t significand = (magnitude & (kImplicitOne - 1)) | kImplicitOne;
    const std::uint64_t value = exponent >= kFractionBits ? significand << (exponent - kFractionBits)
                                                          : significand >> (kFractionBits - exponent);
    if (!negative) return static_cast<Int>(value);  // below 2^kValueBits
    return std::is_signed<Int>::value ? static_cast<Int>(-static_cast<std::int64_t>(value)) : Int{0};
}

// Horner's scheme, one fused multiply-add per step, coefficients from the
// highest degree down: p = c[0]; p = fma(t, p, c[k]) for the rest.  The loop
// is unrolled into a straight chain of fused multiply-adds on constant
// coefficients (the same operations in the same order): left as a loop, its
// counter and branch made the longest polynomials a third slower.
template <typename T, std::size_t N>
inline T horner(T t, const T (&c)[N])
{
    static_assert(N >= 2, "a polynomial of degree 0 needs no evaluation");
    T p = c[0];
#pragma GCC unroll 32
    for (std::size_t k = 1; k < N; ++k) p = std::fma(t, p, c[k]);
    return p;
}

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_INTERNAL_H
