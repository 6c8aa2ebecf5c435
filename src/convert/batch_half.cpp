// The half conversions over arrays: per-element code written as selects
// (half_kernels.h), in loops the compiler vectorises; the tests hold it to the
// exported scalar functions bit for bit, over every float and every half.  The float
// conversions are integer selects on the bit pattern; the double conversion
// rounds in double arithmetic and then converts exactly; widening moves the
// fields, normalising subnormals by an exact integer-to-float conversion.  On
// x86-64 processors with F16C the instructions convert the whole vectors
// (batch_x86.h) and the loops the rest.  The integer conversions are those of
// the scalar functions.
#include "base/array_loops.h"
#include "convert/x86_instructions.h"
#include "convert/half_kernels.h"

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
