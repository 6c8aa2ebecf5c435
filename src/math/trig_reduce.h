// The fast path shared by the binary64 sine and cosine (sin.h, cos.h): the
// argument reduction, the table and polynomial evaluation in double-double,
// and the rounding test.  The method and its error bound are described here;
// sin.h and cos.h only name the two entry points.
//
// Reduction.  For |x| < 2^54, t = |x| * 2N/pi (N = 256) is formed as
// C0|x| + C1|x| + C2|x| with 2N/pi = C0 + C1 + C2 (to 2^-150): C0|x| and C1|x|
// as exact products (two_prod), C2|x| rounded.  The multiple of 8N nearest
// C0|x| is dropped (the 0x1.8p63 shifter rounds to multiples of 2^11 = 8N,
// exactly, and the sine has period 4N in t), leaving w + (low terms) with
// |w| < 2^11; k = round(w) by the 0x1.8p52 shifter, whose low bits are also
// k mod 4N; F = (w - k) + low, in double-double (w - k is exact), so
// |F| <= 1/2 + 2^-40; r = F * pi/(2N) in double-double, |r| <= pi/(4N)(1+2^-38)
// < 2^-8.35.  Every term of the sum is exact except the low ones: the error of
// F is below 2^-104 |w| + 2^-155 |t| (the double sum of the errors of the exact
// splits, the rounding of C2|x|, the 2^-150 of the split of 2N/pi), so with
// |w| < 2^11 and |x| < 2^54 the error of r is below 2^-99.5: the absolute term
// of the error bound, kErrorAbsolute.  The argument's nearness to a multiple
// of pi/2 needs no assumption: when sin x is small that absolute term makes
// the rounding test fail and the accurate path decides.  Below 2^10 (one lane,
// or a block of lanes all below it) Cody and Waite's reduction with a
// three-part pi/(2N) is shorter and good to 2^-110 (reduce_moderate), and below
// 2^19 the same with a four-part one (reduce_medium).
//
// Evaluation.  With a = (k mod 4N) pi/(2N), sin(a + r) = A cos r + B sin r,
// A = sin a and B = cos a = sin(a + pi/2) from one table of the whole turn in
// double-double (2^-106 relative), and cos(x) = sin(x + pi/2) is the same with
// k + N.  cos r = 1 + cm, sin r = r + sm, cm and sm by Taylor polynomials in
// double (cm = r^2(c2 + c4 r^2 + c6 r^4) to 2^-82, sm = r^3(s3 + s5 r^2 +
// s7 r^4) to 2^-85 |r|, both below the rounding of their evaluation).  Then
//     h + l = A.hi + B.hi*r.hi (exact sum and product)
//             + [A.lo + B.hi*r.lo + B.lo*r.hi + A.hi*(cm - r.hi*r.lo) + B.hi*sm]
// (the r.hi*r.lo term is the first order of cos(r.hi + r.lo) in r.lo).
// (B.hi*r.hi is two_prod where the path has the fused multiply-add; without it,
// the exact product of both truncated to 26 bits, and the cross terms, below
// 2^-25 |B r|, go into the bracket.)
// Error, relative to |sin(a + r)|: A != 0 means |A| >= sin(pi/(2N)) while
// |B sin r| <= sin(pi/(4N)), so |A| <= 2.0001 |y| and |B r| <= 1.0001 |y|;
// A = 0 means y = B sin r with B = +-1.  The terms: cm's evaluation (z = r.hi^2
// and two products and an addition, each 2^-53 relative, |cm| <= 2^-17.7)
// 2^-69.1 absolute, times |A|: 2^-68.1; the product A.hi*cm and the sum of the
// bracket (|bracket| <= 2^-17.6 |A|): 2^-69.6 and 2^-68.5; sm (|sm| <= 2^-19.3
// |r|, 5 roundings) 2^-69.5; the double Taylor coefficients 2^-73.3 (measured
// by the table script); the cross terms without FMA 2^-75; the neglected
// second orders (A.lo cm, r.lo^2, B r.lo cm, the table, r's product) below
// 2^-90 each.  Sum below 2^-66.7 (the largest error seen over 10^7 arguments
// against MPFR is 2^-67.9): kErrorRelative = 2^-66 covers it with the
// 2^-104 |h| that the test's own additions may round away.
//
// Rounding test: (h, l) renormalised, err = kErrorRelative |h| +
// kErrorAbsolute; if h + (l - err) and h + (l + err) are the same double,
// every value within the error rounds to it.  About one lane in 5000 fails.
//
// Flagged for the accurate path (sincos.cpp): those lanes, and |x| >= 2^54,
// infinities and NaN.  |x| < 2^-27 is settled here: sin x rounds to x and
// cos x to 1 (|sin x - x| < |x|^3/6 is below half an ulp of x, 1 - cos x <
// x^2/2 < 2^-55 is below half an ulp under 1).
#ifndef HOSTMATH_MATH_TRIG_REDUCE_H
#define HOSTMATH_MATH_TRIG_REDUCE_H

