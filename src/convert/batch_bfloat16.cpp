// The bfloat16 conversions over arrays: the exported functions' kernels for
// one value (bfloat16_kernels.h), written as selects, in loops the compiler
// vectorises.  The float conversions are integer selects on the bit pattern;
// the double conversion narrows to float and fixes the last bit by
// comparisons; widening is a shift.  On x86-64 processors with AVX-512 BF16
// the instruction converts to nearest the vectors without NaNs and float
// subnormals (batch_x86.h).
#include "base/array_loops.h"
#include "convert/x86_instructions.h"
#include "convert/bfloat16_kernels.h"

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
