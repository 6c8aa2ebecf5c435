// cbrtf: y[i] = cbrt(x[i]) correctly rounded to nearest even, every float.
//
// Fast path, in double, for nonzero finite x (subnormal floats are normal
// doubles): |x| = 2^(3q + s) m, s in {0, 1, 2}, m in [1, 2) with its top 6
// fraction bits picking c = kCbrtInvC[i], a 29-bit value near 1/m, so that
// r = m c - 1 is exact and |r| <= 2^-7.01.  The exponent is split by 3 in
// double (the shifter rounds (E - 1)/3, whose fraction is 0, 1/3 or 2/3 minus
// 1/3): no integer division and no conversion from a 64-bit integer.
//   cbrt(|x|) = 2^q cbrt(2^s/c) cbrt(1 + r), cbrt(1 + r) by a degree-5
//   polynomial (relative error 2^-51.47, tools/core-tables/float_tables.py),
//   cbrt(2^s/c) from kCbrtScale; the sign is x's.
//   Error: polynomial 2^-51.47, its evaluation 2^-53, the table and the
//   product 2^-53 each: below 2^-50.4 relative; the test uses kErr = 2^-48.
// Rounding test: float_core.h.  Flagged lanes: zeros, infinities, NaN and
//   about 2^-23 of the others.
// Accurate path (float_accurate.cpp): exact.  From a candidate float c (the
//   same double evaluation), the midpoints between c and its neighbours are
//   cubed in 128-bit integers and compared with x; c moves to the neighbour
//   while x lies beyond a midpoint.  A cube root is never a midpoint (a 25-bit
//   odd significand cubed has more than 24 bits), so there are no ties and
//   nothing is left uncertain.
#ifndef HOSTMATH_MATH_CBRTF_H
#define HOSTMATH_MATH_CBRTF_H

#include "math/float_core.h"
#include "math/float_data.h"

namespace hostmath {
namespace core {

namespace float_detail {

inline constexpr double kCbrtErr = 0x1p-48;

// cbrt(|x|) in double for a nonzero finite |x| with the pattern ux (a double
// from a float), without its sign; shared with the accurate path's candidate.
template <class L>
HOSTMATH_ALWAYS_INLINE double cbrt_magnitude(std::uint64_t ux)
{
    using namespace float_data;
    // E - 1023 + 300 in [151, 427]: q' = floor(that / 3) = q + 100.
    const std::uint64_t biased = (ux >> 52) - 723;
    const double biased_d = double_from_bits(0x4330000000000000ull | biased) - 0x1p52;
    const double third = (biased_d - 1.0) * (1.0 / 3.0) + kShifter;
    const std::uint64_t q = bits_of(third) - bits_of(kShifter);
    const std::uint64_t s = biased - 3 * q;
    const std::uint64_t index = (ux >> 46) & 63;
    const double m = double_from_bits((ux & 0x000fffffffffffffull) | 0x3ff0000000000000ull);
    const double r = m * kCbrtInvC[index] - 1.0;
    const double r2 = r * r;
    const double p45 = detail::mul_add<L>(r, kCbrtPoly[5], kCbrtPoly[4]);
    const double p23 = detail::mul_add<L>(r, kCbrtPoly[3], kCbrtPoly[2]);
    const double p25 = detail::mul_add<L>(r2, p45, p23);
    const double p1 = detail::mul_add<L>(r, p25, kCbrtPoly[1]);
    const double p = detail::mul_add<L>(r, p1, kCbrtPoly[0]);
    const double power = double_from_bits((q + 923) << 52);  // 2^(q' - 100)
    return kCbrtScale[64 * s + index] * p * power;
}

template <class L>
HOSTMATH_ALWAYS_INLINE void cbrtf_fast(const float (&x)[L::kCount], float (&y)[L::kCount], Flag (&flag)[L::kCount])
{
    for (std::size_t i = 0; i < L::kCount; ++i) {
        const std::uint32_t u = bits_of(x[i]);
        const bool special = (u & 0x7fffffffu) - 1u >= 0x7f800000u - 1u;  // zeros, infinities, NaN
        const std::uint64_t ux = bits_of(static_cast<double>(x[i])) & 0x7fffffffffffffffull;
        // The magnitude's pattern stays in range for the special lanes too
        // (their result is replaced).
        const std::uint64_t safe = detail::select_bits(special, std::uint64_t{0x3ff0000000000000ull}, ux);
        const double v = double_from_bits(bits_of(cbrt_magnitude<L>(safe)) |
                                          (static_cast<std::uint64_t>(u & 0x80000000u) << 32));
        Flag unsure;
        y[i] = round_checked(v, kCbrtErr * abs_of(v), unsure);
        flag[i] = unsure | static_cast<Flag>(special);
    }
}

}  // namespace float_detail

template <class L>
HOSTMATH_ALWAYS_INLINE void cbrtf(const float (&x)[L::kCount], float (&y)[L::kCount])
{
    float_detail::Flag flag[L::kCount];
    float_detail::cbrtf_fast<L>(x, y, flag);
    detail::for_flagged_lanes<L>(flag, [&](std::size_t i) { y[i] = float_detail::cbrtf_accurate(x[i]); });
}

}  // namespace core
}  // namespace hostmath

#endif  // HOSTMATH_MATH_CBRTF_H
