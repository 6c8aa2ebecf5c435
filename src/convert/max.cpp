// The maximum of two values, for every integer width and signedness pairing
// and for float and double.
//
// The integer forms hand their arguments, converted to the comparison type, to
// std::max, which selects the second only if the first is less.  A mixed pair
// compares as unsigned of the common width: the signed argument is reinterpreted
// in two's complement, so -1 is the largest value.  The floating forms are
// maxNum (min_max.h): a quiet NaN loses, a signalling NaN gives a quiet NaN,
// -0 orders below +0, and a float meeting a double is widened exactly first.
//
// Defines, from the maximum rows of the registry (HOSTMATH_REGISTRY_MIN_MAX):
// the sixteen overloads of qx_math_func_host_max, qx_math_func_host_umax,
// qx_math_func_host_llmax, qx_math_func_host_ullmax, and the array forms
// qx_math_func_host_batch_max of the float and double pairs.
#include "convert/min_max.h"
#include "cpu/export.h"

#define HOSTMATH_MAX_ROW(...) HOSTMATH_MIN_MAX_ROW(true, __VA_ARGS__)
HOSTMATH_REGISTRY_MIN_MAX(HOSTMATH_MAX_ROW, max, umax, llmax, ullmax)
