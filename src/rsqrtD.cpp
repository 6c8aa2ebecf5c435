// 1/sqrt(x) in double precision.
//
// Zeros of either sign give +infinity and infinities of either sign give +0,
// both returned directly without dividing (so no division-by-zero flag is
// raised).  Everything else is 1 divided by the system square root, two
// roundings: the reciprocal of the rounded root, not a correctly rounded
// reciprocal root.  Negative arguments and NaN come back as NaN from the root.
#include "fp_env.h"
#include "internal.h"

using hostmath::detail::double_from_bits;
using hostmath::detail::isinf;

namespace {

constexpr unsigned long long kPositiveInfinity = 0x7ff0000000000000ull;

}  // namespace

double qx_math_func_host_rsqrt(double x)
{
    const hostmath::detail::FpEnvGuard guard(x);
    if (x == 0.0) return hostmath::detail::settled(double_from_bits(kPositiveInfinity));
    if (isinf(x)) return hostmath::detail::settled(0.0);
    return hostmath::detail::settled(1.0 / std::sqrt(x));
}
