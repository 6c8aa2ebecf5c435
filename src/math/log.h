// hostmath::core::log: the natural logarithm of binary64, correctly rounded
// (to nearest, ties to even) for every input.
//
// Reduction: x = 2^e m, m in [1, 2) (subnormal x scaled by 2^52 first, in
// the accurate path: the fast path flags it), j the 9 leading fraction bits
// of m; invC[j] is a multiple of 2^-10 near the
// reciprocal of the middle of j's interval, 1 for j = 0 and 1/2 for j = 511 so
// that x near 1 (from either side) has no table term.  z = m invC - 1 is
// computed exactly without a fused multiply-add: with mh = m cut to 43 bits and
// ml = m - mh, mh invC - 1 and ml invC are exact and so is their sum, since z
// is a multiple of 2^-62 below 2^-9 in magnitude (z in [-0x1.71p-10, 2^-9]).
//   log x = e ln2 + C[j] + log1p(z),  C[j] = -log(invC[j]) (table, triple
//   double, 2^-148), ln2 likewise; the first parts are multiples of 2^-42, so
//   A = e Ln2Part1 + C1[j] is exact.
//
// Fast path (every lane, branch-free): h + lo with h = A + z - z^2/2 (two
// fast_two_sums; z^2 exact with a fused multiply-add, else to 2^-77 z^2 by
// splitting z at 26 bits) and lo = the rounding errors of h, the
// second parts of e ln2 and C[j], and z^3 P(z), P of degree 4 (log_data.h).
// Error, relative to |log x|; |log x| >= |z| (1 - 2^-9) when A = 0 and
// >= 2^-10 otherwise, while |z|^3 <= 2^-28.2 when A != 0:
//   P's approximation (script)               < 2^-71.0
//   z^3 P(z) in double (4.2 roundings)       < 2^-70.5
//   the five additions of lo                 < 2^-71.3
//   table third parts, e ln2 beyond 2 parts  < 2^-85
// in all below 2^-69.3 (largest seen on 4 10^5 inputs: 2^-70.35); the rounding
// test uses kLogFastError = 2^-68 |h|.
//
// Rounding test: the lane is right if h + (lo + err) and h + (lo - err) are
// the same double.  Lanes that fail it (about 2^-14.5 of them) and the
// special inputs (x <= 0, subnormals, infinities, NaNs) are flagged and
// computed by log_accurate: the same reduction, e ln2 and C[j] as triple
// doubles, log1p(z) = z - z^2/2 + z^3/3 - z^4 S(z), z^2 exact, z^3/3 and
// z^4 S(z) (S the Taylor series to z^11/15) in double-double, summed in a
// triple-double accumulator and rounded; relative error below 2^-122 (the
// largest part: z^3/3 to 2^-104.4 of itself; largest seen: 2^-123.9),
// against the about 2^-118 that the hardest cases need (Lefevre and Muller's
// worst cases; x = 1 is exact).  All of tests/data/hard-cases/log.txt is
// checked by tests/core_explog.cpp.
#ifndef HOSTMATH_MATH_LOG_H
#define HOSTMATH_MATH_LOG_H

