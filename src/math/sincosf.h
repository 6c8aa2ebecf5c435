// sinf and cosf: correctly rounded to nearest even, every float.  The two
// share their reduction and their polynomials; sinf.h and cosf.h are the
// entry points, sincosf (below) computes both.
//
// Fast path, in double, for |x| < 2^27 (the library's own arguments, x pi for
// |x| < 2^23, lie below 2^24.7):
//   k = round(x 2/pi), x = k pi/2 + r, r = rh + rl, |r| <= pi/4 (1 + 2^-20):
//   pi/2 = P1 + P2 + P3 + d (|d| < 2^-109), P1 and P2 of 26 bits, so k P1 and
//   k P2 are exact for |k| < 2^27; x - k P1 is exact (Sterbenz); (r12, e) is
//   the exact sum of that and -k P2; (rh, rl) the exact sum of r12 and
//   e - k P3 (up to 2^-27, so it is added to rh, not kept apart), |rl| <=
//   ulp(rh)/2.  Off from x - k pi/2 by at most |k| |d| + 2^-53 (|k P3| + |e|)
//   < 2^-79 (0 when k = 0: r = x exactly).
//   sin r = rh + (rl + rh r2 S(r2)), cos r = 1 + (r2 C(r2) - rh rl), r2 = rh^2,
//   S of degree 5 and C of degree 5 in r2 (relative errors 2^-55.45 and
//   2^-51.61, tools/core-tables/float_tables.py); the quadrant k mod 4 picks
//   one of them and its sign.
//   Error: sin: polynomial 2^-55.45, evaluation (the last sum, r2, S) 2^-52.3;
//   cos: polynomial 2^-51.61, evaluation 2^-51.8 (cos r >= 0.7); rl left out
//   of the higher terms 2^-54: below 2^-50.5 relative, plus 2^-79 absolute
//   from the reduction when k != 0.  The test uses 2^-48 relative and 2^-77
//   absolute (for k != 0).
// Rounding test: float_core.h.  Flagged lanes: |x| >= 2^27, zeros (whose sign
//   the sums could lose), infinities, NaN and about 2^-23 of the others.
// Accurate path (float_accurate.cpp), for every float: exact reduction in
//   integers, x 128/pi = 256 n + j + f, |f| <= 1/2, from a 192-bit window of
//   2/pi times the 24-bit significand (216 bits), f kept to 128 bits; then
//   sin and cos of j pi/128 + f pi/128 from tables and Taylor series in
//   double-double.  Relative error below 2^-98 plus 2^-125 absolute, tested at
//   2^-90 and 2^-120; proven on every float by the full sweep.  Hardest cases:
//   arguments nearest a multiple of pi/2 and tiny ones (sin x = x and
//   cos x = 1 below 2^-12, from the same rounding).
#ifndef HOSTMATH_MATH_SINCOSF_H
#define HOSTMATH_MATH_SINCOSF_H

#include "math/float_core.h"
#include "math/float_data.h"

