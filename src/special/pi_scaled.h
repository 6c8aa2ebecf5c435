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
#include <cstdint>
#include <cstring>

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

// The integer structure of x, on its bits: its magnitude pattern, and the
// position of its units bit, below which the fraction bits are the fraction
// of x.  The position is negative from 2^(fraction bits + 1) on (every x is
// an even integer there) and above the fraction's width below 1 (where x is
// an integer only when it is zero).
template <typename Real>
struct IntegerBits {
    using F = Format<Real>;
    using Bits = typename F::Bits;
    static constexpr int kBias = (1 << (sizeof(Real) * 8 - F::kFractionBits - 2)) - 1;  // 127 or 1023

    explicit IntegerBits(Real x)
        : magnitude(bits_of(x) & F::kMagnitude),
          units(F::kFractionBits - (static_cast<int>(magnitude >> F::kFractionBits) - kBias))
    {
    }

    const Bits magnitude;
    const int units;
};

// x counts as an integer when it is finite and floor(x) = ceil(x): zeros of
// either sign and every value at or above 2^52 (2^23 in single precision)
// pass, a NaN and the infinities do not.  Decided on the bits, which gives
// the same answer as the comparison of floor and ceiling without calling them.
template <typename Real>
inline bool counts_as_integer(Real x)
{
    using F = Format<Real>;
    using Bits = typename F::Bits;
    const IntegerBits<Real> b(x);
    const Bits below_units = b.units <= 0 ? 0 : b.units > F::kFractionBits ? F::kMagnitude : (Bits{1} << b.units) - 1;
    return b.magnitude < F::kInfinity && (b.magnitude == 0 || (b.magnitude & below_units) == 0);
}

// For an integer x: whether it is odd, its units bit (the implicit one at
// exactly 1).  Every x at or above 2^53 (2^24) is even, and so is zero.
template <typename Real>
inline bool integer_is_odd(Real x)
{
    using F = Format<Real>;
    using Bits = typename F::Bits;
    const IntegerBits<Real> b(x);
    constexpr Bits kOne = Bits{1} << F::kFractionBits;
    const Bits significand = (b.magnitude & (kOne - 1)) | kOne;
    const bool in_range = b.magnitude != 0 && b.units >= 0 && b.units <= F::kFractionBits;
    return in_range && ((significand >> (in_range ? b.units : 0)) & 1) != 0;
}

// The same two tests by arithmetic on the magnitude a, without branches, for
// the blocks of double lanes, where the vectoriser takes it (the bit tests
// above branch on the exponent, which suits one lane, and their loops do not
// vectorise).  kUnit = 2^52: every finite a >= kUnit is an integer; below it
// a + kUnit is exact when a is an integer and an integer otherwise, so that
// a is an integer exactly when (a + kUnit) - kUnit gives it back, whatever
// the rounding.  The units bit of an integer a < kUnit is the last fraction
// bit of a + kUnit, from kUnit to 2 kUnit that of a, and beyond it is 0.
struct IntegerArithmetic {
    using F = Format<double>;
    static constexpr double kUnit = 0x1p52;
    static constexpr std::uint64_t kUnitBits = 0x4330000000000000ull;
    static constexpr std::uint64_t kTwiceUnitBits = 0x4340000000000000ull;

    explicit IntegerArithmetic(double x) : magnitude(bits_of(x) & F::kMagnitude), large(magnitude >= kUnitBits) {}

    bool integer() const
    {
        const double a = real_from_bits(magnitude);
        const std::uint64_t back = bits_of((a + kUnit) - kUnit);
        return (magnitude < F::kInfinity) & (large | (back == magnitude));
    }

    bool odd() const
    {
        const std::uint64_t units = large ? magnitude : bits_of(real_from_bits(magnitude) + kUnit);
        return ((units & 1) != 0) & (magnitude < kTwiceUnitBits);
    }

    const std::uint64_t magnitude;
    const bool large;
};

// Whether x counts as an integer, and whether it is odd, by the test that
// suits the lanes of L.
template <class L, typename T>
inline bool lane_is_integer(T x)
{
    if constexpr (L::kCount > 1 && sizeof(T) == 8) return IntegerArithmetic(x).integer();
    else return counts_as_integer(x);
}
template <class L, typename T>
inline bool lane_is_odd(T x)
{
    if constexpr (L::kCount > 1 && sizeof(T) == 8) return IntegerArithmetic(x).odd();
    else return integer_is_odd(x);
}

