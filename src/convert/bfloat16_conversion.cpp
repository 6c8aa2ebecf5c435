// Conversions to and from bfloat16, the upper half of a binary32 pattern.
//
// Float to bfloat16 keeps the upper 16 bits and decides from the sign and the
// 16 discarded bits whether to add one to the kept pattern; the carry runs from
// the fraction into the exponent.  All of it is unsigned integer arithmetic on
// the bit pattern, so the results do not depend on the rounding mode.  Every
// NaN becomes the one pattern 0x7fff.
//
// Integers to bfloat16 build the pattern from the integer's bits, with no
// floating-point arithmetic; bfloat16 to float is exact, and bfloat16 to the
// integer types truncates toward zero and saturates on the bits.  Only the
// double conversion computes in floating point, under the guard of the
// caller's floating-point state (fp_env.h).
// The kernels for one value (convert/bfloat16.h) are those of the array forms.
#include "cpu/export.h"
#include "convert/x86_instructions.h"
#include "base/array_loops.h"
#include "convert/bfloat16.h"
#include "base/bits.h"

#include <cstdint>

using hostmath::detail::bfloat162integer_rz;
using hostmath::detail::bfloat16_bits_to_float;
using hostmath::detail::Bf16Down;
using hostmath::detail::Bf16NearestEven;
using hostmath::detail::Bf16TowardZero;
using hostmath::detail::Bf16Up;
using hostmath::detail::double2bfloat16_bits;
using hostmath::detail::float2bfloat16_bits;
using hostmath::detail::integer2bfloat16_bits;
using hostmath::detail::ScalarSelect;

HOSTMATH_EXPORT(__quix_bfloat16, qx_math_func_host___float2bfloat16_rn, (float x))
{
    return __quix_bfloat16_raw{float2bfloat16_bits<Bf16NearestEven>(x)};
}

HOSTMATH_EXPORT(__quix_bfloat16, qx_math_func_host___float2bfloat16_rz, (float x))
{
    return __quix_bfloat16_raw{float2bfloat16_bits<Bf16TowardZero>(x)};
}

HOSTMATH_EXPORT(__quix_bfloat16, qx_math_func_host___float2bfloat16_rd, (float x))
{
    return __quix_bfloat16_raw{float2bfloat16_bits<Bf16Down>(x)};
}

HOSTMATH_EXPORT(__quix_bfloat16, qx_math_func_host___float2bfloat16_ru, (float x))
{
    return __quix_bfloat16_raw{float2bfloat16_bits<Bf16Up>(x)};
}

HOSTMATH_EXPORT(__quix_bfloat16, qx_math_func_host___float2bfloat16, (float x))
{
    return __quix_bfloat16_raw{float2bfloat16_bits<Bf16NearestEven>(x)};
}

HOSTMATH_EXPORT(__quix_bfloat16, qx_math_func_host___double2bfloat16, (double x))
{
    return __quix_bfloat16(__quix_bfloat16_raw{double2bfloat16_bits(x)});
}

HOSTMATH_EXPORT(__quix_bfloat162, qx_math_func_host___float2bfloat162_rn, (float a))
{
    const __quix_bfloat16 b = qx_math_func_host___float2bfloat16(a);
    return __quix_bfloat162(b, b);
}

HOSTMATH_EXPORT(__quix_bfloat162, qx_math_func_host___float22bfloat162_rn, (float2 v))
{
    const __quix_bfloat16 low = qx_math_func_host___float2bfloat16(v.first);
    const __quix_bfloat16 high = qx_math_func_host___float2bfloat16(v.second);
    return __quix_bfloat162(low, high);
}

HOSTMATH_EXPORT(__quix_bfloat162, qx_math_func_host___floats2bfloat162_rn, (float a, float b))
{
    const __quix_bfloat16 low = qx_math_func_host___float2bfloat16_rn(a);
    const __quix_bfloat16 high = qx_math_func_host___float2bfloat16_rn(b);
    return __quix_bfloat162(low, high);
}

// Integers to bfloat16, to nearest with ties to even.

HOSTMATH_EXPORT(__quix_bfloat16, qx_math_func_host___ushort2bfloat16_rn, (unsigned short a))
{
    return __quix_bfloat16_raw{integer2bfloat16_bits<unsigned short, ScalarSelect>(a)};
}

HOSTMATH_EXPORT(__quix_bfloat16, qx_math_func_host___short2bfloat16_rn, (short a))
{
    return __quix_bfloat16_raw{integer2bfloat16_bits<short, ScalarSelect>(a)};
}

HOSTMATH_EXPORT(__quix_bfloat16, qx_math_func_host___int2bfloat16_rn, (int a))
{
    return __quix_bfloat16_raw{integer2bfloat16_bits<int, ScalarSelect>(a)};
}

HOSTMATH_EXPORT(__quix_bfloat16, qx_math_func_host___uint2bfloat16_rn, (unsigned int a))
{
    return __quix_bfloat16_raw{integer2bfloat16_bits<unsigned int, ScalarSelect>(a)};
}

HOSTMATH_EXPORT(__quix_bfloat16, qx_math_func_host___ll2bfloat16_rn, (long long a))
{
    return __quix_bfloat16_raw{integer2bfloat16_bits<long long, ScalarSelect>(a)};
}

HOSTMATH_EXPORT(__quix_bfloat16, qx_math_func_host___ull2bfloat16_rn, (unsigned long long a))
{
    return __quix_bfloat16_raw{integer2bfloat16_bits<unsigned long long, ScalarSelect>(a)};
}

