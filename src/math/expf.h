// expf: y[i] = e^x[i] correctly rounded to nearest even, every float.
//
// Fast path, in double, for |x| <= 150 (beyond, the result is 0 or +inf):
//   k = round(x 64/ln2), x = k ln2/64 + r, |r| <= ln2/128 (1 + 2^-20):
//   r = (x - k S1) - k S2, where k S1 is exact (S1 of 39 bits, |k| < 2^14) and
//   the difference exact (Sterbenz), so r is off by at most 2^-53 |r| + 2^-86;
//   e^x = 2^(k>>6) 2^((k&63)/64) e^r, the power of two added to the exponent
//   of the table value, e^r by a degree-4 polynomial (relative error
//   2^-48.54, measured by tools/core-tables/float_tables.py).
//   Error: polynomial 2^-48.54, its evaluation 2^-52, the table value and the
//   product 2^-53 each, the reduction 2^-60: below 2^-48.3 relative; the test
//   uses kErr = 2^-47.  Overflow and underflow come out of the conversion to
//   float (the double result has room to 2^±217), so they are tested too.
// Rounding test: float_core.h.  Flagged lanes: |x| > 150, infinities, NaN,
//   and about 2^-22 of the others, those within 2^-47 of a float midpoint.
// Accurate path (float_accurate.cpp): the same reduction with ln2/64 in three
//   parts and e^r by its Taylor series in double-double, 2^(j/64) in
//   double-double: relative error below 2^-100, tested at 2^-95; proven
//   correct on every float by the full sweep (tests/full_core_float.cpp), which
//   found no input it leaves uncertain.  Hardest cases: small |x| near
//   2^-24 (e^x = 1 + x + x^2/2 near the midpoint 1 + 2^-24).
#ifndef HOSTMATH_MATH_EXPF_H
#define HOSTMATH_MATH_EXPF_H

#include "math/float_core.h"
#include "math/float_data.h"

namespace hostmath {
namespace core {

namespace float_detail {

inline constexpr double kExpErr = 0x1p-47;
inline constexpr std::uint32_t kExpLimit = 0x43160000u;  // 150.0f

// The fast path: y[i] on every lane, flag[i] set where the accurate path must
// decide.
template <class L>
HOSTMATH_ALWAYS_INLINE void expf_fast(const float (&x)[L::kCount], float (&y)[L::kCount],
                                      Flag (&flag)[L::kCount])
{
    using namespace float_data;
    for (std::size_t i = 0; i < L::kCount; ++i) {
        const bool special = (bits_of(x[i]) & 0x7fffffffu) > kExpLimit;
        const double xd = x[i];
        const double shifted = xd * kExpInvStep + kShifter;
        const double k = shifted - kShifter;
        const std::uint64_t kbits = bits_of(shifted);
        const double r = (xd - k * kExpStep1) - k * kExpStep2Fast;
        const double r2 = r * r;
        const double p01 = detail::mul_add<L>(r, kExpPoly[1], kExpPoly[0]);
        const double p23 = detail::mul_add<L>(r, kExpPoly[3], kExpPoly[2]);
        const double p24 = detail::mul_add<L>(r2, kExpPoly[4], p23);
        const double p = detail::mul_add<L>(r2, p24, p01);
        // 2^(k>>6) 2^((k&63)/64): the bits of kShifter above bit 6 vanish
        // when shifted to the exponent field.
        const double scale = double_from_bits(bits_of(kExpTable[kbits & 63].hi) + ((kbits >> 6) << 52));
        const double v = scale * p;
        Flag unsure;
        y[i] = round_checked(v, kExpErr * v, unsure);
        flag[i] = unsure | static_cast<Flag>(special);
    }
}

}  // namespace float_detail

template <class L>
HOSTMATH_ALWAYS_INLINE void expf(const float (&x)[L::kCount], float (&y)[L::kCount])
{
    float_detail::Flag flag[L::kCount];
    float_detail::expf_fast<L>(x, y, flag);
    detail::for_flagged_lanes<L>(flag, [&](std::size_t i) { y[i] = float_detail::expf_accurate(x[i]); });
}

}  // namespace core
}  // namespace hostmath

#endif  // HOSTMATH_MATH_EXPF_H
