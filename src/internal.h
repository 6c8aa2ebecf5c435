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

// Conversion toward zero to an integer type, with the saturation the device
// applies: NaN gives 0, values above the range the largest value, values below
// it the smallest.  A plain cast of an out-of-range value is undefined in C++
// and differs between x86-64 and AArch64, so the range is checked first.  The
// limits are powers of two, exact in every floating type.
template <typename Int, typename Real>
inline Int convert_rz(Real x)
{
    static_assert(std::is_integral<Int>::value && std::is_floating_point<Real>::value, "");
    constexpr int bits = std::numeric_limits<Int>::digits;  // value bits, sign excluded
    const Real upper = std::ldexp(Real(1), bits);           // first value above the range
    const Real lower = std::is_signed<Int>::value ? -upper : Real(0);
    if (x != x) return 0;
    if (x >= upper) return std::numeric_limits<Int>::max();
    if (x <= lower) return std::numeric_limits<Int>::min();
    return static_cast<Int>(x);  // |x| < upper: defined, truncates toward zero
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