// bfloat16 to float (exact) and to integers (toward zero, saturating; a NaN
// gives 0, except 0x8000000000000000 for unsigned long long).

HOSTMATH_EXPORT(float, qx_math_func_host___bfloat162float, (__quix_bfloat16 a)) { return bfloat16_bits_to_float(a.bits); }

HOSTMATH_EXPORT(float, qx_math_func_host___low2float, (__quix_bfloat162 a)) { return bfloat16_bits_to_float(a.low.bits); }

HOSTMATH_EXPORT(float, qx_math_func_host___high2float, (__quix_bfloat162 a)) { return bfloat16_bits_to_float(a.high.bits); }

HOSTMATH_EXPORT(float2, qx_math_func_host___bfloat1622float2, (__quix_bfloat162 a))
{
    return make_float2(bfloat16_bits_to_float(a.low.bits), bfloat16_bits_to_float(a.high.bits));
}

HOSTMATH_EXPORT(unsigned short, qx_math_func_host___bfloat162ushort_rz, (__quix_bfloat16 a))
{
    return bfloat162integer_rz<unsigned short>(a.bits);
}

HOSTMATH_EXPORT(short, qx_math_func_host___bfloat162short_rz, (__quix_bfloat16 a)) { return bfloat162integer_rz<short>(a.bits); }

HOSTMATH_EXPORT(int, qx_math_func_host___bfloat162int_rz, (__quix_bfloat16 a)) { return bfloat162integer_rz<int>(a.bits); }

HOSTMATH_EXPORT(unsigned int, qx_math_func_host___bfloat162uint_rz, (__quix_bfloat16 a))
{
    return bfloat162integer_rz<unsigned int>(a.bits);
}

HOSTMATH_EXPORT(long long, qx_math_func_host___bfloat162ll_rz, (__quix_bfloat16 a)) { return bfloat162integer_rz<long long>(a.bits); }

HOSTMATH_EXPORT(unsigned long long, qx_math_func_host___bfloat162ull_rz, (__quix_bfloat16 a))
{
    return bfloat162integer_rz<unsigned long long>(a.bits);
}

// ---------------------------------------------------------------------------
// Array forms
// The bfloat16 conversions over arrays: the exported functions' kernels for
// one value (convert/bfloat16.h), written as selects, in loops the compiler
// vectorises.  The float conversions are integer selects on the bit pattern;
// the double conversion narrows to float and fixes the last bit by
// comparisons; widening is a shift.  On x86-64 processors with AVX-512 BF16
// the instruction converts to nearest the vectors without NaNs and float
// subnormals (batch_x86.h).
// ---------------------------------------------------------------------------

using namespace hostmath::detail;

namespace {

void float2bfloat16_rn_loop(const float* in, __quix_bfloat16* out, std::size_t n)
{
    convert_each(in, out, n, float2bfloat16_bits<Bf16NearestEven>);
}

}  // namespace

HOSTMATH_EXPORT(void, qx_math_func_host_batch___float2bfloat16_rn, (const float* in, __quix_bfloat16* out, std::size_t n))
{
#if defined(HOSTMATH_BATCH_X86)
    const std::size_t done = hostmath::detail::x86::float2bfloat16_rn(in, out, n, float2bfloat16_rn_loop);
#else
    const std::size_t done = 0;
#endif
    float2bfloat16_rn_loop(in + done, out + done, n - done);
}

HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___float2bfloat16_rz, float, __quix_bfloat16, convert_each,
                    float2bfloat16_bits<Bf16TowardZero>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___float2bfloat16_rd, float, __quix_bfloat16, convert_each,
                    float2bfloat16_bits<Bf16Down>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___float2bfloat16_ru, float, __quix_bfloat16, convert_each,
                    float2bfloat16_bits<Bf16Up>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___double2bfloat16, double, __quix_bfloat16, convert_each,
                    hostmath::detail::double2bfloat16_bits)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___bfloat162float, __quix_bfloat16, float, convert_each,
                    hostmath::detail::bfloat16_bits_to_float)

HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___ushort2bfloat16_rn, unsigned short, __quix_bfloat16, convert_each,
                    integer2bfloat16_bits<unsigned short>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___short2bfloat16_rn, short, __quix_bfloat16, convert_each,
                    integer2bfloat16_bits<short>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___int2bfloat16_rn, int, __quix_bfloat16, convert_each,
                    integer2bfloat16_bits<int>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___uint2bfloat16_rn, unsigned int, __quix_bfloat16, convert_each,
                    integer2bfloat16_bits<unsigned int>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___ll2bfloat16_rn, long long, __quix_bfloat16, convert_each,
                    integer2bfloat16_bits<long long>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___ull2bfloat16_rn, unsigned long long, __quix_bfloat16, convert_each,
                    integer2bfloat16_bits<unsigned long long>)

HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___bfloat162ushort_rz, __quix_bfloat16, unsigned short, convert_each,
                    bfloat162integer_rz<unsigned short>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___bfloat162short_rz, __quix_bfloat16, short, convert_each,
                    bfloat162integer_rz<short>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___bfloat162int_rz, __quix_bfloat16, int, convert_each, bfloat162integer_rz<int>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___bfloat162uint_rz, __quix_bfloat16, unsigned int, convert_each,
                    bfloat162integer_rz<unsigned int>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___bfloat162ll_rz, __quix_bfloat16, long long, convert_each,
                    bfloat162integer_rz<long long>)
HOSTMATH_EXPORT_EACH(qx_math_func_host_batch___bfloat162ull_rz, __quix_bfloat16, unsigned long long, convert_each,
                    bfloat162integer_rz<unsigned long long>)
