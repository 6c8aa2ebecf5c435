// Double-double helpers of the binary64 sine and cosine (trig_reduce.h):
// the exact product by a constant whose Veltkamp split is made once, at
// compile time, so that a path without the fused multiply-add splits only the
// variable operand.
#ifndef HOSTMATH_MATH_TRIG_DD_H
#define HOSTMATH_MATH_TRIG_DD_H

#include "base/bits.h"

#include <cmath>

namespace hostmath {
namespace core {
namespace trig {

// A constant and its split: hi holds its leading 26 bits, lo = value - hi
// (26 bits and a sign), both exact.
struct SplitConstant {
    double value;
    double hi;
    double lo;
};

constexpr SplitConstant split_constant(double b)
{
    const double c = (0x1p27 + 1) * b;
    const double hi = c - (c - b);
    return SplitConstant{b, hi, b - hi};
}

// a * b.value = p + e exactly (|a| below 2^995, as for two_prod).
template <class L>
HOSTMATH_ALWAYS_INLINE double two_prod_by(double a, const SplitConstant& b, double& e)
{
    const double p = a * b.value;
    if constexpr (L::kHasFma) {
        e = std::fma(a, b.value, -p);
    } else {
        const double c = (0x1p27 + 1) * a;
        const double ah = c - (c - a), al = a - ah;
        e = ((ah * b.hi - p) + ah * b.lo + al * b.hi) + al * b.lo;
    }
    return p;
}

}  // namespace trig
}  // namespace core
}  // namespace hostmath

#endif  // HOSTMATH_MATH_TRIG_DD_H
