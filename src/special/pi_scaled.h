// sinpi, cospi and their single-precision forms: the integer test that makes
// the result exact, the rounded constant pi of each precision, and the bodies
// on lanes (base/lanes.h) for the exported scalar functions and their array
// forms alike (sinpiD.cpp ... cospiF.cpp state the method).  The sine and
// cosine of the rounded product x * pi are the maths core's.
#ifndef HOSTMATH_SPECIAL_PI_SCALED_H
#define HOSTMATH_SPECIAL_PI_SCALED_H

#include "base/bits.h"
#include "base/lanes.h"
#include "math/core.h"

#include <cstddef>

namespace hostmath {
namespace detail {

constexpr double kPi = 0x1.921fb54442d18p+1;  // 3.141592653589793, the double nearest pi
constexpr float kPiF = 0x1.921fb6p+1f;        // 3.1415927f, the float nearest pi

// The rounded pi of a precision: the double nearest pi rounds to the float nearest pi.
template <typename Real>
constexpr Real pi_of()
{
    return static_cast<Real>(kPi);
}
static_assert(pi_of<float>() == kPiF, "one rounded pi per precision");

// The position of the units bit in the pattern of |x| >= 1: the fraction bits
// below it are the fraction of x.  Negative below 1 (then x is an integer
// only when it is zero), at least the format's width from 2^(fraction bits)
// on (then every x is an integer, and from the next binade on an even one).
template <typename Real>
inline int units_bit_of(typename Format<Real>::Bits magnitude)
{
    using F = Format<Real>;
    constexpr int kBias = (1 << (sizeof(Real) * 8 - F::kFractionBits - 2)) - 1;  // 127 or 1023
    return F::kFractionBits - (static_cast<int>(magnitude >> F::kFractionBits) - kBias);
}

// x counts as an integer when it is finite and floor(x) = ceil(x): zeros of
// either sign and every value at or above 2^52 (2^23 in single precision)
// pass, a NaN and the infinities do not.  Decided on the bits, which gives
// the same answer as the comparison of floor and ceiling without calling them.
template <typename Real>
inline bool counts_as_integer(Real x)
{
    using F = Format<Real>;
    using Bits = typename F::Bits;
    const Bits magnitude = bits_of(x) & F::kMagnitude;
    const int units = units_bit_of<Real>(magnitude);
    const Bits below_units = units <= 0 ? 0 : units > F::kFractionBits ? F::kMagnitude : (Bits{1} << units) - 1;
    return magnitude < F::kInfinity && (magnitude == 0 || (magnitude & below_units) == 0);
}

// For an integer x: whether it is odd, its units bit (the implicit one at
// exactly 1).  Every x at or above 2^53 (2^24) is even, and so is zero.
template <typename Real>
inline bool integer_is_odd(Real x)
{
    using F = Format<Real>;
    using Bits = typename F::Bits;
    const Bits magnitude = bits_of(x) & F::kMagnitude;
    const int units = units_bit_of<Real>(magnitude);
    const Bits significand = (magnitude & ((Bits{1} << F::kFractionBits) - 1)) | (Bits{1} << F::kFractionBits);
    const bool in_range = magnitude != 0 && units >= 0 && units <= F::kFractionBits;
    return in_range && ((significand >> (in_range ? units : 0)) & 1) != 0;
}

// sin(pi x) on the lanes of L: +0 on the integers, the core's sine of the
// rounded product x * pi elsewhere (of 0 on the integer lanes).
struct Sinpi {
    static constexpr double kPad = 0.5;

    template <class L, typename T>
    static HOSTMATH_ALWAYS_INLINE void run(const T (&x)[L::kCount], T (&y)[L::kCount])
    {
        constexpr std::size_t N = L::kCount;
        T product[N];
        for (std::size_t i = 0; i < N; ++i) product[i] = counts_as_integer(x[i]) ? T(0) : x[i] * pi_of<T>();
        core::sin_of<L>(product, y);
        for (std::size_t i = 0; i < N; ++i) y[i] = counts_as_integer(x[i]) ? T(0) : y[i];
    }
};

// cos(pi x) on the lanes of L: +1 on the even integers, -1 on the odd ones
// (the remainder of x by 2, exact, is zero or not), the core's cosine of the
// rounded product x * pi elsewhere.
struct Cospi {
    static constexpr double kPad = 0.5;

    template <class L, typename T>
    static HOSTMATH_ALWAYS_INLINE void run(const T (&x)[L::kCount], T (&y)[L::kCount])
    {
        constexpr std::size_t N = L::kCount;
        T product[N];
        for (std::size_t i = 0; i < N; ++i) product[i] = counts_as_integer(x[i]) ? T(0) : x[i] * pi_of<T>();
        core::cos_of<L>(product, y);
        for (std::size_t i = 0; i < N; ++i) {
            const T parity = integer_is_odd(x[i]) ? T(-1) : T(1);
            y[i] = counts_as_integer(x[i]) ? parity : y[i];
        }
    }
};

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_SPECIAL_PI_SCALED_H
