// The accurate path of cbrt (cbrt.h): special arguments, then the exact
// rounding decision for the lanes the fast path's rounding test flags.
// Compiled once, for the baseline: no C library call, integer arithmetic for
// the decision.
#include "math/cbrt.h"

namespace hostmath {
namespace core {
namespace cbrt_detail {
namespace {

using U128 = unsigned __int128;

// Whether M^3 > T 2^107, for M <= 2^54 + 1 and T < 2^55: the 192-bit cube as
// high * 2^64 + low against (T 2^43) 2^64 + 0.
bool cube_exceeds(std::uint64_t m, std::uint64_t t)
{
    const U128 square = static_cast<U128>(m) * m;  // below 2^109
    const U128 low = static_cast<U128>(static_cast<std::uint64_t>(square)) * m;
    const U128 high = static_cast<U128>(static_cast<std::uint64_t>(square >> 64)) * m + (low >> 64);
    const U128 target = static_cast<U128>(t) << 43;
    return high > target || (high == target && static_cast<std::uint64_t>(low) != 0);
}

}  // namespace

__attribute__((noinline, cold)) double cbrt_accurate(double x)
{
    using detail::bits_of;
    using detail::double_from_bits;
    using F = detail::Format<double>;
    const std::uint64_t u = bits_of(x);
    const std::uint64_t magnitude = u & F::kMagnitude;
    if (magnitude >= F::kInfinity) return x + x;  // NaN quieted, payload kept; infinities unchanged
    if (magnitude == 0) return x;

    // |x| = significand 2^(e - 52), significand in [2^52, 2^53).
    constexpr std::uint64_t kImplicitOne = std::uint64_t{1} << 52;
    std::uint64_t significand;
    int e;
    if (magnitude < kImplicitOne) {
        const int shift = __builtin_clzll(magnitude) - 11;
        significand = magnitude << shift;
        e = -1022 - shift;
    } else {
        significand = (magnitude & kFractionMask) | kImplicitOne;
        e = static_cast<int>(magnitude >> 52) - 1023;
    }
    // e = 3q + r, through e + 1125 >= 51 (1125 = 3 * 375).
    const int biased = e + 1125;
    const int q = biased / 3 - 375;
    const int r = biased % 3;
    // t = 2^r m = T 2^-52 in [1, 8).
    const std::uint64_t big_t = significand << r;
    const std::uint64_t fraction = significand & kFractionMask;
    const double t = double_from_bits(fraction | ((kExponentOne + static_cast<std::uint64_t>(r)) << 52));
    const double m = double_from_bits(fraction | (kExponentOne << 52));

    // The candidate: cbrt(t) rounded is y0 + delta rounded or a neighbour (the
    // error is below 2^-65), Y 2^-52 with Y in [2^52, 2^53].
    double delta;
    const double y0 = cbrt_reduced<detail::Lanes<1, false>>(t, m, static_cast<double>(r), delta);
    std::uint64_t y = static_cast<std::uint64_t>((y0 + delta) * 0x1p52);
    if (y < kImplicitOne) y = kImplicitOne;
    if (y > 2 * kImplicitOne) y = 2 * kImplicitOne;
    // cbrt(t) 2^53 against the midpoints 2Y +- 1: cbrt(t) 2^53 > M exactly when
    // t 2^159 > M^3, that is T 2^107 > M^3.  (At Y = 2^52 and 2^53 the
    // neighbouring midpoints are not 2Y -+ 1, but cbrt(t) is in [1, 2), so
    // the answers are the same.)
    for (int k = 0; k < 4 && !cube_exceeds(2 * y + 1, big_t); ++k) ++y;
    for (int k = 0; k < 4 && cube_exceeds(2 * y - 1, big_t); ++k) --y;

    // Y 2^(q - 52): q - 52 >= -410, so the power of two is normal.
    const double scale = double_from_bits(static_cast<std::uint64_t>(q - 52 + 1023) << 52);
    return double_from_bits(bits_of(static_cast<double>(y) * scale) | (u & F::kSign));
}

}  // namespace cbrt_detail
}  // namespace core
}  // namespace hostmath
