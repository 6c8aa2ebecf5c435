// sin(pi x) in double precision.
//
// Integers give +0 exactly, whatever their sign.  Every other argument is
// multiplied by the double nearest pi, one rounding, and the product goes to
// the system sine: there is no argument reduction of our own and no special
// case for half-integers, so the result carries the product's rounding error.
// Infinities and NaN reach the sine and come back as NaN.
#include "cpu/export.h"
#include "special/pi_scaled.h"

HOSTMATH_EXPORT(double, qx_math_func_host_sinpi, (double x))
{
    return hostmath::detail::sinpi_of(x);
}
