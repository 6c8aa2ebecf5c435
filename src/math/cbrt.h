// cbrt: the real cube root of a double, correctly rounded to nearest even, for
// every double: cbrt(-x) = -cbrt(x), cbrt(+-0) = +-0, cbrt(+-inf) = +-inf, a
// NaN comes back quieted with its payload.
//
// Reduction.  |x| = 2^(3q + r) t with r in {0, 1, 2} and t = 2^r m in [1, 8),
// m in [1, 2) the significand; cbrt(|x|) = 2^q cbrt(t), and cbrt(t) is in
// [1, 2).  A subnormal is first scaled by 2^54 (a multiple of 3: q drops by
// 18).  floor(n / 3) for the biased exponent n < 2048 is (683 n) >> 11:
// 683 n / 2^11 = n / 3 + n / 6144, and n / 6144 < 1/3 leaves the floor as it
// is.  Integer work only, on the patterns.
//
// Fast path, every lane, branch-free:
//   y0 = P(m - 3/2) (1 + A r + B r^2) ~ cbrt(t): P of degree 4 fitted to
//        m^(1/3) on [1, 2], the quadratic through 2^(r/3) (cbrt_data.h);
//        relative error below 2^-16.72 with the roundings (Estrin's scheme).
//   y = y0 rounded to a multiple of 2^-16 (by adding and subtracting 1.5 2^36):
//        |y / cbrt(t) - 1| = |eps| < 2^-16.72 + 2^-17 < 2^-15.85, and y < 2^1.66
//        has at most 18 bits, so y^3 is exact (below 2^53 units of 2^-48) and
//        so is t - y^3 (Sterbenz).
//   sigma = (t - y^3) / t = 1 - (1 + eps)^3, |sigma| < 2^-14.27, as
//        (t - y^3) * (1 / t): two roundings, the division off the critical
//        chain.
//   cbrt(t) = y (1 - sigma)^(-1/3) = y + y sigma S(sigma), S = a1 + a2 sigma +
//        a3 sigma^2 + a4 sigma^3 + ... (a_k = (1/3)(4/3)...(k - 2/3) / k!); the
//        terms from a5 are below 2^-58 of S.  delta = (y sigma) S as computed
//        has a relative error below 6.9 2^-53 (2 for sigma, 2.9 for S and its
//        truncation, 2 for the products) and |delta| < 2^-14.85, so
//        |y + delta - cbrt(t)| < 2^-65.  Each bound covers mul_add fused or not.
// Rounding test: y + (delta - E) == y + (delta + E) with E = 2^-64 (the
// bound, plus the rounding of delta +- E, below 2^-67.8): then that is cbrt(t)
// rounded, and 2^q times it, with the sign, is the result (exact: the result
// is never subnormal nor out of range).  About one lane in 2^11 fails the test.
//
// Accurate path (cbrt.cpp), for flagged lanes: zeros, infinities and NaNs
// first; then the same approximation gives a candidate Y 2^-52 for cbrt(t),
// and the rounding is decided exactly: cbrt(t) lies above the midpoint
// (2Y - 1) 2^-53 and below (2Y + 1) 2^-53 exactly when those midpoints' cubes
// compare so with t, compared in 192-bit integers.  A midpoint's cube has an
// odd significand of 160 bits or more, never a double, so no comparison is a
// tie: exact cubes (27, 0.125, 2^-1074 * 8^k ...) and the hardest cases (the
// 105,540 of tests/data/hard-cases/cbrt.txt, at least 44 equal bits after the
// round bit) need nothing special.
#ifndef HOSTMATH_MATH_CBRT_H
#define HOSTMATH_MATH_CBRT_H

#include "base/bits.h"
#include "base/lanes.h"
#include "math/cbrt_data.h"

#include <cstddef>
#include <cstdint>

