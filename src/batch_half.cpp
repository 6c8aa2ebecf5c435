// The half conversions over arrays: per-element code written as selects
// (half_kernels.h), in loops the compiler vectorises; the tests hold it to the
// exported scalar functions bit for bit, over every float and every half.  The float
// conversions are integer selects on the bit pattern; the double conversion
// rounds in double arithmetic and then converts exactly; widening moves the
// fields, normalising subnormals by an exact integer-to-float conversion.  On
// x86-64 processors with F16C the instructions convert the whole vectors
// (batch_x86.h) and the loops the rest.
#include "fp_env.h"
#include "batch_loops.h"
#include "batch_x86.h"
#include "half_kernels.h"

using hostmath::detail::convert_each;

namespace {

using hostmath::detail::float2half_bits;

HOSTMATH_BATCH_CLONES void float2half_rn_loop(const float* in, __half* out, std::size_t n)
{
    convert_each(in, out, n, float2half_bits<hostmath::detail::HalfNearestEven>);
}

HOSTMATH_BATCH_CLONES void float2half_rz_loop(const float* in, __half* out, std::size_t n)
{
    convert_each(in, out, n, float2half_bits<hostmath::detail::HalfTowardZero>);
}

HOSTMATH_BATCH_CLONES void float2half_rd_loop(const float* in, __half* out, std::size_t n)
{
    convert_each(in, out, n, float2half_bits<hostmath::detail::HalfDown>);
}

HOSTMATH_BATCH_CLONES void float2half_ru_loop(const float* in, __half* out, std::size_t n)
{
    convert_each(in, out, n, float2half_bits<hostmath::detail::HalfUp>);
}

HOSTMATH_BATCH_CLONES void double2half_loop(const double* in, __half* out, std::size_t n)
{
    convert_each(in, out, n, hostmath::detail::double2half_bits);
}

HOSTMATH_BATCH_CLONES void half2float_loop(const __half* in, float* out, std::size_t n)
{
    convert_each(in, out, n, hostmath::detail::__internal_half2float);
}

}  // namespace

namespace {

// The prefix of the array that F16C converts (none without it); the portable
// loop converts the rest.
template <typename Rule>
std::size_t float2half_by_instructions(const float* in, __half* out, std::size_t n)
{
#if defined(HOSTMATH_BATCH_X86)
    return hostmath::detail::x86::float2half<Rule>(in, out, n);
#else
    (void)in, (void)out, (void)n;
    return 0;
#endif
}

}  // namespace

void qx_math_func_host_batch___float2half_rn(const float* in, __half* out, std::size_t n)
{
    const hostmath::detail::FpEnvGuard guard;
    const std::size_t done = float2half_by_instructions<hostmath::detail::HalfNearestEven>(in, out, n);
    float2half_rn_loop(in + done, out + done, n - done);
}

void qx_math_func_host_batch___float2half_rz(const float* in, __half* out, std::size_t n)
{
    const hostmath::detail::FpEnvGuard guard;
    const std::size_t done = float2half_by_instructions<hostmath::detail::HalfTowardZero>(in, out, n);
    float2half_rz_loop(in + done, out + done, n - done);
}

void qx_math_func_host_batch___float2half_rd(const float* in, __half* out, std::size_t n)
{
    const hostmath::detail::FpEnvGuard guard;
    const std::size_t done = float2half_by_instructions<hostmath::detail::HalfDown>(in, out, n);
    float2half_rd_loop(in + done, out + done, n - done);
}

void qx_math_func_host_batch___float2half_ru(const float* in, __half* out, std::size_t n)
{
    const hostmath::detail::FpEnvGuard guard;
    const std::size_t done = float2half_by_instructions<hostmath::detail::HalfUp>(in, out, n);
    float2half_ru_loop(in + done, out + done, n - done);
}

void qx_math_func_host_batch___double2half(const double* in, __half* out, std::size_t n)
{
    const hostmath::detail::FpEnvGuard guard;
    double2half_loop(in, out, n);
}

void qx_math_func_host_batch___half2float(const __half* in, float* out, std::size_t n)
{
    const hostmath::detail::FpEnvGuard guard;
#if defined(HOSTMATH_BATCH_X86)
    const std::size_t done = hostmath::detail::x86::half2float(in, out, n);
#else
    const std::size_t done = 0;
#endif
    half2float_loop(in + done, out + done, n - done);
}
