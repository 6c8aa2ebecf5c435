// sin(pi x) and cos(pi x) in single precision, through output pointers.
//
// Each result is exactly what sinpif or cospif returns: both come from one
// product x * pi and one argument reduction, each by the same operations as
// alone.  A null pointer is skipped and its value not computed.  The sine is
// stored first, so when both pointers designate one object it ends holding
// the cosine.  The array form takes each block's arguments before it stores
// either result, so that either output may be the input array.
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