namespace hostmath {
namespace core {
namespace cbrt_detail {

// The correctly rounded cube root of any double, one at a time (cbrt.cpp): the
// special arguments and the lanes whose fast result fails the rounding test.
__attribute__((cold)) double cbrt_accurate(double x);

inline constexpr double kRoundingSlack = 0x1p-64;           // E of the rounding test
inline constexpr double kGrid = 0x1.8p36;                   // adding it rounds [1, 2^1.66) to multiples of 2^-16
inline constexpr std::uint64_t kFractionMask = 0x000fffffffffffffull;
inline constexpr std::uint64_t kExponentOne = 0x3ffull;      // the biased exponent of 1
inline constexpr std::uint64_t kSubnormalScaleThird = 18;   // 2^54 scaling, divided by 3
inline constexpr double kSubnormalScale = 0x1p54;
inline constexpr std::uint64_t kShifterBits = 0x4330000000000000ull;  // 2^52: its low bits hold an integer
inline constexpr double kShifter = 0x1p52;

// y + delta ~ cbrt(t) for t = 2^r m in [1, 8), m in [1, 2) (r as a double):
// the fast path's approximation, |y + delta - cbrt(t)| < 2^-65, with y a
// multiple of 2^-16 and |delta| < 2^-14.85.
template <class L>
HOSTMATH_ALWAYS_INLINE double cbrt_reduced(double t, double m, double r, double& delta)
{
    using detail::mul_add;
    const double inverse_t = 1.0 / t;  // early, off the chain of dependent operations
    const double s = m - 1.5;          // exact
    // Estrin's scheme: a shorter chain of dependent operations than Horner's.
    const double s2 = s * s;
    const double p01 = mul_add<L>(kCbrtPoly[1], s, kCbrtPoly[0]);
    const double p23 = mul_add<L>(kCbrtPoly[3], s, kCbrtPoly[2]);
    const double p = mul_add<L>(kCbrtPoly[4], s2 * s2, mul_add<L>(p23, s2, p01));
    const double two_r = mul_add<L>(mul_add<L>(kCbrtTwoB, r, kCbrtTwoA), r, 1.0);  // 2^(r/3)
    // y0 = p two_r ~ cbrt(t), rounded to a multiple of 2^-16: y has at most
    // 18 bits (y < 2^1.66), so y^3 and t - y^3 are exact.
    const double y = mul_add<L>(p, two_r, kGrid) - kGrid;
    const double sigma = (t - y * y * y) * inverse_t;  // t = y^3 / (1 - sigma)
    const double sigma2 = sigma * sigma;
    const double series = mul_add<L>(mul_add<L>(kCbrtSeries[3], sigma, kCbrtSeries[2]), sigma2,
                                     mul_add<L>(kCbrtSeries[1], sigma, kCbrtSeries[0]));
    delta = (y * sigma) * series;
    return y;
}

// The fast path on every lane: y[i] is cbrt(x[i]) correctly rounded where
// flag[i] is 0; flagged lanes (special arguments, failed rounding tests) hold
// no meaningful value.
template <class L>
HOSTMATH_ALWAYS_INLINE void cbrt_fast(const double (&x)[L::kCount], double (&y)[L::kCount],
                                      detail::LaneFlag<double> (&flag)[L::kCount])
{
    using detail::bits_of;
    using detail::double_from_bits;
    using F = detail::Format<double>;
    for (std::size_t i = 0; i < L::kCount; ++i) {
        const std::uint64_t u = bits_of(x[i]);
        const std::uint64_t magnitude = u & F::kMagnitude;
        // Zeros and subnormals (biased exponent 0) are scaled by 2^54.
        const std::uint64_t tiny = ((magnitude >> 52) - 1) >> 63;
        const std::uint64_t scaled = bits_of(double_from_bits(magnitude) * kSubnormalScale);
        // (A mask from the flag, not a comparison: SSE2 has no 64-bit one.)
        const std::uint64_t b = L::kCount == 1 ? (tiny != 0 ? scaled : magnitude)
                                               : (scaled & (0 - tiny)) | (magnitude & (tiny - 1));
        const std::uint64_t n = b >> 52;  // 3 to 2046, 0 for zeros, 2047 for infinities and NaNs
        const std::uint64_t special = ((n - 1) >> 63) | ((n + 1) >> 11);
        const std::uint64_t third = (n * 683) >> 11;  // floor(n / 3)
        const std::uint64_t r = n - 3 * third;
        const std::uint64_t fraction = b & kFractionMask;
        const double t = double_from_bits(fraction | ((kExponentOne + r) << 52));
        const double m = double_from_bits(fraction | (kExponentOne << 52));
        const double r_value = double_from_bits(kShifterBits | r) - kShifter;
        double delta;
        const double y0 = cbrt_reduced<L>(t, m, r_value, delta);
        const double hi = y0 + (delta + kRoundingSlack);
        const double lo = y0 + (delta - kRoundingSlack);
        // 2^q, q = third - 341 (- 18 for a scaled subnormal): n - 1023 = 3 (third - 341) + r.
        const double scale = double_from_bits((third + 682 - kSubnormalScaleThird * tiny) << 52);
        y[i] = double_from_bits(bits_of(hi * scale) | (u & F::kSign));
        // hi != lo on the patterns (both are finite and positive on every
        // lane that is not special), as 0 or 1 without a comparison.
        const std::uint64_t differ = bits_of(hi) ^ bits_of(lo);
        flag[i] = special | ((differ | (0 - differ)) >> 63);
    }
}

}  // namespace cbrt_detail

// y[i] = cbrt(x[i]), correctly rounded, for each of the L::kCount lanes.
template <class L>
HOSTMATH_ALWAYS_INLINE void cbrt(const double (&x)[L::kCount], double (&y)[L::kCount])
{
    detail::LaneFlag<double> flag[L::kCount];
    cbrt_detail::cbrt_fast<L>(x, y, flag);
    detail::for_flagged_lanes<L>(flag, [&](std::size_t i) { y[i] = cbrt_detail::cbrt_accurate(x[i]); });
}

}  // namespace core
}  // namespace hostmath

#endif  // HOSTMATH_MATH_CBRT_H
