// sinpi, cospi, sincospi, rsqrt and rcbrt over arrays: the kernels of the
// exported functions (pi_scaled.h, roots.h) element by element.  Each element
// makes the scalar function's call to the system sin, cos, sqrt or cbrt, so
// the results are the scalar ones bit for bit; the loops save the call into
// the library per element.  All of them work in place.
#include "base/array_loops.h"
#include "special/pi_scaled.h"
#include "special/roots.h"

using namespace hostmath::detail;

HOSTMATH_EXPORT_EACH(qx_math_func_host_batch_sinpi, double, double, map_each, sinpi_of<double>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch_sinpif, float, float, map_each, sinpi_of<float>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch_cospi, double, double, map_each, cospi_of<double>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch_cospif, float, float, map_each, cospi_of<float>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch_rsqrt, double, double, map_each, [](double x) { return rsqrt_of(x); })
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch_rsqrtf, float, float, map_each, [](float x) { return rsqrt_of(x); })
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch_rcbrt, double, double, map_each, [](double x) { return rcbrt_of(x); })
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch_rcbrtf, float, float, map_each, [](float x) { return rcbrt_of(x); })

namespace {

// The sines into sinp, then the cosines into cosp; a null output is skipped.
// Like the scalar function, when both outputs are one array it ends holding
// the cosines.
template <typename Real>
void sincospi_each(const Real* in, Real* sinp, Real* cosp, std::size_t n)
{
    if (sinp != nullptr) map_each(in, sinp, n, sinpi_of<Real>);
    if (cosp != nullptr) map_each(in, cosp, n, cospi_of<Real>);
}

}  // namespace

HOSTMATH_EXPORT(void, qx_math_func_host_batch_sincospi, (const double* in, double* sinp, double* cosp, std::size_t n))
{
    sincospi_each(in, sinp, cosp, n);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_sincospif, (const float* in, float* sinp, float* cosp, std::size_t n))
{
    sincospi_each(in, sinp, cosp, n);
}
