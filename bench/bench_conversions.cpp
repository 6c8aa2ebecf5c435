// The bfloat16 and half conversions beside the converters a user would pick
// otherwise: Eigen's bfloat16 and half, Imath's half, and on x86-64 the F16C
// instructions (every rounding direction) and the AVX-512 BF16 ones, which
// convert whole vectors and run only where the processor has them.  Peers
// without a direct counterpart (bfloat16 or half to integers) are the plain
// C++ cast of the widened float, timed only on normal inputs, where that cast
// is defined.
#include "bench_scalar.h"

#if defined(HOSTMATH_BENCH_EIGEN)
#include <Eigen/Core>
#endif
#if defined(HOSTMATH_BENCH_IMATH)
#include <Imath/half.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

using bench::add;
using bench::NamedInputs;
using bench::Pair;

enum class Rounding { nearest, toward_zero, down, up };

// ---------------------------------------------------------------------------
// x86-64 conversion instructions, for whole arrays (n a multiple of 16)
// ---------------------------------------------------------------------------
#if defined(__x86_64__)

bool has_f16c()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("f16c") && __builtin_cpu_supports("avx");
}

bool has_avx512_bf16()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bf16");
}

template <Rounding rounding>
__attribute__((target("avx,f16c"))) void f16c_float_to_half(const float* in, std::uint16_t* out, std::size_t n)
{
    constexpr int mode = rounding == Rounding::nearest  ? _MM_FROUND_TO_NEAREST_INT
                         : rounding == Rounding::toward_zero ? _MM_FROUND_TO_ZERO
                         : rounding == Rounding::down   ? _MM_FROUND_TO_NEG_INF
                                                        : _MM_FROUND_TO_POS_INF;
    for (std::size_t i = 0; i < n; i += 8) {
        const __m128i h = _mm256_cvtps_ph(_mm256_loadu_ps(in + i), mode | _MM_FROUND_NO_EXC);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), h);
    }
}

__attribute__((target("avx,f16c"))) void f16c_half_to_float(const std::uint16_t* in, float* out, std::size_t n)
{
    for (std::size_t i = 0; i < n; i += 8) {
        const __m128i h = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        _mm256_storeu_ps(out + i, _mm256_cvtph_ps(h));
    }
}

// GCC 12's AVX-512 headers trip -Wmaybe-uninitialized on their own
// placeholder for the unused merge operand.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

__attribute__((target("avx512f,avx512bf16"))) void avx512_float_to_bfloat16(const float* in, std::uint16_t* out,
                                                                              std::size_t n)
{
    for (std::size_t i = 0; i < n; i += 16) {
        const __m256bh b = _mm512_cvtneps_pbh(_mm512_loadu_ps(in + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), reinterpret_cast<const __m256i&>(b));
    }
}

__attribute__((target("avx512f,avx512bf16"))) void avx512_bfloat16_to_float(const std::uint16_t* in, float* out,
                                                                              std::size_t n)
{
    for (std::size_t i = 0; i < n; i += 16) {
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
        _mm512_storeu_ps(out + i, _mm512_cvtpbh_ps(reinterpret_cast<const __m256bh&>(b)));
    }
}

#pragma GCC diagnostic pop

#endif

// ---------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------

using Floats = Pair<float, float>;
using Patterns = Pair<std::uint16_t, std::uint16_t>;

#if defined(HOSTMATH_BENCH_EIGEN)
// Called from lambdas, never through a pointer, so that they inline like Eigen's own code.
float eigen_bfloat16_to_float(std::uint16_t b)
{
    return static_cast<float>(Eigen::numext::bit_cast<Eigen::bfloat16>(b));
}

float eigen_half_to_float(std::uint16_t h) { return static_cast<float>(Eigen::numext::bit_cast<Eigen::half>(h)); }

Pair<Eigen::bfloat16, Eigen::bfloat16> eigen_bfloat162(float a, float b)
{
    return {Eigen::bfloat16(a), Eigen::bfloat16(b)};
}
#endif

// The plain cast a user would write, defined on the normal inputs (|x| < 2^15):
// unsigned destinations go through long long, as compilers do for them.
template <typename Int>
Int cast_toward_zero(float x)
{
    if constexpr (std::is_signed<Int>::value) {
        return static_cast<Int>(x);
    } else {
        return static_cast<Int>(static_cast<long long>(x));
    }
}

