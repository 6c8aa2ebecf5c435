// 1/cbrt(x) in double precision.
//
// A zero gives the infinity of its own sign, built by setting the exponent
// bits of the argument, without dividing (so no division-by-zero flag is
// raised).  Everything else is 1 divided by the system cube root, two
// roundings: the reciprocal of the rounded root, not a correctly rounded
// reciprocal root.  Negative arguments give the negative reciprocal root, the
// infinities the zero of their sign.
#include "fp_env.h"
#include "internal.h"

using hostmath::detail::bits_of;
using hostmath::detail::double_from_bits;

namespace {

constexpr unsigned long long kExponentBits = 0x7ff0000000000000ull;

}  // namespace

double qx_math_func_host_rcbrt(double x)
{
    const hostmath::detail::FpEnvGuard guard(x);
    if (x == 0.0) return hostmath::detail::settled(double_from_bits(bits_of(x) | kExponentBits));
    return hostmath::detail::settled(1.0 / std::cbrt(x));
}
