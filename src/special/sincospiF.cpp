// sin(pi x) and cos(pi x) in single precision, through output pointers.
//
// Each result is exactly what sinpif or cospif returns; nothing is shared
// between the two.  A null pointer is skipped and its value not computed.  The
// sine is stored first, so when both pointers designate one object it ends
// holding the cosine.
#include "cpu/export.h"
#include "special/pi_scaled.h"

using hostmath::detail::Cospi;
using hostmath::detail::Sinpi;

HOSTMATH_EXPORT(void, qx_math_func_host_sincospif, (float x, float* sinp, float* cosp))
{
    if (sinp != nullptr) *sinp = hostmath::detail::one_lane<Sinpi, kFma>(x);
    if (cosp != nullptr) *cosp = hostmath::detail::one_lane<Cospi, kFma>(x);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_sincospif, (const float* in, float* sinp, float* cosp, std::size_t n))
{
    if (sinp != nullptr) hostmath::detail::each_block<Sinpi, kFma>(in, sinp, n);
    if (cosp != nullptr) hostmath::detail::each_block<Cospi, kFma>(in, cosp, n);
}
