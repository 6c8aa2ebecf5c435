// sin(pi x) in single precision.
//
// Integers give +0 exactly, whatever their sign.  Every other argument is
// multiplied by the float nearest pi, one rounding in single precision, and
// the product goes to the system sinf: no argument reduction of our own and no
// special case for half-integers.  Infinities and NaN come back as NaN.
#include "cpu/export.h"
#include "special/pi_scaled.h"

HOSTMATH_EXPORT(float, qx_math_func_host_sinpif, (float x))
{
    return hostmath::detail::sinpi_of(x);
}
