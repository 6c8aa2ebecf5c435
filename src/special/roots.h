// The reciprocal square and cube roots: the bodies on lanes (base/lanes.h) for
// the exported scalar functions and their array forms alike (rsqrtD.cpp ...
// rcbrtF.cpp state the special cases).  1 divided by the root, two roundings:
// the square root is the IEEE operation, the cube root the maths core's.  The
// double forms settle zeros (and, for rsqrt, infinities) on the pattern first,
// without dividing; the float forms leave every argument to the division.
// A NaN made from a number (the root of a negative number) is the positive
// quiet NaN on every processor.
#ifndef HOSTMATH_SPECIAL_ROOTS_H
#define HOSTMATH_SPECIAL_ROOTS_H

#include "base/bits.h"
#include "base/lanes.h"
#include "math/core.h"

#include <cmath>
#include <cstddef>

namespace hostmath {
namespace detail {

// The result, or the positive quiet NaN where a number gave a NaN (an
// argument NaN passes as the arithmetic left it).
template <typename T>
inline T nan_of_number_as_default(T x, T result)
{
    return isnan(result) && !isnan(x) ? quiet_nan_of<T>() : result;
}

struct Rsqrt {
    static constexpr double kPad = 1;

    template <class L, typename T>
    static HOSTMATH_ALWAYS_INLINE void run(const T (&x)[L::kCount], T (&y)[L::kCount])
    {
        for (std::size_t i = 0; i < L::kCount; ++i) {
            T r = T(1) / std::sqrt(x[i]);
            if constexpr (sizeof(T) == 8) {
                r = isinf(x[i]) ? T(0) : r;
                r = x[i] == T(0) ? infinity_of<T>() : r;
            }
            y[i] = nan_of_number_as_default(x[i], r);
        }
    }
};

// A double zero gives the infinity of its own sign: the exponent field set in
// its pattern.
struct Rcbrt {
    static constexpr double kPad = 1;

    template <class L, typename T>
    static HOSTMATH_ALWAYS_INLINE void run(const T (&x)[L::kCount], T (&y)[L::kCount])
    {
        core::cbrt_of<L>(x, y);
        for (std::size_t i = 0; i < L::kCount; ++i) {
            T r = T(1) / y[i];
            if constexpr (sizeof(T) == 8) r = x[i] == T(0) ? real_from_bits(bits_of(x[i]) | Format<T>::kInfinity) : r;
            y[i] = nan_of_number_as_default(x[i], r);
        }
    }
};

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_SPECIAL_ROOTS_H
