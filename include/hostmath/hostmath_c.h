/* hostmath/hostmath_c.h: the functions of libhostmath for C (C11) and for the
 * languages that call C functions (Python's ctypes, Rust, Julia, Go).
 *
 * The functions of hostmath.h and hostmath/batch.h with C linkage, exported by
 * the same library: each calls its C++ function and gives its result, bit for
 * bit.  Like the C++ functions they are stateless and thread-safe, and the
 * calling thread's floating-point state never changes a result and is as it
 * was when a call returns.
 *
 * Names.  hostmath_ followed by the device name without its leading
 * underscores (qx_math_func_host___float2half_rn is hostmath_float2half_rn),
 * and hostmath_batch_ followed by that name for an array form.  C has no
 * overloads, so each overload of max and min adds one code per parameter
 * type: i int, u unsigned int, l long, ul unsigned long, ll long long, ull
 * unsigned long long, f float, d double.  hostmath_max_i_u is
 * max(int, unsigned int), hostmath_min_d_f is min(double, float); umax,
 * llmax, ullmax, umin, llmin and ullmin keep their names.  A name keeps its
 * signature for as long as the library's SONAME (libhostmath.so.1) lasts.
 *
 * Types.  A half or bfloat16 value is its bit pattern, a uint16_t.  A pair
 * argument is two arguments: a bfloat16 pair low then high, a float2 first
 * then second.  A pair result is written through two pointers after the
 * arguments, in the same order; a null pointer is skipped.
 *
 * Array forms.  hostmath_batch_NAME(in, out, n) stores in out[i] what
 * hostmath_NAME(in[i]) returns, for i < n, under the contract of
 * hostmath/batch.h: n = 0 does nothing (the pointers may then be null);
 * element alignment is enough; the conversions need in and out not to
 * overlap, the other forms also work in place (out equal to an input of the
 * result's type).  The state is switched once per call, not per element.
 */
#ifndef HOSTMATH_C_H
#define HOSTMATH_C_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---------------------------------------------------------------------------
 * bfloat16 conversions
 * ------------------------------------------------------------------------- */

/* Float and double to bfloat16; every NaN becomes 0x7fff. */
uint16_t hostmath_float2bfloat16(float x);
uint16_t hostmath_float2bfloat16_rn(float x);
uint16_t hostmath_float2bfloat16_rz(float x);
uint16_t hostmath_float2bfloat16_rd(float x);
uint16_t hostmath_float2bfloat16_ru(float x);
uint16_t hostmath_double2bfloat16(double x);

/* Pairs: (b, b), and (first, second) as (low, high). */
void hostmath_float2bfloat162_rn(float x, uint16_t* low, uint16_t* high);
void hostmath_float22bfloat162_rn(float first, float second, uint16_t* low, uint16_t* high);
void hostmath_floats2bfloat162_rn(float a, float b, uint16_t* low, uint16_t* high);

/* Integers to bfloat16, to nearest with ties to even. */
uint16_t hostmath_ushort2bfloat16_rn(unsigned short a);
uint16_t hostmath_short2bfloat16_rn(short a);
uint16_t hostmath_int2bfloat16_rn(int a);
uint16_t hostmath_uint2bfloat16_rn(unsigned int a);
uint16_t hostmath_ll2bfloat16_rn(long long a);
uint16_t hostmath_ull2bfloat16_rn(unsigned long long a);

/* bfloat16 to float (exact) and to integers (toward zero, saturating). */
float hostmath_bfloat162float(uint16_t bits);
void hostmath_bfloat1622float2(uint16_t low, uint16_t high, float* first, float* second);
float hostmath_low2float(uint16_t low, uint16_t high);
float hostmath_high2float(uint16_t low, uint16_t high);
unsigned short hostmath_bfloat162ushort_rz(uint16_t bits);
short hostmath_bfloat162short_rz(uint16_t bits);
int hostmath_bfloat162int_rz(uint16_t bits);
unsigned int hostmath_bfloat162uint_rz(uint16_t bits);
long long hostmath_bfloat162ll_rz(uint16_t bits);
unsigned long long hostmath_bfloat162ull_rz(uint16_t bits);

/* ---------------------------------------------------------------------------
 * half conversions
 * ------------------------------------------------------------------------- */

/* Float and double to half; every NaN becomes 0x7fff. */
uint16_t hostmath_float2half(float x);
uint16_t hostmath_float2half_rn(float x);
uint16_t hostmath_float2half_rz(float x);
uint16_t hostmath_float2half_rd(float x);
uint16_t hostmath_float2half_ru(float x);
uint16_t hostmath_double2half(double x);

/* Half to float (exact; every NaN becomes 0x7fffffff) and to integers (toward zero). */
float hostmath_half2float(uint16_t bits);
short hostmath_half2short_rz(uint16_t bits);
unsigned short hostmath_half2ushort_rz(uint16_t bits);
int hostmath_half2int_rz(uint16_t bits);
unsigned int hostmath_half2uint_rz(uint16_t bits);
long long hostmath_half2ll_rz(uint16_t bits);
unsigned long long hostmath_half2ull_rz(uint16_t bits);

