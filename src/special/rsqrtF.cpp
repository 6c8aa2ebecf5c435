// 1/sqrt(x) in single precision.
//
// 1 divided by the system square root, two roundings in single precision, with
// no special case: the division decides the special arguments, so -0 gives
// -infinity (1 / -0), +0 gives +infinity, and -infinity gives NaN from the
// root, unlike the double form.  The flags the division raises are the
// guard's to clear.
// The body on lanes lives in roots.h; the array form runs it on blocks of
// 64 lanes.
#include "cpu/export.h"
#include "special/roots.h"

using hostmath::detail::Rsqrt;

HOSTMATH_EXPORT(float, qx_math_func_host_rsqrtf, (float x))
{
    return hostmath::detail::one_lane<Rsqrt, kFma>(x);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_rsqrtf, (const float* in, float* out, std::size_t n))
{
    hostmath::detail::each_block<Rsqrt, kFma>(in, out, n);
}
