// Conversions to and from IEEE 754 binary16 (half precision).
//
// Float to half splits the float's bit pattern into the pattern truncated
// toward zero, the sign and the discarded bits, left-aligned in a remainder
// word; each rounding direction then decides whether to add one to the pattern.
// The carry runs from the fraction into the exponent, so the largest subnormal
// becomes the smallest normal and the largest finite value infinity.  This is
// unsigned integer arithmetic only, so the results do not depend on the
// rounding mode.  Every NaN becomes the one pattern 0x7fff.
//
// Double to half rounds inside double arithmetic to the half's spacing first,
// so that the float conversion only ever sees an exact half value: one rounding.
//
// Half to float is exact, by integer arithmetic on the pattern; every NaN
// becomes 0x7fffffff.  Half to integers widens to float, then truncates and
// saturates on the bits; integers to half build the float pattern and round
// it to nearest.  Only the double conversion computes in floating point,
// under the guard of the caller's floating-point state (fp_env.h).  The
// kernels for one value (convert/half.h) are those of the array forms.
#include "cpu/export.h"
#include "convert/x86_instructions.h"
#include "base/array_loops.h"
#include "convert/half.h"
#include "base/bits.h"

using hostmath::detail::__internal_half2float;
using hostmath::detail::double2half_bits;
using hostmath::detail::float2half_bits;
using hostmath::detail::HalfDown;
using hostmath::detail::HalfNearestEven;
using hostmath::detail::HalfTowardZero;
using hostmath::detail::HalfUp;
using hostmath::detail::half2integer_rz;
using hostmath::detail::integer2half_bits;
using hostmath::detail::ScalarSelect;

HOSTMATH_EXPORT(__half, qx_math_func_host___float2half, (float x)) { return __half_raw{float2half_bits<HalfNearestEven, ScalarSelect>(x)}; }

HOSTMATH_EXPORT(__half, qx_math_func_host___float2half_rn, (float x))
{
    return __half_raw{float2half_bits<HalfNearestEven, ScalarSelect>(x)};
}

HOSTMATH_EXPORT(__half, qx_math_func_host___float2half_rz, (float x))
{
    return __half_raw{float2half_bits<HalfTowardZero, ScalarSelect>(x)};
}

HOSTMATH_EXPORT(__half, qx_math_func_host___float2half_rd, (float x)) { return __half_raw{float2half_bits<HalfDown, ScalarSelect>(x)}; }

HOSTMATH_EXPORT(__half, qx_math_func_host___float2half_ru, (float x)) { return __half_raw{float2half_bits<HalfUp, ScalarSelect>(x)}; }

HOSTMATH_EXPORT(__half, qx_math_func_host___double2half, (double x))
{
    return __half(__half_raw{double2half_bits<ScalarSelect>(x)});
}

HOSTMATH_EXPORT(float, qx_math_func_host___half2float, (__half h)) { return __internal_half2float<ScalarSelect>(h.bits); }

HOSTMATH_EXPORT(short, qx_math_func_host___half2short_rz, (__half h)) { return half2integer_rz<short, ScalarSelect>(h.bits); }

HOSTMATH_EXPORT(unsigned short, qx_math_func_host___half2ushort_rz, (__half h))
{
    return half2integer_rz<unsigned short, ScalarSelect>(h.bits);
}

HOSTMATH_EXPORT(int, qx_math_func_host___half2int_rz, (__half h)) { return half2integer_rz<int, ScalarSelect>(h.bits); }

HOSTMATH_EXPORT(unsigned int, qx_math_func_host___half2uint_rz, (__half h)) { return half2integer_rz<unsigned int, ScalarSelect>(h.bits); }

HOSTMATH_EXPORT(long long, qx_math_func_host___half2ll_rz, (__half h)) { return half2integer_rz<long long, ScalarSelect>(h.bits); }

HOSTMATH_EXPORT(unsigned long long, qx_math_func_host___half2ull_rz, (__half h))
{
    return half2integer_rz<unsigned long long, ScalarSelect>(h.bits);
}

HOSTMATH_EXPORT(__half, qx_math_func_host___short2half_rn, (short a)) { return __half_raw{integer2half_bits<short, ScalarSelect>(a)}; }

HOSTMATH_EXPORT(__half, qx_math_func_host___ushort2half_rn, (unsigned short a))
{
    return __half_raw{integer2half_bits<unsigned short, ScalarSelect>(a)};
}

