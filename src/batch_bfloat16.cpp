// The bfloat16 conversions over arrays: per-element code written as selects
// (bfloat16_kernels.h), in loops the compiler vectorises; the tests hold it
// to the exported scalar functions bit for bit, over every float.  The
// float conversions are integer selects on the bit pattern; the double
// conversion narrows to float and fixes the last bit by comparisons; widening
// is a shift.  On x86-64 processors with AVX-512 BF16 the instruction converts
// to nearest the vectors without NaNs and float subnormals (batch_x86.h).
#include "fp_env.h"
#include "batch_loops.h"
#include "batch_x86.h"
#include "bfloat16_kernels.h"

using hostmath::detail::convert_each;

namespace {

using hostmath::detail::float2bfloat16_bits;

HOSTMATH_BATCH_CLONES void float2bfloat16_rn_loop(const float* in, __quix_bfloat16* out, std::size_t n)
{
    convert_each(in, out, n, float2bfloat16_bits<hostmath::detail::Bf16NearestEven>);
}

HOSTMATH_BATCH_CLONES void float2bfloat16_rz_loop(const float* in, __quix_bfloat16* out, std::size_t n)
{
    convert_each(in, out, n, float2bfloat16_bits<hostmath::detail::Bf16TowardZero>);
}

HOSTMATH_BATCH_CLONES void float2bfloat16_rd_loop(const float* in, __quix_bfloat16* out, std::size_t n)
{
    convert_each(in, out, n, float2bfloat16_bits<hostmath::detail::Bf16Down>);
}

HOSTMATH_BATCH_CLONES void float2bfloat16_ru_loop(const float* in, __quix_bfloat16* out, std::size_t n)
{
    convert_each(in, out, n, float2bfloat16_bits<hostmath::detail::Bf16Up>);
}

HOSTMATH_BATCH_CLONES void double2bfloat16_loop(const double* in, __quix_bfloat16* out, std::size_t n)
{
    convert_each(in, out, n, hostmath::detail::double2bfloat16_bits);
}

HOSTMATH_BATCH_CLONES void bfloat162float_loop(const __quix_bfloat16* in, float* out, std::size_t n)
{
    convert_each(in, out, n, hostmath::detail::bfloat16_bits_to_float);
}

}  // namespace

void qx_math_func_host_batch___float2bfloat16_rn(const float* in, __quix_bfloat16* out, std::size_t n)
{
    const hostmath::detail::FpEnvGuard guard;
#if defined(HOSTMATH_BATCH_X86)
    const std::size_t done = hostmath::detail::x86::float2bfloat16_rn(in, out, n, float2bfloat16_rn_loop);
#else
    const std::size_t done = 0;
#endif
    float2bfloat16_rn_loop(in + done, out + done, n - done);
}

void qx_math_func_host_batch___float2bfloat16_rz(const float* in, __quix_bfloat16* out, std::size_t n)
{
    float2bfloat16_rz_loop(in, out, n);
}

void qx_math_func_host_batch___float2bfloat16_rd(const float* in, __quix_bfloat16* out, std::size_t n)
{
    float2bfloat16_rd_loop(in, out, n);
}

void qx_math_func_host_batch___float2bfloat16_ru(const float* in, __quix_bfloat16* out, std::size_t n)
{
    float2bfloat16_ru_loop(in, out, n);
}

void qx_math_func_host_batch___double2bfloat16(const double* in, __quix_bfloat16* out, std::size_t n)
{
    const hostmath::detail::FpEnvGuard guard;
    double2bfloat16_loop(in, out, n);
}

void qx_math_func_host_batch___bfloat162float(const __quix_bfloat16* in, float* out, std::size_t n)
{
    bfloat162float_loop(in, out, n);
}