namespace hostmath {
namespace core {

namespace float_detail {

inline constexpr double kTrigErr = 0x1p-48;
inline constexpr double kTrigReductionErr = 0x1p-77;

// The sine (kSine) and the cosine (kCosine) of each lane, from one
// reduction; each result, and its flag, is the same whether the other is
// computed or not.  With one of the two, s and c (and their flags) may be the
// same arrays.
template <class L, bool kSine, bool kCosine>
HOSTMATH_ALWAYS_INLINE void sincosf_parts(const float (&x)[L::kCount], float (&s)[L::kCount],
                                          Flag (&s_flag)[L::kCount], float (&c)[L::kCount],
                                          Flag (&c_flag)[L::kCount])
{
    using namespace float_data;
    for (std::size_t i = 0; i < L::kCount; ++i) {
        // |x| >= 2^27, infinities and NaN; zeros through the wrap of the magnitude minus one.
        const bool special = (bits_of(x[i]) & 0x7fffffffu) - 1u >= 0x4d000000u - 1u;
        const double xd = x[i];
        const double shifted = xd * kTwoOverPi + kShifter;
        const double k = shifted - kShifter;
        // The quadrant of the sine; the cosine's is one further.
        const std::uint64_t quadrant = bits_of(shifted);
        const double r1 = xd - k * kHalfPi1;
        double e, rl;
        const double r12 = detail::two_sum(r1, -(k * kHalfPi2), e);
        const double rh = detail::two_sum(r12, e - k * kHalfPi3, rl);
        const double r2 = rh * rh;
        const double r4 = r2 * r2;
        if constexpr (L::kCount == 1 && kSine != kCosine) {
            // One lane, one result: only the polynomial its quadrant needs,
            // the same operations as below, so the same bits.
            const std::uint64_t q = quadrant + (kCosine ? 1 : 0);
            double v;
            if ((q & 1) == 0) {
                const double s01 = detail::mul_add<L>(r2, kSinPoly[1], kSinPoly[0]);
                const double s23 = detail::mul_add<L>(r2, kSinPoly[3], kSinPoly[2]);
                const double s45 = detail::mul_add<L>(r2, kSinPoly[5], kSinPoly[4]);
                const double sp = detail::mul_add<L>(r4, detail::mul_add<L>(r4, s45, s23), s01);
                v = rh + detail::mul_add<L>(rh * r2, sp, rl);
            } else {
                const double c01 = detail::mul_add<L>(r2, kCosPoly[1], kCosPoly[0]);
                const double c23 = detail::mul_add<L>(r2, kCosPoly[3], kCosPoly[2]);
                const double c45 = detail::mul_add<L>(r2, kCosPoly[5], kCosPoly[4]);
                const double cp = detail::mul_add<L>(r4, detail::mul_add<L>(r4, c45, c23), c01);
                v = 1.0 + (r2 * cp - rh * rl);
            }
            v = double_from_bits(bits_of(v) ^ ((q & 2) << 62));
            const double err = kTrigErr * abs_of(v) + (k != 0 ? kTrigReductionErr : 0.0);
            Flag unsure;
            float& y = kCosine ? c[0] : s[0];
            y = round_checked(v, err, unsure);
            (kCosine ? c_flag[0] : s_flag[0]) = unsure | static_cast<Flag>(special);
            continue;
        }
        const double s01 = detail::mul_add<L>(r2, kSinPoly[1], kSinPoly[0]);
        const double s23 = detail::mul_add<L>(r2, kSinPoly[3], kSinPoly[2]);
        const double s45 = detail::mul_add<L>(r2, kSinPoly[5], kSinPoly[4]);
        const double sp = detail::mul_add<L>(r4, detail::mul_add<L>(r4, s45, s23), s01);
        const double sine = rh + detail::mul_add<L>(rh * r2, sp, rl);
        const double c01 = detail::mul_add<L>(r2, kCosPoly[1], kCosPoly[0]);
        const double c23 = detail::mul_add<L>(r2, kCosPoly[3], kCosPoly[2]);
        const double c45 = detail::mul_add<L>(r2, kCosPoly[5], kCosPoly[4]);
        const double cp = detail::mul_add<L>(r4, detail::mul_add<L>(r4, c45, c23), c01);
        const double cosine = 1.0 + (r2 * cp - rh * rl);
        // The reduction's error, for k != 0 only: k's exponent field is 0 or
        // in [1023, 1050], so (field + 1) >> 10 is 0 or 1.  Bit operations,
        // not a compare (SSE2 has no 64-bit integer compare, and a floating
        // compare may trap, which keeps GCC from selecting on it).
        const std::uint64_t k_nonzero = (((bits_of(k) >> 52) & 0x7ff) + 1) >> 10;
        const double reduction_err = double_from_bits(bits_of(kTrigReductionErr) & (0 - k_nonzero));
        // Quadrant 0: sin r, 1: cos r, 2: -sin r, 3: -cos r.  Selected on the
        // bit patterns with masks, so that the loop vectorises.
        const auto finish = [&](std::uint64_t q, float& y, Flag& flag) {
            const std::uint64_t pick = detail::select_bits((q & 1) != 0, bits_of(cosine), bits_of(sine));
            const double v = double_from_bits(pick ^ ((q & 2) << 62));
            const double err = kTrigErr * abs_of(v) + reduction_err;
            Flag unsure;
            y = round_checked(v, err, unsure);
            flag = unsure | static_cast<Flag>(special);
        };
        if constexpr (kSine) finish(quadrant, s[i], s_flag[i]);
        if constexpr (kCosine) finish(quadrant + 1, c[i], c_flag[i]);
    }
}

// kCosine = false: sinf, true: cosf.
template <class L, bool kCosine>
HOSTMATH_ALWAYS_INLINE void sincosf_fast(const float (&x)[L::kCount], float (&y)[L::kCount], Flag (&flag)[L::kCount])
{
    sincosf_parts<L, !kCosine, kCosine>(x, y, flag, y, flag);
}

template <class L, bool kCosine>
HOSTMATH_ALWAYS_INLINE void sincosf(const float (&x)[L::kCount], float (&y)[L::kCount])
{
    Flag flag[L::kCount];
    sincosf_fast<L, kCosine>(x, y, flag);
    detail::for_flagged_lanes<L>(flag, [&](std::size_t i) {
        y[i] = kCosine ? cosf_accurate(x[i]) : sinf_accurate(x[i]);
    });
}

}  // namespace float_detail

// s[i] = sinf(x[i]) and c[i] = cosf(x[i]), each exactly what sinf and cosf
// give, from one reduction.
template <class L>
HOSTMATH_ALWAYS_INLINE void sincosf(const float (&x)[L::kCount], float (&s)[L::kCount], float (&c)[L::kCount])
{
    float_detail::Flag s_flag[L::kCount], c_flag[L::kCount];
    float_detail::sincosf_parts<L, true, true>(x, s, s_flag, c, c_flag);
    detail::for_flagged_lanes<L>(s_flag, [&](std::size_t i) { s[i] = float_detail::sinf_accurate(x[i]); });
    detail::for_flagged_lanes<L>(c_flag, [&](std::size_t i) { c[i] = float_detail::cosf_accurate(x[i]); });
}

}  // namespace core
}  // namespace hostmath

#endif  // HOSTMATH_MATH_SINCOSF_H