template <typename T>
std::vector<NamedInputs<T>> only_normal(const std::vector<NamedInputs<T>>& sets)
{
    return {sets.front()};
}

// ---------------------------------------------------------------------------
// bfloat16
// ---------------------------------------------------------------------------

void float_to_bfloat16(const std::string& function, bool nearest)
{
    const auto inputs = bench::normal_and_bits<float>();
    if (!nearest) return;
#if defined(HOSTMATH_BENCH_EIGEN)
    add("bfloat16", function, "Eigen", inputs, [](float x) { return Eigen::bfloat16(x); });
#endif
#if defined(__x86_64__)
    bench::add_array("bfloat16", function, "AVX-512 BF16", inputs, has_avx512_bf16(), avx512_float_to_bfloat16);
#endif
}

template <typename Int>
void integer_to_bfloat16(const std::string& function)
{
    const auto inputs = bench::normal_and_bits<Int>();
#if defined(HOSTMATH_BENCH_EIGEN)
    add("bfloat16", function, "Eigen", inputs, [](Int a) { return Eigen::bfloat16(a); });
#endif
}

template <typename Int>
void bfloat16_to_integer(const std::string& function)
{
    const auto inputs = bench::bfloat16_patterns();
#if defined(HOSTMATH_BENCH_EIGEN)
    add("bfloat16", function, "Eigen, C++ cast", only_normal(inputs),
        [](std::uint16_t b) { return cast_toward_zero<Int>(eigen_bfloat16_to_float(b)); });
#endif
}

void register_bfloat16()
{
    float_to_bfloat16("__float2bfloat16", true);
    float_to_bfloat16("__float2bfloat16_rn", true);
    float_to_bfloat16("__float2bfloat16_rz", false);
    float_to_bfloat16("__float2bfloat16_rd", false);
    float_to_bfloat16("__float2bfloat16_ru", false);

    const auto doubles = bench::normal_and_bits<double>();
#if defined(HOSTMATH_BENCH_EIGEN)
    add("bfloat16", "__double2bfloat16", "Eigen", doubles, [](double x) { return Eigen::bfloat16(x); });
#endif

    const auto floats = bench::normal_and_bits<float>();
    const auto float_pairs = bench::neighbour_pairs(floats);
#if defined(HOSTMATH_BENCH_EIGEN)
    add("bfloat16", "__float2bfloat162_rn", "Eigen", floats, [](float x) { return eigen_bfloat162(x, x); });
    add("bfloat16", "__float22bfloat162_rn", "Eigen", float_pairs,
        [](Floats p) { return eigen_bfloat162(p.first, p.second); });
    add("bfloat16", "__floats2bfloat162_rn", "Eigen", float_pairs,
        [](Floats p) { return eigen_bfloat162(p.first, p.second); });
#endif

    integer_to_bfloat16<unsigned short>("__ushort2bfloat16_rn");
    integer_to_bfloat16<short>("__short2bfloat16_rn");
    integer_to_bfloat16<int>("__int2bfloat16_rn");
    integer_to_bfloat16<unsigned int>("__uint2bfloat16_rn");
    integer_to_bfloat16<long long>("__ll2bfloat16_rn");
    integer_to_bfloat16<unsigned long long>("__ull2bfloat16_rn");

    const auto patterns = bench::bfloat16_patterns();
#if defined(HOSTMATH_BENCH_EIGEN)
    add("bfloat16", "__bfloat162float", "Eigen", patterns, [](std::uint16_t b) { return eigen_bfloat16_to_float(b); });
#endif
#if defined(__x86_64__)
    bench::add_array("bfloat16", "__bfloat162float", "AVX-512 BF16", patterns, has_avx512_bf16(),
                     avx512_bfloat16_to_float);
#endif

    const auto pattern_pairs = bench::neighbour_pairs(patterns);
#if defined(HOSTMATH_BENCH_EIGEN)
    add("bfloat16", "__bfloat1622float2", "Eigen", pattern_pairs, [](Patterns p) {
        return make_float2(eigen_bfloat16_to_float(p.first), eigen_bfloat16_to_float(p.second));
    });
    add("bfloat16", "__low2float", "Eigen", pattern_pairs,
        [](Patterns p) { return eigen_bfloat16_to_float(p.first); });
    add("bfloat16", "__high2float", "Eigen", pattern_pairs,
        [](Patterns p) { return eigen_bfloat16_to_float(p.second); });
#endif

    bfloat16_to_integer<unsigned short>("__bfloat162ushort_rz");
    bfloat16_to_integer<short>("__bfloat162short_rz");
    bfloat16_to_integer<int>("__bfloat162int_rz");
    bfloat16_to_integer<unsigned int>("__bfloat162uint_rz");
    bfloat16_to_integer<long long>("__bfloat162ll_rz");
    bfloat16_to_integer<unsigned long long>("__bfloat162ull_rz");
}

