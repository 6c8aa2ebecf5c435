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

// For the helpers that walk a kernel's pieces: inlined into every caller, so
// that in each processor-specific copy of an array loop they are compiled for
// that copy's instructions (a call would leave them in the baseline form).
#if defined(__GNUC__) || defined(__clang__)
#define HOSTMATH_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define HOSTMATH_ALWAYS_INLINE inline
#endif

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

inline float real_from_bits(std::uint32_t u) { return float_from_bits(u); }
inline double real_from_bits(std::uint64_t u) { return double_from_bits(u); }

// The binary32 and binary64 patterns: the word type, the sign bit, the
// exponent field (which is also +infinity), the quiet bit (the top fraction
// bit, which makes the default quiet NaN with the exponent field) and the
// fraction's width.
template <typename Word, int kExponentWidth, int kFractionWidth>
struct FormatOf {
    using Bits = Word;
    static constexpr int kFractionBits = kFractionWidth;
    static constexpr Bits kSign = Bits{1} << (kExponentWidth + kFractionWidth);
    static constexpr Bits kInfinity = ((Bits{1} << kExponentWidth) - 1) << kFractionWidth;
    static constexpr Bits kQuietBit = Bits{1} << (kFractionWidth - 1);
    static constexpr Bits kQuietNan = kInfinity | kQuietBit;
    static constexpr Bits kMagnitude = kSign - 1;
};
template <typename Real>
struct Format;
template <>
struct Format<float> : FormatOf<std::uint32_t, 8, 23> {};
template <>
struct Format<double> : FormatOf<std::uint64_t, 11, 52> {};
static_assert(Format<float>::kInfinity == 0x7f800000u && Format<double>::kQuietNan == 0x7ff8000000000000ull, "");

// +infinity and the default quiet NaN of a precision.
template <typename Real>
inline Real infinity_of() { return real_from_bits(Format<Real>::kInfinity); }
template <typename Real>
inline Real quiet_nan_of() { return real_from_bits(Format<Real>::kQuietNan); }

// |x| with the sign of s, on the patterns (a NaN keeps its payload).
template <typename Real>
inline Real with_sign_of(Real x, Real s)
{
    using F = Format<Real>;
    return real_from_bits((bits_of(x) & F::kMagnitude) | (bits_of(s) & F::kSign));
}

// Classification on the bit pattern alone, never by a floating-point comparison.
template <typename Real>
inline bool isnan(Real x) { return (bits_of(x) & Format<Real>::kMagnitude) > Format<Real>::kInfinity; }
template <typename Real>
inline bool isinf(Real x) { return (bits_of(x) & Format<Real>::kMagnitude) == Format<Real>::kInfinity; }

// cond ? a : b through masks.  Written as a conditional, a chain of selects on
// bit patterns is turned back into branches, which keeps loops from vectorising.
template <typename Unsigned>
inline Unsigned select_bits(bool cond, Unsigned a, Unsigned b)
{
    const Unsigned mask = static_cast<Unsigned>(Unsigned{0} - static_cast<Unsigned>(cond));
    return (a & mask) | (b & static_cast<Unsigned>(~mask));
}

// How a conversion kernel picks one of two values on a condition.  The array
// loops take masks, which the vectoriser turns into vector selects (written
// as conditionals, a chain of them stays scalar: the compiler keeps branches).
// The exported functions take a conditional, one compare and conditional move
// each in scalar code, half the instructions of the masks.  Same values.
struct MaskSelect {
    template <typename Unsigned>
    static Unsigned pick(bool cond, Unsigned a, Unsigned b)
    {
        return select_bits(cond, a, b);
    }
};
struct ScalarSelect {
    template <typename Unsigned>
    static Unsigned pick(bool cond, Unsigned a, Unsigned b)
    {
        return cond ? a : b;
    }
};

// The magnitude of an integer of any type, with its sign as a float's sign
// bit in sign.  The most negative value of a signed type has magnitude
// 2^(width-1), so nothing overflows.
template <typename Select, typename Int>
inline std::uint64_t magnitude_of(Int a, std::uint32_t& sign)
{
    if constexpr (std::is_signed<Int>::value) {
        const std::uint64_t bits = static_cast<std::uint64_t>(static_cast<long long>(a));
        const bool negative = a < 0;
        sign = Select::pick(negative, Format<float>::kSign, 0u);
        return Select::pick(negative, 0 - bits, bits);
    } else {
        sign = 0;
        return a;
    }
}

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
