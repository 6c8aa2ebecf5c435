// 1/cbrt(x) in single precision.
//
// 1 divided by the system cube root, two roundings in single precision, with
// no special case: a zero gives the infinity of its sign through the division
// (whose division-by-zero flag the guard clears again), an infinity the zero
// of its sign.
#include "cpu/dispatch.h"
#include "base/fp_env.h"
#include "special/roots.h"

HOSTMATH_DISPATCHED(float, qx_math_func_host_rcbrtf, (float x))
{
    const hostmath::detail::FpEnvGuard guard(x);
    return hostmath::detail::settled(hostmath::detail::rcbrt_of(x));
}
