// sin(pi x) and cos(pi x) in single precision, through output pointers.
//
// Each result is exactly what sinpif or cospif returns; nothing is shared
// between the two.  A null pointer is skipped and its value not computed.  The
// sine is stored first, so when both pointers designate one object it ends
// holding the cosine.
#include "cpu/export.h"
#include "special/pi_scaled.h"

HOSTMATH_EXPORT(void, qx_math_func_host_sincospif, (float x, float* sinp, float* cosp))
{
    hostmath::detail::sincospi_of<kFma>(x, sinp, cosp);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_sincospif, (const float* in, float* sinp, float* cosp, std::size_t n))
{
    hostmath::detail::sincospi_each<kFma>(in, sinp, cosp, n);
}
