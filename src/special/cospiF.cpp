// cos(pi x) in single precision.
//
// Integers give +1 when even and -1 when odd, read from the exact remainder of
// division by 2 in single precision; every float of magnitude 2^24 or more is
// even.  Every other argument is multiplied by the float nearest pi, one
// rounding in single precision, and the product goes to the system cosf, with
// no special case for half-integers: cospif(0.5f) is the cosine of the float
// nearest pi/2, a tiny negative number.  Infinities and NaN come back as NaN.
#include "cpu/export.h"
#include "special/pi_scaled.h"

HOSTMATH_EXPORT(float, qx_math_func_host_cospif, (float x))
{
    return hostmath::detail::cospi_of(x);
}