// ---------------------------------------------------------------------------
// half
// ---------------------------------------------------------------------------

template <Rounding rounding>
void float_to_half(const std::string& function)
{
    constexpr bool nearest = rounding == Rounding::nearest;
    const auto inputs = bench::normal_and_bits<float>();
#if defined(__x86_64__)
    bench::add_array("half", function, "F16C", inputs, has_f16c(), f16c_float_to_half<rounding>);
#endif
    if (!nearest) return;
#if defined(HOSTMATH_BENCH_IMATH)
    add("half", function, "Imath", inputs, [](float x) { return Imath::half(x).bits(); });
#endif
#if defined(HOSTMATH_BENCH_EIGEN)
    add("half", function, "Eigen", inputs, [](float x) { return Eigen::half(x); });
#endif
}

template <typename Int>
void integer_to_half(const std::string& function)
{
    const auto inputs = bench::normal_and_bits<Int>();
#if defined(HOSTMATH_BENCH_IMATH)
    add("half", function, "Imath", inputs, [](Int a) { return Imath::half(static_cast<float>(a)).bits(); });
#endif
#if defined(HOSTMATH_BENCH_EIGEN)
    add("half", function, "Eigen", inputs, [](Int a) { return Eigen::half(a); });
#endif
}

template <typename Int>
void half_to_integer(const std::string& function)
{
    const auto inputs = bench::half_patterns();
#if defined(HOSTMATH_BENCH_EIGEN)
    add("half", function, "Eigen, C++ cast", only_normal(inputs), [](std::uint16_t h) {
        return cast_toward_zero<Int>(eigen_half_to_float(h));
    });
#endif
}

void register_half()
{
    float_to_half<Rounding::nearest>("__float2half");
    float_to_half<Rounding::nearest>("__float2half_rn");
    float_to_half<Rounding::toward_zero>("__float2half_rz");
    float_to_half<Rounding::down>("__float2half_rd");
    float_to_half<Rounding::up>("__float2half_ru");

    const auto doubles = bench::normal_and_bits<double>();
#if defined(HOSTMATH_BENCH_IMATH)
    add("half", "__double2half", "Imath", doubles, [](double x) { return Imath::half(static_cast<float>(x)).bits(); });
#endif
#if defined(HOSTMATH_BENCH_EIGEN)
    add("half", "__double2half", "Eigen", doubles, [](double x) { return Eigen::half(x); });
#endif

    const auto patterns = bench::half_patterns();
#if defined(HOSTMATH_BENCH_IMATH)
    add("half", "__half2float", "Imath", patterns, [](std::uint16_t h) {
        Imath::half v;
        v.setBits(h);
        return static_cast<float>(v);
    });
#endif
#if defined(HOSTMATH_BENCH_EIGEN)
    add("half", "__half2float", "Eigen", patterns,
        [](std::uint16_t h) { return eigen_half_to_float(h); });
#endif
#if defined(__x86_64__)
    bench::add_array("half", "__half2float", "F16C", patterns, has_f16c(), f16c_half_to_float);
#endif

    half_to_integer<short>("__half2short_rz");
    half_to_integer<unsigned short>("__half2ushort_rz");
    half_to_integer<int>("__half2int_rz");
    half_to_integer<unsigned int>("__half2uint_rz");
    half_to_integer<long long>("__half2ll_rz");
    half_to_integer<unsigned long long>("__half2ull_rz");

    integer_to_half<short>("__short2half_rn");
    integer_to_half<unsigned short>("__ushort2half_rn");
    integer_to_half<int>("__int2half_rn");
    integer_to_half<unsigned int>("__uint2half_rn");
    integer_to_half<long long>("__ll2half_rn");
    integer_to_half<unsigned long long>("__ull2half_rn");
}

const bool registered = [] {
    register_bfloat16();
    register_half();
    return true;
}();

}  // namespace
