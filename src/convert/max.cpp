// The maximum of two values, for every integer width and signedness pairing
// and for float and double.
//
// The integer forms hand their arguments, converted to the comparison type, to
// std::max, which selects the second only if the first is less.  A mixed pair
// compares as unsigned of the common width: the signed argument is reinterpreted
// in two's complement, so -1 is the largest value.  The floating forms are
// maxNum (min_max.h): a quiet NaN loses, a signalling NaN gives a quiet NaN,
// -0 orders below +0, and a float meeting a double is widened exactly first.
#include "cpu/export.h"
#include "base/array_loops.h"
#include "convert/min_max.h"

#include <algorithm>

using hostmath::detail::max_num;
using hostmath::detail::widened;

#define HOSTMATH_MAX_FORM(function, Result, First, Second) \
    HOSTMATH_EXPORT(Result, function, (First a, Second b)) { return std::max(static_cast<Result>(a), static_cast<Result>(b)); }
HOSTMATH_MIN_MAX_INTEGER_FORMS(HOSTMATH_MAX_FORM, qx_math_func_host_max, qx_math_func_host_umax, qx_math_func_host_llmax,
                               qx_math_func_host_ullmax)
#undef HOSTMATH_MAX_FORM

HOSTMATH_EXPORT(float, qx_math_func_host_max, (float a, float b)) { return max_num(a, b); }

HOSTMATH_EXPORT(double, qx_math_func_host_max, (double a, float b)) { return max_num(a, widened(b)); }

HOSTMATH_EXPORT(double, qx_math_func_host_max, (float a, double b)) { return max_num(widened(a), b); }

HOSTMATH_EXPORT(double, qx_math_func_host_max, (double a, double b)) { return max_num(a, b); }

// Over two arrays, element by element: out[i] = max(a[i], b[i]); out may equal
// a or b.

HOSTMATH_EXPORT(void, qx_math_func_host_batch_max, (const float* a, const float* b, float* out, std::size_t n))
{
    hostmath::detail::combine_each(a, b, out, n, max_num<float>);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_max, (const double* a, const double* b, double* out, std::size_t n))
{
    hostmath::detail::combine_each(a, b, out, n, max_num<double>);
}

// The mixed forms widen the float element exactly, as the scalar forms do;
// out may equal the double array (each element is read before it is written).

HOSTMATH_EXPORT(void, qx_math_func_host_batch_max, (const double* a, const float* b, double* out, std::size_t n))
{
    for (std::size_t i = 0; i < n; ++i) out[i] = max_num(a[i], widened(b[i]));
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_max, (const float* a, const double* b, double* out, std::size_t n))
{
    for (std::size_t i = 0; i < n; ++i) out[i] = max_num(widened(a[i]), b[i]);
}