// The rounded products x * pi on the lanes that are not integers; 0 on the
// integers, whose result the products do not decide.
template <class L, typename T>
HOSTMATH_ALWAYS_INLINE void pi_products(const T (&x)[L::kCount], T (&product)[L::kCount])
{
    for (std::size_t i = 0; i < L::kCount; ++i) product[i] = lane_is_integer<L>(x[i]) ? T(0) : x[i] * pi_of<T>();
}

// The result at the integers: the sine +0, the cosine +1 on the even
// integers and -1 on the odd ones (the remainder of x by 2, exact, is zero or
// not); elsewhere y, the core's sine or cosine of the rounded product x * pi.
template <class L, bool kCosine, typename T>
inline T pi_scaled_result(T x, T y)
{
    const T at_integer = kCosine && lane_is_odd<L>(x) ? T(-1) : T(kCosine ? 1 : 0);
    return lane_is_integer<L>(x) ? at_integer : y;
}

// sin(pi x) (kCosine false) or cos(pi x) on the lanes of L.
template <bool kCosine>
struct PiScaled {
    static constexpr double kPad = 0.5;

    template <class L, typename T>
    static HOSTMATH_ALWAYS_INLINE void run(const T (&x)[L::kCount], T (&y)[L::kCount])
    {
        T product[L::kCount];
        pi_products<L>(x, product);
        if constexpr (kCosine) core::cos_of<L>(product, y);
        else core::sin_of<L>(product, y);
        for (std::size_t i = 0; i < L::kCount; ++i) y[i] = pi_scaled_result<L, kCosine>(x[i], y[i]);
    }
};

using Sinpi = PiScaled<false>;
using Cospi = PiScaled<true>;

// Both on the lanes of L, from one product and one reduction: s[i] exactly
// what Sinpi gives, c[i] what Cospi gives.
template <class L, typename T>
HOSTMATH_ALWAYS_INLINE void sincospi_lanes(const T (&x)[L::kCount], T (&s)[L::kCount], T (&c)[L::kCount])
{
    T product[L::kCount];
    pi_products<L>(x, product);
    core::sincos_of<L>(product, s, c);
    for (std::size_t i = 0; i < L::kCount; ++i) {
        s[i] = pi_scaled_result<L, false>(x[i], s[i]);
        c[i] = pi_scaled_result<L, true>(x[i], c[i]);
    }
}

// sincospi: each result exactly what sinpi or cospi gives, the sine stored
// first (so that where both pointers designate one object it ends holding
// the cosine); a null pointer is skipped and its value not computed.
template <bool kFma, typename T>
HOSTMATH_ALWAYS_INLINE void sincospi_of(T x, T* sinp, T* cosp)
{
    if (sinp != nullptr && cosp != nullptr) {
        const T in[1] = {x};
        T s[1], c[1];
        sincospi_lanes<Lanes<1, kFma>>(in, s, c);
        *sinp = s[0];
        *cosp = c[0];
    } else if (sinp != nullptr) {
        *sinp = one_lane<Sinpi, kFma>(x);
    } else if (cosp != nullptr) {
        *cosp = one_lane<Cospi, kFma>(x);
    }
}

// The array form: blocks of kBlockLanes, each block's arguments copied before
// either result is stored, so that sinp or cosp may equal in.
template <bool kFma, typename T>
HOSTMATH_ALWAYS_INLINE void sincospi_each(const T* in, T* sinp, T* cosp, std::size_t n)
{
    if (sinp == nullptr || cosp == nullptr) {
        if (sinp != nullptr) each_block<Sinpi, kFma>(in, sinp, n);
        if (cosp != nullptr) each_block<Cospi, kFma>(in, cosp, n);
        return;
    }
    using L = Lanes<kBlockLanes, kFma>;
    T x[kBlockLanes], s[kBlockLanes], c[kBlockLanes];
    for (std::size_t start = 0; start < n; start += kBlockLanes) {
        const std::size_t count = n - start < kBlockLanes ? n - start : kBlockLanes;
        std::memcpy(x, in + start, count * sizeof(T));
        for (std::size_t i = count; i < kBlockLanes; ++i) x[i] = T(Sinpi::kPad);
        sincospi_lanes<L>(x, s, c);
        std::memcpy(sinp + start, s, count * sizeof(T));
        std::memcpy(cosp + start, c, count * sizeof(T));
    }
}

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_SPECIAL_PI_SCALED_H
