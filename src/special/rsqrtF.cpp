// 1/sqrt(x) in single precision.
//
// 1 divided by the system square root, two roundings in single precision, with
// no special case: the division decides the special arguments, so -0 gives
// -infinity (1 / -0), +0 gives +infinity, and -infinity gives NaN from the
// root, unlike the double form.  The flags the division raises are the
// guard's to clear.
#include "cpu/export.h"
#include "special/roots.h"

HOSTMATH_EXPORT(float, qx_math_func_host_rsqrtf, (float x))
{
    return hostmath::detail::rsqrt_of(x);
}
