// hostmath::core::exp: e^x for binary64, correctly rounded (to nearest, ties
// to even) for every input, subnormal results and overflow included.
//
// Reduction: k = round(x 256/ln2) by the 1.5 2^52 shifter (its low bits are
// k), j = k mod 256, q = floor(k/256), r = x - k ln2/256 with ln2/256 in
// parts (exp_data.h): x - k Part1 and k Part2 are exact, so rh + rl = r to
// 2^-112; |r| <= ln2/512 (1 + 2^-40) = 0x1.62e42fefa501dp-10.
//   e^x = 2^q T[j] e^r,  T[j] = 2^(j/256) (table, triple double, 2^-134).
//
// Fast path (every lane with |x| <= 708, where 2^q and the result are
// normal; branch-free): h + lo = T e^r with h = T1 + T1 rh (T1 has 26 bits;
// the product is exact with a fused multiply-add, else split, 2^-88; then
// fast_two_sum), lo = their errors + T1 (q + rl (1 + rh)) + T2 (1 + rh + q),
// q = rh^2 Q(rh), Q of degree 4 (exp_data.h).  Error, relative to T e^r:
//   Q's approximation (script)                     < 2^-83
//   q in double (3.3 roundings of |q| <= 2^-20)    < 2^-71.3
//   the additions and products of lo (|lo| < 2^-18.9) < 2^-70
//   T3 left out (2^-79), r to 2^-112, the split      < 2^-78
// in all below 2^-69 (largest seen on 3 10^5 inputs: 2^-71.0); the rounding
// test uses kExpFastError = 2^-67.5 h.
//
// Rounding test: the lane is right if h + (lo + err) and h + (lo - err) are
// the same double (then multiplied by 2^q, exactly).  Lanes that fail it
// (about 2^-14 of them), |x| > 708 and NaN are flagged and computed by
// exp_accurate: specials first (NaN, x > 710: +inf, x < -746: +0, |x| <
// 2^-54: 1), then the same reduction to 2^-180, e^r = 1 + r + r^2/2 + r^3
// B(r), B the Taylor series to r^7/10! in double-double, T e^r summed in a
// triple-double accumulator, relative error below 2^-122 (largest seen: 2^-124.8);
// the hardest cases (Lefevre and Muller's worst cases) need about 2^-118.  A result below 2^-1022 is
// rounded at its own precision: 2^-1022-q is added to T e^r so that the
// double sum rounds at the subnormal grid, then subtracted and scaled
// exactly.  All of tests/data/hard-cases/exp.txt is checked by
// tests/core_explog.cpp.
#ifndef HOSTMATH_MATH_EXP_H
#define HOSTMATH_MATH_EXP_H

#include "base/bits.h"
#include "base/lanes.h"
#include "math/dd.h"
#include "math/exp_data.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace hostmath {
namespace core {

// e^x, correctly rounded, for any x.  Out of line, compiled once.
__attribute__((noinline, cold)) double exp_accurate(double x);

namespace exp_detail {

constexpr double kExpFastError = 0x1.6a09e667f3bcdp-68;  // 2^-67.5
constexpr std::uint64_t kFastLimitBits = 0x4086200000000000ull;  // 708
constexpr std::uint64_t kMagnitude = 0x7fffffffffffffffull;
constexpr std::uint64_t kHigh26Bits = ~((std::uint64_t{1} << 27) - 1);  // sign, exponent, 25 fraction bits
constexpr double kShifter = 0x1.8p52;
constexpr std::uint64_t kShifterBits = 0x4338000000000000ull;
// (bits(shifted) >> 8) + kScaleBias is q + 1023 (mod 2^64) for the shifted k.
constexpr std::uint64_t kScaleBias = 1023u - (kShifterBits >> 8);

}  // namespace exp_detail

// The fast path alone: y[i] = e^x[i] where flag[i] = 0; flagged lanes hold
// garbage.  For the tests and for exp below.
template <class L>
HOSTMATH_ALWAYS_INLINE void exp_fast(const double (&x)[L::kCount], double (&y)[L::kCount],
                                     detail::LaneFlag<double> (&flag)[L::kCount])
{
    using namespace exp_detail;
    for (std::size_t i = 0; i < L::kCount; ++i) {
        const double xi = x[i];
        const std::uint64_t outside = dd::at_least<L>(detail::bits_of(xi) & kMagnitude, kFastLimitBits + 1);  // NaN too
        const double shifted = xi * exp_data::kInvLn2N + kShifter;
        const double k = shifted - kShifter;
        const std::uint64_t kb = detail::bits_of(shifted);
        const std::size_t j = static_cast<std::size_t>(kb & 255);
        const double scale = detail::double_from_bits(((kb >> 8) + kScaleBias) << 52);
        double e;
        const double u1 = detail::mul_add<L>(-k, exp_data::kLn2NPart1, xi);  // exact either way
        const double rh = detail::two_sum(u1, -(k * exp_data::kLn2NPart2), e);
        const double rl = e - k * exp_data::kLn2NPart3;
        const double t1 = exp_data::kT1[j], t2 = exp_data::kT2[j];
        // t1 rh = p + p_lo: exact with the fused multiply-add; without it,
        // rh is cut to 26 bits so that t1 (26 bits) times it is exact, and the
        // rest of the product, below 2^-35, is rounded (2^-88).
        double p, p_lo;
        if constexpr (L::kHasFma) {
            p = detail::two_prod<L>(t1, rh, p_lo);
        } else {
            const double rh1 = detail::double_from_bits(detail::bits_of(rh) & kHigh26Bits);
            p = t1 * rh1;
            p_lo = t1 * (rh - rh1);
        }
        double t;
        const double h = detail::fast_two_sum(t1, p, t);
        const double q = (rh * rh) * dd::polynomial<L>(rh, exp_data::kExpFast);
        const double lo =
            ((t + p_lo) + t1 * (q + detail::mul_add<L>(rl, rh, rl))) + detail::mul_add<L>(t2, rh + q, t2);
        const double err = h * kExpFastError;
        const double up = h + (lo + err);
        const double down = h + (lo - err);
        y[i] = up * scale;
        flag[i] = outside | dd::differ<L>(up, down);
    }
}

// y[i] = e^x[i], correctly rounded, for each of the L::kCount lanes.
template <class L>
HOSTMATH_ALWAYS_INLINE void exp(const double (&x)[L::kCount], double (&y)[L::kCount])
{
    detail::LaneFlag<double> flag[L::kCount];
    exp_fast<L>(x, y, flag);
    detail::for_flagged_lanes<L>(flag, [&](std::size_t i) { y[i] = exp_accurate(x[i]); });
}

}  // namespace core
}  // namespace hostmath

#endif  // HOSTMATH_MATH_EXP_H
