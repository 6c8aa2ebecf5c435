// max and min of float and double over two arrays: out[i] = max(a[i], b[i]),
// the maxNum and minNum of min_max.h that the exported functions use, element
// by element.  out may equal a or b.
#include "cpu/export.h"
#include "base/array_loops.h"
#include "convert/min_max.h"

using namespace hostmath::detail;

HOSTMATH_EXPORT(void, qx_math_func_host_batch_max, (const float* a, const float* b, float* out, std::size_t n))
{
    combine_each(a, b, out, n, max_num<float>);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_max, (const double* a, const double* b, double* out, std::size_t n))
{
    combine_each(a, b, out, n, max_num<double>);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_min, (const float* a, const float* b, float* out, std::size_t n))
{
    combine_each(a, b, out, n, min_num<float>);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_min, (const double* a, const double* b, double* out, std::size_t n))
{
    combine_each(a, b, out, n, min_num<double>);
}