#include "base/bits.h"
#include "base/lanes.h"
#include "math/dd.h"
#include "math/log_data.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace hostmath {
namespace core {

// log x, correctly rounded, for any x: the special inputs and the lanes the
// fast path cannot round.  Out of line, compiled once.
__attribute__((noinline, cold)) double log_accurate(double x);

namespace log_detail {

constexpr double kLogFastError = 0x1p-68;
constexpr double kTwo52 = 0x1p52;
constexpr double kMinNormal = 0x1p-1022;
constexpr double kMaxFinite = 0x1.fffffffffffffp1023;
constexpr std::uint64_t kFractionMask = 0x000fffffffffffffull;
constexpr std::uint64_t kOneBits = 0x3ff0000000000000ull;
constexpr std::uint64_t kExponentShifter = 0x4330000000000000ull;  // 2^52: its fraction holds an integer
constexpr std::uint64_t kLow10Bits = 0x3ffull;
constexpr std::uint64_t kHigh26Bits = ~((std::uint64_t{1} << 27) - 1);  // sign, exponent, 25 fraction bits
constexpr std::uint64_t kMinNormalBits = 0x0010000000000000ull;
constexpr std::uint64_t kInfinityBits = 0x7ff0000000000000ull;
constexpr double kBias = 0x1p52 + 1023;

// The reduction shared by both paths: x normal and positive (already scaled
// if it was subnormal); sets j and returns z = m invC[j] - 1, exact (so the
// same with one fused multiply-add or with the split).
template <class L>
HOSTMATH_ALWAYS_INLINE double reduce(std::uint64_t u, std::size_t& j)
{
    j = static_cast<std::size_t>((u >> 43) & 511);
    const double m = detail::double_from_bits((u & kFractionMask) | kOneBits);
    const double invc = log_data::kInvC[j];
    if constexpr (L::kHasFma) return std::fma(m, invc, -1.0);
    const double mh = detail::double_from_bits(detail::bits_of(m) & ~kLow10Bits);
    const double ml = m - mh;
    return (mh * invc - 1.0) + ml * invc;
}

}  // namespace log_detail

// The fast path alone: y[i] = log(x[i]) where flag[i] = 0; flagged lanes hold
// garbage.  For the tests and for log below.
template <class L>
HOSTMATH_ALWAYS_INLINE void log_fast(const double (&x)[L::kCount], double (&y)[L::kCount],
                                     detail::LaneFlag<double> (&flag)[L::kCount])
{
    using namespace log_detail;
    for (std::size_t i = 0; i < L::kCount; ++i) {
        const double xi = x[i];
        const std::uint64_t u = detail::bits_of(xi);
        // x <= 0 (-0 included), subnormal, infinite or NaN: the patterns
        // outside [2^-1022, 2^1024) wrap to 2^63 or more.
        const std::uint64_t special = dd::at_least<L>(u - kMinNormalBits, kInfinityBits - kMinNormalBits);
        // e as a double from the exponent field, without an integer conversion.
        const double e = detail::double_from_bits(kExponentShifter | (u >> 52)) - kBias;
        std::size_t j;
        const double z = reduce<L>(u, j);
        const double a = detail::mul_add<L>(e, log_data::kLn2Part1, log_data::kLogC1[j]);  // exact either way
        // z^2 = sq + sq_lo: exact with the fused multiply-add; without it,
        // zh = z cut to 26 bits gives zh^2 exact and (z + zh)(z - zh) rounded
        // (2^-77 z^2).
        double sq, sq_lo;
        if constexpr (L::kHasFma) {
            sq = detail::two_prod<L>(z, z, sq_lo);
        } else {
            const double zh = detail::double_from_bits(detail::bits_of(z) & kHigh26Bits);
            sq = zh * zh;
            sq_lo = (z + zh) * (z - zh);
        }
        double t1, t2;
        const double h1 = detail::fast_two_sum(a, z, t1);
        const double h = detail::fast_two_sum(h1, -0.5 * sq, t2);
        const double tail = ((sq + sq_lo) * z) * dd::polynomial<L>(z, log_data::kLogFast);
        const double second = detail::mul_add<L>(e, log_data::kLn2Part2, log_data::kLogC2[j]);
        const double lo = ((t1 + t2) - 0.5 * sq_lo) + second + tail;
        const double err = std::fabs(h) * kLogFastError;
        const double up = h + (lo + err);
        const double down = h + (lo - err);
        y[i] = up;
        flag[i] = special | dd::differ<L>(up, down);
    }
}

// y[i] = log(x[i]), correctly rounded, for each of the L::kCount lanes.
template <class L>
HOSTMATH_ALWAYS_INLINE void log(const double (&x)[L::kCount], double (&y)[L::kCount])
{
    detail::LaneFlag<double> flag[L::kCount];
    log_fast<L>(x, y, flag);
    detail::for_flagged_lanes<L>(flag, [&](std::size_t i) { y[i] = log_accurate(x[i]); });
}

}  // namespace core
}  // namespace hostmath

#endif  // HOSTMATH_MATH_LOG_H
