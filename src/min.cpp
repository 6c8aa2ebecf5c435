// The minimum of two values, for every integer width and signedness pairing
// and for float and double.
//
// The integer forms hand their arguments, converted to the comparison type, to
// std::min, which selects the second only if it is less than the first.  A
// mixed pair compares as unsigned of the common width: the signed argument is
// reinterpreted in two's complement, so -1 is the largest value.  The floating
// forms are minNum (min_max.h): a quiet NaN loses, a signalling NaN gives a
// quiet NaN, -0 orders below +0, and a float meeting a double is widened
// exactly first.
#include "min_max.h"

#include <algorithm>

using hostmath::detail::min_num;
using hostmath::detail::widened;

int qx_math_func_host_min(int a, int b) { return std::min(a, b); }

unsigned int qx_math_func_host_umin(unsigned int a, unsigned int b) { return std::min(a, b); }

long long qx_math_func_host_llmin(long long a, long long b) { return std::min(a, b); }

unsigned long long qx_math_func_host_ullmin(unsigned long long a, unsigned long long b) { return std::min(a, b); }

unsigned int qx_math_func_host_min(unsigned int a, unsigned int b) { return std::min(a, b); }

unsigned int qx_math_func_host_min(int a, unsigned int b) { return std::min(static_cast<unsigned int>(a), b); }

unsigned int qx_math_func_host_min(unsigned int a, int b) { return std::min(a, static_cast<unsigned int>(b)); }

long qx_math_func_host_min(long a, long b) { return std::min(a, b); }

unsigned long qx_math_func_host_min(unsigned long a, unsigned long b) { return std::min(a, b); }

unsigned long qx_math_func_host_min(long a, unsigned long b) { return std::min(static_cast<unsigned long>(a), b); }

unsigned long qx_math_func_host_min(unsigned long a, long b) { return std::min(a, static_cast<unsigned long>(b)); }

long long qx_math_func_host_min(long long a, long long b) { return std::min(a, b); }

unsigned long long qx_math_func_host_min(unsigned long long a, unsigned long long b) { return std::min(a, b); }

unsigned long long qx_math_func_host_min(long long a, unsigned long long b)
{
    return std::min(static_cast<unsigned long long>(a), b);
}

unsigned long long qx_math_func_host_min(unsigned long long a, long long b)
{
    return std::min(a, static_cast<unsigned long long>(b));
}

float qx_math_func_host_min(float a, float b) { return min_num(a, b); }

double qx_math_func_host_min(double a, float b) { return min_num(a, widened(b)); }

double qx_math_func_host_min(float a, double b) { return min_num(widened(a), b); }

double qx_math_func_host_min(double a, double b) { return min_num(a, b); }