HOSTMATH_EXPORT(__half, qx_math_func_host___int2half_rn, (int a)) { return __half_raw{integer2half_bits<int, ScalarSelect>(a)}; }

HOSTMATH_EXPORT(__half, qx_math_func_host___uint2half_rn, (unsigned int a))
{
    return __half_raw{integer2half_bits<unsigned int, ScalarSelect>(a)};
}

HOSTMATH_EXPORT(__half, qx_math_func_host___ll2half_rn, (long long a)) { return __half_raw{integer2half_bits<long long, ScalarSelect>(a)}; }

HOSTMATH_EXPORT(__half, qx_math_func_host___ull2half_rn, (unsigned long long a))
{
    return __half_raw{integer2half_bits<unsigned long long, ScalarSelect>(a)};
}

// ---------------------------------------------------------------------------
// Array forms
// The half conversions over arrays: per-element code written as selects
// (convert/half.h), in loops the compiler vectorises; the tests hold it to the
// exported scalar functions bit for bit, over every float and every half.  The float
// conversions are integer selects on the bit pattern; the double conversion
// rounds in double arithmetic and then converts exactly; widening moves the
// fields, normalising subnormals by an exact integer-to-float conversion.  On
// x86-64 processors with F16C the instructions convert the whole vectors
// (batch_x86.h) and the loops the rest.  The integer conversions are those of
// the scalar functions.
// ---------------------------------------------------------------------------

using namespace hostmath::detail;

namespace {

// The prefix of the array that F16C converts (none without it); the portable
// loop converts the rest.
template <typename Rule>
void float2half_loop(const float* in, __half* out, std::size_t n)
{
    convert_each(in, out, n, float2half_bits<Rule>);
}

template <typename Rule>
void float2half(const float* in, __half* out, std::size_t n)
{
#if defined(HOSTMATH_BATCH_X86)
    const std::size_t done = hostmath::detail::x86::float2half<Rule>(in, out, n);
#else
    const std::size_t done = 0;
#endif
    float2half_loop<Rule>(in + done, out + done, n - done);
}

void half2float_loop(const __half* in, float* out, std::size_t n)
{
    convert_each(in, out, n, __internal_half2float<>);
}

}  // namespace

HOSTMATH_EXPORT(void, qx_math_func_host_batch___float2half_rn, (const float* in, __half* out, std::size_t n))
{
    float2half<HalfNearestEven>(in, out, n);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch___float2half_rz, (const float* in, __half* out, std::size_t n))
{
    float2half<HalfTowardZero>(in, out, n);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch___float2half_rd, (const float* in, __half* out, std::size_t n))
{
    float2half<HalfDown>(in, out, n);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch___float2half_ru, (const float* in, __half* out, std::size_t n))
{
    float2half<HalfUp>(in, out, n);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch___half2float, (const __half* in, float* out, std::size_t n))
{
#if defined(HOSTMATH_BATCH_X86)
    const std::size_t done = hostmath::detail::x86::half2float(in, out, n);
#else
    const std::size_t done = 0;
#endif
    half2float_loop(in + done, out + done, n - done);
}

HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___double2half, double, __half, convert_each, double2half_bits<>)

HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___ushort2half_rn, unsigned short, __half, convert_each,
                    integer2half_bits<unsigned short>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___short2half_rn, short, __half, convert_each, integer2half_bits<short>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___int2half_rn, int, __half, convert_each, integer2half_bits<int>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___uint2half_rn, unsigned int, __half, convert_each,
                    integer2half_bits<unsigned int>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___ll2half_rn, long long, __half, convert_each, integer2half_bits<long long>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___ull2half_rn, unsigned long long, __half, convert_each,
                    integer2half_bits<unsigned long long>)

HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___half2ushort_rz, __half, unsigned short, convert_each,
                    half2integer_rz<unsigned short>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___half2short_rz, __half, short, convert_each, half2integer_rz<short>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___half2int_rz, __half, int, convert_each, half2integer_rz<int>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___half2uint_rz, __half, unsigned int, convert_each,
                    half2integer_rz<unsigned int>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___half2ll_rz, __half, long long, convert_each, half2integer_rz<long long>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___half2ull_rz, __half, unsigned long long, convert_each,
                    half2integer_rz<unsigned long long>)
