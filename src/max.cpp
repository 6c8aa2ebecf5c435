// The maximum of two values, for every integer width and signedness pairing
// and for float and double.
//
// The integer forms hand their arguments, converted to the comparison type, to
// std::max, which selects the second only if the first is less.  A mixed pair
// compares as unsigned of the common width: the signed argument is reinterpreted
// in two's complement, so -1 is the largest value.  The floating forms are
// maxNum (min_max.h): a quiet NaN loses, a signalling NaN gives a quiet NaN,
// -0 orders below +0, and a float meeting a double is widened exactly first.
#include "min_max.h"

#include <algorithm>

using hostmath::detail::max_num;
using hostmath::detail::widened;

int qx_math_func_host_max(int a, int b) { return std::max(a, b); }

unsigned int qx_math_func_host_umax(unsigned int a, unsigned int b) { return std::max(a, b); }

long long qx_math_func_host_llmax(long long a, long long b) { return std::max(a, b); }

unsigned long long qx_math_func_host_ullmax(unsigned long long a, unsigned long long b) { return std::max(a, b); }

unsigned int qx_math_func_host_max(unsigned int a, unsigned int b) { return std::max(a, b); }

unsigned int qx_math_func_host_max(int a, unsigned int b) { return std::max(static_cast<unsigned int>(a), b); }

unsigned int qx_math_func_host_max(unsigned int a, int b) { return std::max(a, static_cast<unsigned int>(b)); }

long qx_math_func_host_max(long a, long b) { return std::max(a, b); }

unsigned long qx_math_func_host_max(unsigned long a, unsigned long b) { return std::max(a, b); }

unsigned long qx_math_func_host_max(long a, unsigned long b) { return std::max(static_cast<unsigned long>(a), b); }

unsigned long qx_math_func_host_max(unsigned long a, long b) { return std::max(a, static_cast<unsigned long>(b)); }

long long qx_math_func_host_max(long long a, long long b) { return std::max(a, b); }

unsigned long long qx_math_func_host_max(unsigned long long a, unsigned long long b) { return std::max(a, b); }

unsigned long long qx_math_func_host_max(long long a, unsigned long long b)
{
    return std::max(static_cast<unsigned long long>(a), b);
}

unsigned long long qx_math_func_host_max(unsigned long long a, long long b)
{
    return std::max(a, static_cast<unsigned long long>(b));
}

float qx_math_func_host_max(float a, float b) { return max_num(a, b); }

double qx_math_func_host_max(double a, float b) { return max_num(a, widened(b)); }

double qx_math_func_host_max(float a, double b) { return max_num(widened(a), b); }

double qx_math_func_host_max(double a, double b) { return max_num(a, b); }