/* Integers to half, to nearest with ties to even. */
uint16_t hostmath_short2half_rn(short a);
uint16_t hostmath_ushort2half_rn(unsigned short a);
uint16_t hostmath_int2half_rn(int a);
uint16_t hostmath_uint2half_rn(unsigned int a);
uint16_t hostmath_ll2half_rn(long long a);
uint16_t hostmath_ull2half_rn(unsigned long long a);

/* ---------------------------------------------------------------------------
 * Special functions
 * ------------------------------------------------------------------------- */

double hostmath_erfinv(double x);
float hostmath_erfinvf(float x);
double hostmath_erfcinv(double x);
float hostmath_erfcinvf(float x);
double hostmath_erfcx(double x);
float hostmath_erfcxf(float x);
double hostmath_normcdf(double x);
float hostmath_normcdff(float x);

/* ---------------------------------------------------------------------------
 * Pi-scaled sine and cosine, reciprocal roots
 * ------------------------------------------------------------------------- */

double hostmath_sinpi(double x);
float hostmath_sinpif(float x);
double hostmath_cospi(double x);
float hostmath_cospif(float x);

/* The sine into *sinp, the cosine into *cosp; a null pointer is skipped. */
void hostmath_sincospi(double x, double* sinp, double* cosp);
void hostmath_sincospif(float x, float* sinp, float* cosp);

double hostmath_rsqrt(double x);
float hostmath_rsqrtf(float x);
double hostmath_rcbrt(double x);
float hostmath_rcbrtf(float x);

/* ---------------------------------------------------------------------------
 * Minimum and maximum
 * ------------------------------------------------------------------------- */

/* Signed, unsigned, and mixed pairs compared as unsigned of the common width;
 * floating forms IEEE maxNum (minNum), a float widened exactly. */
int hostmath_max_i_i(int a, int b);
unsigned int hostmath_max_u_u(unsigned int a, unsigned int b);
unsigned int hostmath_max_i_u(int a, unsigned int b);
unsigned int hostmath_max_u_i(unsigned int a, int b);
long hostmath_max_l_l(long a, long b);
unsigned long hostmath_max_ul_ul(unsigned long a, unsigned long b);
unsigned long hostmath_max_l_ul(long a, unsigned long b);
unsigned long hostmath_max_ul_l(unsigned long a, long b);
long long hostmath_max_ll_ll(long long a, long long b);
unsigned long long hostmath_max_ull_ull(unsigned long long a, unsigned long long b);
unsigned long long hostmath_max_ll_ull(long long a, unsigned long long b);
unsigned long long hostmath_max_ull_ll(unsigned long long a, long long b);
float hostmath_max_f_f(float a, float b);
double hostmath_max_d_f(double a, float b);
double hostmath_max_f_d(float a, double b);
double hostmath_max_d_d(double a, double b);
unsigned int hostmath_umax(unsigned int a, unsigned int b);
long long hostmath_llmax(long long a, long long b);
unsigned long long hostmath_ullmax(unsigned long long a, unsigned long long b);

int hostmath_min_i_i(int a, int b);
unsigned int hostmath_min_u_u(unsigned int a, unsigned int b);
unsigned int hostmath_min_i_u(int a, unsigned int b);
unsigned int hostmath_min_u_i(unsigned int a, int b);
long hostmath_min_l_l(long a, long b);
unsigned long hostmath_min_ul_ul(unsigned long a, unsigned long b);
unsigned long hostmath_min_l_ul(long a, unsigned long b);
unsigned long hostmath_min_ul_l(unsigned long a, long b);
long long hostmath_min_ll_ll(long long a, long long b);
unsigned long long hostmath_min_ull_ull(unsigned long long a, unsigned long long b);
unsigned long long hostmath_min_ll_ull(long long a, unsigned long long b);
unsigned long long hostmath_min_ull_ll(unsigned long long a, long long b);
float hostmath_min_f_f(float a, float b);
double hostmath_min_d_f(double a, float b);
double hostmath_min_f_d(float a, double b);
double hostmath_min_d_d(double a, double b);
unsigned int hostmath_umin(unsigned int a, unsigned int b);
long long hostmath_llmin(long long a, long long b);
unsigned long long hostmath_ullmin(unsigned long long a, unsigned long long b);

/* ---------------------------------------------------------------------------
 * Array forms (hostmath/batch.h)
 * ------------------------------------------------------------------------- */

