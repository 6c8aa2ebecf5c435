// Every exported function once, by its device name, in the order the command
// lists them; the command's table and the Python module's ufuncs are both
// expanded from it.
//
// HOSTMATH_FUNCTIONS(F, S, M) calls F(name) for each function that takes its
// arguments and returns its result by value, S(name) for sincospi and
// sincospif (two results through pointers), and M(name) for the overloaded max
// and min, whose overloads HOSTMATH_MINMAX_OVERLOADS(O, name) lists as
// O(name, Result, First, Second).  Each of F, S, M and O writes its own
// separator.
#ifndef HOSTMATH_FUNCTION_LIST_H
#define HOSTMATH_FUNCTION_LIST_H

#define HOSTMATH_FUNCTIONS(F, S, M)                                                                        \
    F(__float2bfloat16) F(__float2bfloat16_rn) F(__float2bfloat16_rz) F(__float2bfloat16_rd)              \
    F(__float2bfloat16_ru) F(__double2bfloat16) F(__float2bfloat162_rn) F(__float22bfloat162_rn)          \
    F(__floats2bfloat162_rn) F(__ushort2bfloat16_rn) F(__short2bfloat16_rn) F(__int2bfloat16_rn)          \
    F(__uint2bfloat16_rn) F(__ll2bfloat16_rn) F(__ull2bfloat16_rn) F(__bfloat162float)                    \
    F(__bfloat1622float2) F(__low2float) F(__high2float) F(__bfloat162ushort_rz)                          \
    F(__bfloat162short_rz) F(__bfloat162int_rz) F(__bfloat162uint_rz) F(__bfloat162ll_rz)                \
    F(__bfloat162ull_rz)                                                                                  \
    F(__float2half) F(__float2half_rn) F(__float2half_rz) F(__float2half_rd) F(__float2half_ru)           \
    F(__double2half) F(__half2float) F(__half2short_rz) F(__half2ushort_rz) F(__half2int_rz)              \
    F(__half2uint_rz) F(__half2ll_rz) F(__half2ull_rz) F(__short2half_rn) F(__ushort2half_rn)             \
    F(__int2half_rn) F(__uint2half_rn) F(__ll2half_rn) F(__ull2half_rn)                                   \
    F(erfinv) F(erfinvf) F(erfcinv) F(erfcinvf) F(erfcx) F(erfcxf) F(normcdf) F(normcdff)                 \
    F(sinpi) F(sinpif) F(cospi) F(cospif) S(sincospi) S(sincospif)                                        \
    F(rsqrt) F(rsqrtf) F(rcbrt) F(rcbrtf)                                                                 \
    M(max) F(umax) F(llmax) F(ullmax)                                                                     \
    M(min) F(umin) F(llmin) F(ullmin)

// The overloads in the order that makes a search for the first overload taking
// the arguments by safe conversions find the one C++ overload resolution picks
// for promoted arguments.
#define HOSTMATH_MINMAX_OVERLOADS(O, fn)                                                                   \
    O(fn, int, int, int) O(fn, unsigned int, unsigned int, unsigned int)                                  \
    O(fn, unsigned int, int, unsigned int) O(fn, unsigned int, unsigned int, int)                         \
    O(fn, long, long, long) O(fn, unsigned long, unsigned long, unsigned long)                            \
    O(fn, unsigned long, long, unsigned long) O(fn, unsigned long, unsigned long, long)                   \
    O(fn, long long, long long, long long) O(fn, unsigned long long, unsigned long long, unsigned long long) \
    O(fn, unsigned long long, long long, unsigned long long)                                              \
    O(fn, unsigned long long, unsigned long long, long long)                                              \
    O(fn, float, float, float) O(fn, double, double, float) O(fn, double, float, double)                  \
    O(fn, double, double, double)

#endif  // HOSTMATH_FUNCTION_LIST_H