#include "base/bits.h"
#include "base/lanes.h"
#include "math/trig_data.h"
#include "math/trig_dd.h"

#include <cstddef>
#include <cstdint>

namespace hostmath {
namespace core {
namespace trig {

// The accurate paths: correctly rounded for every double (sincos.cpp).
double sin_accurate(double x);
double cos_accurate(double x);

// The fast path's range: 2^-27 <= |x| < 2^54, on the magnitude's bits.
inline constexpr std::uint64_t kTinyBits = 0x3e40000000000000ull;
inline constexpr std::uint64_t kLargeBits = 0x4350000000000000ull;

// 1 where a < b, for a, b < 2^63, else 0; and 1 where a != 0.  Subtractions
// and shifts: SSE2 has no 64-bit integer comparison, and a comparison of
// doubles turned into an integer flag does not vectorise there either.
HOSTMATH_ALWAYS_INLINE std::uint64_t below(std::uint64_t a, std::uint64_t b) { return (a - b) >> 63; }
HOSTMATH_ALWAYS_INLINE std::uint64_t nonzero(std::uint64_t a) { return (a | (0 - a)) >> 63; }
// Adding these rounds to an integer (|v| < 2^51) and to a multiple of
// 2^11 = 8N (|v| < 2^62).
inline constexpr double kIntegerShifter = 0x1.8p52;
inline constexpr double kTurnShifter = 0x1.8p63;
static_assert(trig_data::kLogN + 3 == 11, "the turn shifter rounds to multiples of 8N");

// The fast path's error bound: kErrorRelative |y| + kErrorAbsolute (the full
// reduction) or + kErrorAbsoluteModerate (the shorter ones).
inline constexpr double kErrorRelative = 0x1p-66;
inline constexpr double kErrorAbsolute = 0x1p-99;

// The reduced argument r = rh + rl and the double whose low bits are
// k mod 4N.
struct Reduced {
    double rh;
    double rl;
    double shifted;
};

inline constexpr SplitConstant kTwoNOverPi0 = split_constant(trig_data::kTwoNOverPi0);
inline constexpr SplitConstant kTwoNOverPi1 = split_constant(trig_data::kTwoNOverPi1);
inline constexpr SplitConstant kPiOverTwoNHi = split_constant(trig_data::kPiOverTwoNHi);

// The reduction of every lane, 2^-27 <= v < 2^54 (error in r below 2^-99.5).
template <class L>
HOSTMATH_ALWAYS_INLINE Reduced reduce(double v)
{
    using detail::two_sum;
    // t = v 2N/pi modulo 8N: d0 + e0 + p1 + e1 + p2.
    double e0, e1;
    const double p0 = two_prod_by<L>(v, kTwoNOverPi0, e0);
    const double d0 = p0 - ((p0 + kTurnShifter) - kTurnShifter);
    const double p1 = two_prod_by<L>(v, kTwoNOverPi1, e1);
    const double p2 = v * trig_data::kTwoNOverPi2;
    double ue, we;
    const double u = two_sum(e0, p1, ue);
    const double w = two_sum(d0, u, we);
    const double shifted = w + kIntegerShifter;
    const double f = w - (shifted - kIntegerShifter);
    double fl;
    const double fh = two_sum(f, ((we + ue) + e1) + p2, fl);
    // r = F pi/(2N).
    Reduced red;
    double rl0;
    red.rh = two_prod_by<L>(fh, kPiOverTwoNHi, rl0);
    red.rl = rl0 + (fh * trig_data::kPiOverTwoNLo + fl * trig_data::kPiOverTwoNHi);
    red.shifted = shifted;
    return red;
}

// The shorter reduction for 2^-27 <= v < 2^10 (one lane, or a block of lanes
// all in that range), Cody and Waite's:
// k = round(v 2N/pi) (|k| < 2^18, within 2^-35 of the nearest integer to t,
// so |r| <= (1/2 + 2^-35) pi/(2N)), then r = v - k P1 - k P2 - k P3 with
// pi/(2N) = P1 + P2 + P3: k P1 and k P2 are exact (35-bit parts), v - k P1 is
// exact (Sterbenz), the next difference an exact sum; k P3 (below 2^-60) is
// rounded, 2^-113, the split is good to 2^-130 |k|: the error in r is below
// 2^-110, far inside the absolute term kept for it.
inline constexpr std::uint64_t kModerateBits = 0x4090000000000000ull;  // 2^10
inline constexpr double kErrorAbsoluteModerate = 0x1p-104;

template <class L>
HOSTMATH_ALWAYS_INLINE Reduced reduce_moderate(double v)
{
    const double shifted = v * trig_data::kTwoNOverPi0 + kIntegerShifter;
    const double k = shifted - kIntegerShifter;
    const double r1 = v - k * trig_data::kPiOverTwoNPart1;
    double e;
    Reduced red;
    red.rh = detail::two_sum(r1, -(k * trig_data::kPiOverTwoNPart2), e);
    red.rl = e - k * trig_data::kPiOverTwoNPart3;
    red.shifted = shifted;
    return red;
}

// The same for 2^10 <= v < 2^19 (|k| < 2^27) with a four-part pi/(2N) of 26-bit
// parts: k Q1, k Q2, k Q3 exact, v - k Q1 exact, two exact sums, k Q4 (below
// 2^-62) rounded, the split good to 2^-139 |k|: again below 2^-110.  k is
// within 2^-25 of the nearest integer to t, so |r| <= (1/2 + 2^-25) pi/(2N).
inline constexpr std::uint64_t kMediumBits = 0x4120000000000000ull;  // 2^19

template <class L>
HOSTMATH_ALWAYS_INLINE Reduced reduce_medium(double v)
{
    using detail::two_sum;
    const double shifted = v * trig_data::kTwoNOverPi0 + kIntegerShifter;
    const double k = shifted - kIntegerShifter;
    const double r1 = v - k * trig_data::kPiOverTwoNQuarter1;
    double e1, e2;
    const double r2 = two_sum(r1, -(k * trig_data::kPiOverTwoNQuarter2), e1);
    Reduced red;
    red.rh = two_sum(r2, -(k * trig_data::kPiOverTwoNQuarter3), e2);
    red.rl = (e1 + e2) - k * trig_data::kPiOverTwoNQuarter4;
    red.shifted = shifted;
    return red;
}

// sin(k pi/(2N) + r) (the index moved by N for the cosine) as h + l, and the
// two ends of the rounding test, left and right.
template <class L, bool kCosine>
HOSTMATH_ALWAYS_INLINE void evaluate(const Reduced& red, double error_absolute, double& left, double& right)
{
    using detail::bits_of;
    using detail::fast_two_sum;
    using detail::mul_add;
    constexpr std::uint64_t kTurnMask = 4 * trig_data::kN - 1;
    const double rh = red.rh, rl = red.rl;
    const std::uint64_t index = bits_of(red.shifted) + (kCosine ? trig_data::kN : 0);
    const trig_data::DoubleDouble a = trig_data::kSinTable[index & kTurnMask];
    const trig_data::DoubleDouble b = trig_data::kSinTable[(index + trig_data::kN) & kTurnMask];
    const double z = rh * rh;
    const double sm = (rh * z) * mul_add<L>(z, mul_add<L>(z, trig_data::kSin7, trig_data::kSin5), trig_data::kSin3);
    const double cm = z * mul_add<L>(z, mul_add<L>(z, trig_data::kCos6, trig_data::kCos4), trig_data::kCos2);
    // B.hi r.hi = p + pe: exact with the fused multiply-add; without it, p is
    // the exact product of both truncated to 26 bits and pe the two cross
    // terms (below 2^-25 |B r| each, rounded: 2^-75 |y|).
    double p, pe;
    if constexpr (L::kHasFma) {
        p = detail::two_prod<L>(b.hi, rh, pe);
    } else {
        constexpr std::uint64_t kTop26 = 0xfffffffff8000000ull;
        const double bt = detail::double_from_bits(bits_of(b.hi) & kTop26);
        const double rt = detail::double_from_bits(bits_of(rh) & kTop26);
        p = bt * rt;
        pe = (b.hi - bt) * rh + bt * (rh - rt);
    }
    double l1;
    const double h1 = fast_two_sum(a.hi, p, l1);
    const double small = (a.lo + pe) + (b.hi * rl + b.lo * rh);
    const double big = mul_add<L>(a.hi, cm - rh * rl, b.hi * sm);
    double l;
    const double h = fast_two_sum(h1, l1 + (small + big), l);

    using F = detail::Format<double>;
    const double err = mul_add<L>(kErrorRelative, detail::double_from_bits(bits_of(h) & F::kMagnitude), error_absolute);
    left = h + (l - err);
    right = h + (l + err);
}

// One result of a lane from its reduction: y = sin x (kCosine false) or
// cos x, and flag = 1 where the accurate path must decide (y is then
// unspecified); bx is the pattern of x, ax that of |x|.
template <class L, bool kCosine>
HOSTMATH_ALWAYS_INLINE void finish(const Reduced& red, double error_absolute, std::uint64_t bx, std::uint64_t ax,
                                   double& y, std::uint64_t& flag)
{
    using detail::bits_of;
    using detail::double_from_bits;
    using F = detail::Format<double>;
    double left, right;
    evaluate<L, kCosine>(red, error_absolute, left, right);
    // The sign of the sine's argument; the settled small arguments.
    const std::uint64_t sign = kCosine ? 0 : (bx & F::kSign);
    if constexpr (L::kCount == 1) {
        y = double_from_bits(bits_of(left) ^ sign);
        flag = static_cast<std::uint64_t>(bits_of(left) != bits_of(right) || ax >= kLargeBits);
    } else {
        const std::uint64_t tiny = below(ax, kTinyBits), tiny_mask = 0 - tiny;
        const std::uint64_t tiny_value = kCosine ? bits_of(1.0) : bx;
        y = double_from_bits((tiny_value & tiny_mask) | ((bits_of(left) ^ sign) & ~tiny_mask));
        const std::uint64_t undecided = nonzero(bits_of(left) ^ bits_of(right)) & (tiny ^ 1);
        flag = undecided | (below(ax, kLargeBits) ^ 1);  // infinities and NaN too
    }
}

// The reduction of one lane: one of the shorter ones (|x| below 2^10, or
// below 2^19) or the full one; then the sine into s (kSine) and the cosine
// into c (kCosine), from that one reduction.
enum class Reduction { kModerate, kMedium, kFull };
template <class L, bool kSine, bool kCosine, Reduction kReduction>
HOSTMATH_ALWAYS_INLINE void sin_cos_lane(double x, double& s, std::uint64_t& s_flag, double& c, std::uint64_t& c_flag)
{
    using F = detail::Format<double>;
    const std::uint64_t bx = detail::bits_of(x);
    const std::uint64_t ax = bx & F::kMagnitude;
    const double v = detail::double_from_bits(ax);
    Reduced red;
    double error_absolute = kErrorAbsoluteModerate;
    if constexpr (kReduction == Reduction::kModerate) {
        red = reduce_moderate<L>(v);
    } else if constexpr (kReduction == Reduction::kMedium) {
        red = reduce_medium<L>(v);
    } else {
        red = reduce<L>(v);
        error_absolute = kErrorAbsolute;
    }
    if constexpr (kSine) finish<L, false>(red, error_absolute, bx, ax, s, s_flag);
    if constexpr (kCosine) finish<L, true>(red, error_absolute, bx, ax, c, c_flag);
}

template <class L, bool kSine, bool kCosine, Reduction kReduction>
HOSTMATH_ALWAYS_INLINE void many_lanes(const double (&x)[L::kCount], double (&s)[L::kCount],
                                       std::uint64_t (&s_flag)[L::kCount], double (&c)[L::kCount],
                                       std::uint64_t (&c_flag)[L::kCount])
{
    for (std::size_t i = 0; i < L::kCount; ++i)
        sin_cos_lane<L, kSine, kCosine, kReduction>(x[i], s[i], s_flag[i], c[i], c_flag[i]);
}

// s[i] = sin(x[i]) (kSine) and c[i] = cos(x[i]) (kCosine) where the fast path
// decides, from one reduction; s_flag[i], c_flag[i] = 1 where the accurate
// path must (the result is then unspecified).  With one of the two, s and c
// (and their flags) may be the same arrays.
template <class L, bool kSine, bool kCosine>
HOSTMATH_ALWAYS_INLINE void sin_cos_parts(const double (&x)[L::kCount], double (&s)[L::kCount],
                                          std::uint64_t (&s_flag)[L::kCount], double (&c)[L::kCount],
                                          std::uint64_t (&c_flag)[L::kCount])
{
    using F = detail::Format<double>;
    if constexpr (L::kCount == 1) {
        // One lane: branches, and the shorter reduction where it holds.
        const std::uint64_t ax = detail::bits_of(x[0]) & F::kMagnitude;
        if (ax < kTinyBits) {
            if constexpr (kSine) {
                s[0] = x[0];
                s_flag[0] = 0;
            }
            if constexpr (kCosine) {
                c[0] = 1.0;
                c_flag[0] = 0;
            }
        } else if (ax < kModerateBits) {
            sin_cos_lane<L, kSine, kCosine, Reduction::kModerate>(x[0], s[0], s_flag[0], c[0], c_flag[0]);
        } else if (ax < kMediumBits) {
            sin_cos_lane<L, kSine, kCosine, Reduction::kMedium>(x[0], s[0], s_flag[0], c[0], c_flag[0]);
        } else {
            sin_cos_lane<L, kSine, kCosine, Reduction::kFull>(x[0], s[0], s_flag[0], c[0], c_flag[0]);
        }
    } else {
        // Many lanes: the shortest reduction that holds for every lane; each
        // loop is branch-free.
        std::uint64_t beyond_moderate = 0, beyond_medium = 0;
        for (std::size_t i = 0; i < L::kCount; ++i) {
            const std::uint64_t ax = detail::bits_of(x[i]) & F::kMagnitude;
            beyond_moderate |= below(ax, kModerateBits) ^ 1;
            beyond_medium |= below(ax, kMediumBits) ^ 1;
        }
        if (beyond_moderate == 0) many_lanes<L, kSine, kCosine, Reduction::kModerate>(x, s, s_flag, c, c_flag);
        else if (beyond_medium == 0) many_lanes<L, kSine, kCosine, Reduction::kMedium>(x, s, s_flag, c, c_flag);
        else many_lanes<L, kSine, kCosine, Reduction::kFull>(x, s, s_flag, c, c_flag);
    }
}

// y[i] = sin(x[i]) (kCosine false) or cos(x[i]) where the fast path decides;
// flag[i] = 1 where the accurate path must (y[i] is then unspecified).
template <class L, bool kCosine>
HOSTMATH_ALWAYS_INLINE void sin_cos_fast(const double (&x)[L::kCount], double (&y)[L::kCount],
                                         std::uint64_t (&flag)[L::kCount])
{
    sin_cos_parts<L, !kCosine, kCosine>(x, y, flag, y, flag);
}

}  // namespace trig
}  // namespace core
}  // namespace hostmath

#endif  // HOSTMATH_MATH_TRIG_REDUCE_H