/* Conversions. */
void hostmath_batch_float2bfloat16_rn(const float* in, uint16_t* out, size_t n);
void hostmath_batch_float2bfloat16_rz(const float* in, uint16_t* out, size_t n);
void hostmath_batch_float2bfloat16_rd(const float* in, uint16_t* out, size_t n);
void hostmath_batch_float2bfloat16_ru(const float* in, uint16_t* out, size_t n);
void hostmath_batch_double2bfloat16(const double* in, uint16_t* out, size_t n);
void hostmath_batch_ushort2bfloat16_rn(const unsigned short* in, uint16_t* out, size_t n);
void hostmath_batch_short2bfloat16_rn(const short* in, uint16_t* out, size_t n);
void hostmath_batch_int2bfloat16_rn(const int* in, uint16_t* out, size_t n);
void hostmath_batch_uint2bfloat16_rn(const unsigned int* in, uint16_t* out, size_t n);
void hostmath_batch_ll2bfloat16_rn(const long long* in, uint16_t* out, size_t n);
void hostmath_batch_ull2bfloat16_rn(const unsigned long long* in, uint16_t* out, size_t n);
void hostmath_batch_bfloat162float(const uint16_t* in, float* out, size_t n);
void hostmath_batch_bfloat162ushort_rz(const uint16_t* in, unsigned short* out, size_t n);
void hostmath_batch_bfloat162short_rz(const uint16_t* in, short* out, size_t n);
void hostmath_batch_bfloat162int_rz(const uint16_t* in, int* out, size_t n);
void hostmath_batch_bfloat162uint_rz(const uint16_t* in, unsigned int* out, size_t n);
void hostmath_batch_bfloat162ll_rz(const uint16_t* in, long long* out, size_t n);
void hostmath_batch_bfloat162ull_rz(const uint16_t* in, unsigned long long* out, size_t n);
void hostmath_batch_float2half_rn(const float* in, uint16_t* out, size_t n);
void hostmath_batch_float2half_rz(const float* in, uint16_t* out, size_t n);
void hostmath_batch_float2half_rd(const float* in, uint16_t* out, size_t n);
void hostmath_batch_float2half_ru(const float* in, uint16_t* out, size_t n);
void hostmath_batch_double2half(const double* in, uint16_t* out, size_t n);
void hostmath_batch_half2float(const uint16_t* in, float* out, size_t n);
void hostmath_batch_half2short_rz(const uint16_t* in, short* out, size_t n);
void hostmath_batch_half2ushort_rz(const uint16_t* in, unsigned short* out, size_t n);
void hostmath_batch_half2int_rz(const uint16_t* in, int* out, size_t n);
void hostmath_batch_half2uint_rz(const uint16_t* in, unsigned int* out, size_t n);
void hostmath_batch_half2ll_rz(const uint16_t* in, long long* out, size_t n);
void hostmath_batch_half2ull_rz(const uint16_t* in, unsigned long long* out, size_t n);
void hostmath_batch_short2half_rn(const short* in, uint16_t* out, size_t n);
void hostmath_batch_ushort2half_rn(const unsigned short* in, uint16_t* out, size_t n);
void hostmath_batch_int2half_rn(const int* in, uint16_t* out, size_t n);
void hostmath_batch_uint2half_rn(const unsigned int* in, uint16_t* out, size_t n);
void hostmath_batch_ll2half_rn(const long long* in, uint16_t* out, size_t n);
void hostmath_batch_ull2half_rn(const unsigned long long* in, uint16_t* out, size_t n);

/* Special functions, pi-scaled sine and cosine, reciprocal roots; sincospi
 * fills two arrays, and a null one is skipped. */
void hostmath_batch_erfinv(const double* in, double* out, size_t n);
void hostmath_batch_erfinvf(const float* in, float* out, size_t n);
void hostmath_batch_erfcinv(const double* in, double* out, size_t n);
void hostmath_batch_erfcinvf(const float* in, float* out, size_t n);
void hostmath_batch_erfcx(const double* in, double* out, size_t n);
void hostmath_batch_erfcxf(const float* in, float* out, size_t n);
void hostmath_batch_normcdf(const double* in, double* out, size_t n);
void hostmath_batch_normcdff(const float* in, float* out, size_t n);
void hostmath_batch_sinpi(const double* in, double* out, size_t n);
void hostmath_batch_sinpif(const float* in, float* out, size_t n);
void hostmath_batch_cospi(const double* in, double* out, size_t n);
void hostmath_batch_cospif(const float* in, float* out, size_t n);
void hostmath_batch_sincospi(const double* in, double* sinp, double* cosp, size_t n);
void hostmath_batch_sincospif(const float* in, float* sinp, float* cosp, size_t n);
void hostmath_batch_rsqrt(const double* in, double* out, size_t n);
void hostmath_batch_rsqrtf(const float* in, float* out, size_t n);
void hostmath_batch_rcbrt(const double* in, double* out, size_t n);
void hostmath_batch_rcbrtf(const float* in, float* out, size_t n);

/* out[i] = max(a[i], b[i]) (min) of the floating forms. */
void hostmath_batch_max_f_f(const float* a, const float* b, float* out, size_t n);
void hostmath_batch_max_d_f(const double* a, const float* b, double* out, size_t n);
void hostmath_batch_max_f_d(const float* a, const double* b, double* out, size_t n);
void hostmath_batch_max_d_d(const double* a, const double* b, double* out, size_t n);
void hostmath_batch_min_f_f(const float* a, const float* b, float* out, size_t n);
void hostmath_batch_min_d_f(const double* a, const float* b, double* out, size_t n);
void hostmath_batch_min_f_d(const float* a, const double* b, double* out, size_t n);
void hostmath_batch_min_d_d(const double* a, const double* b, double* out, size_t n);

#ifdef __cplusplus
}
#endif

#endif /* HOSTMATH_C_H */
