// logf: y[i] = log(x[i]) (natural) correctly rounded to nearest even, every float.
//
// Fast path, in double, for positive finite x (subnormal floats are normal
// doubles): x = 2^e m with m in [0x1.61p-1, 0x1.61p0), split by the offset
// kLogOffset on the bit pattern; the top 7 fraction bits of the offset pattern
// pick c = kLogInvC[i], a 29-bit value near 1/m, so r = m c - 1 is exact (a
// 24-bit m times c, then Sterbenz) and |r| <= 2^-8.  The interval holding 1
// has c = 1 and log c = 0, so results near 0 carry no table error.
//   log(x) = e ln2 - log(c) + log1p(r), log1p(r) = r + r^2 P(r) of degree 6
//   (relative error 2^-54.81, tools/core-tables/float_tables.py).
//   Error: for e = 0, |log x| >= 2^-9 unless c = 1, and |log1p(r)| <= 2 |log x|:
//   the polynomial and its evaluation 2 (2^-52 + 2^-54.8), the table and the
//   last sum 2^-53 each: below 2^-49.8 relative.  For e != 0, |log x| >= 0.32
//   and e ln2 - log c is one rounding: below 2^-51.  The test uses kErr = 2^-48.
// Rounding test: float_core.h.  Flagged lanes: zeros, negatives, infinities,
//   NaN, and about 2^-23 of the others.
// Accurate path (float_accurate.cpp): the same split, log1p(r) by its Taylor
//   series to r^14 and the sum in double-double: relative error below 2^-100,
//   tested at 2^-95; proven on every float by the full sweep.  Hardest cases:
//   x near 1, where log(x) = (x - 1) - (x - 1)^2/2 ... sits near a midpoint.
#ifndef HOSTMATH_MATH_LOGF_H
#define HOSTMATH_MATH_LOGF_H

#include "math/float_core.h"
#include "math/float_data.h"

namespace hostmath {
namespace core {

namespace float_detail {

inline constexpr double kLogErr = 0x1p-48;

template <class L>
HOSTMATH_ALWAYS_INLINE void logf_fast(const float (&x)[L::kCount], float (&y)[L::kCount], Flag (&flag)[L::kCount])
{
    using namespace float_data;
    for (std::size_t i = 0; i < L::kCount; ++i) {
        // Zeros, negatives, infinities and NaNs: the magnitude minus one wraps
        // for zeros, the sign bit puts negatives above the infinity.
        const bool special = bits_of(x[i]) - 1u >= 0x7f800000u - 1u;
        const std::uint64_t ux = bits_of(static_cast<double>(x[i]));
        const std::uint64_t offset = ux - kLogOffset;
        const std::uint64_t index = (offset >> 45) & 127;
        const std::uint64_t exponent_field = offset & 0xfff0000000000000ull;
        // e from its 12-bit two's complement field: flip the sign bit (add
        // 2048), convert through the shifter, take 2048 off.
        const double e = double_from_bits(0x4330000000000000ull | ((offset >> 52) ^ 0x800)) - (0x1p52 + 2048);
        const double m = double_from_bits(ux - exponent_field);
        const double r = m * kLogInvC[index] - 1.0;
        const double r2 = r * r;
        const double q56 = detail::mul_add<L>(r, kLogPoly[6], kLogPoly[5]);
        const double q34 = detail::mul_add<L>(r, kLogPoly[4], kLogPoly[3]);
        const double q36 = detail::mul_add<L>(r2, q56, q34);
        const double q2 = detail::mul_add<L>(r, q36, kLogPoly[2]);
        const double p = detail::mul_add<L>(r2, q2, r);
        const double high = e * kLn2Hi + kLogMinusLogC[index].hi;
        const double low = e * kLn2Lo + kLogMinusLogC[index].lo;
        const double v = high + (p + low);
        Flag unsure;
        y[i] = round_checked(v, kLogErr * abs_of(v), unsure);
        flag[i] = unsure | static_cast<Flag>(special);
    }
}

}  // namespace float_detail

template <class L>
HOSTMATH_ALWAYS_INLINE void logf(const float (&x)[L::kCount], float (&y)[L::kCount])
{
    float_detail::Flag flag[L::kCount];
    float_detail::logf_fast<L>(x, y, flag);
    detail::for_flagged_lanes<L>(flag, [&](std::size_t i) { y[i] = float_detail::logf_accurate(x[i]); });
}

}  // namespace core
}  // namespace hostmath

#endif  // HOSTMATH_MATH_LOGF_H
