// Accuracy of the reciprocal roots and of the pi-scaled sine and cosine against
// MPFR, on dense random samples of each domain.  The bounds are the largest
// errors measured, plus a margin; the results are the same on every host.
//
// The reciprocal roots are the reciprocal of a correctly rounded root,
// rounded again, so they stay within 1.5 ulps.  The pi-scaled functions take
// the maths core's sine or cosine of x times the rounded pi: the
// rounding of the product is an absolute error of about |x| ulps of 1 in the
// argument, so the error grows with |x| and has no bound in ulps next to the
// zeros of the function away from 0 (cospi(0.5) is about 6e-17, not 0).  The
// pieces therefore keep a quarter period away from those zeros.
#include "hostmath.h"
#include "mpfr_ulp.h"
#include "sweep.h"
#include "test_bits.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <mutex>

using accuracy::Big;
using accuracy::ulp_error;
using testbits::f32;
using testbits::f64;

namespace {

constexpr std::uint64_t kRootSamples = 1u << 20;
constexpr std::uint64_t kTrigSamples = 1u << 18;
constexpr mpfr_prec_t kTrigPrecision = 160;  // |x| < 2^10: ample for sin(pi x) to 2^-100 relative

// splitmix64: independent 64-bit draws from a sample index, so that any thread
// can produce any sample and every platform sees the same ones.
std::uint64_t draw(std::uint64_t i, std::uint64_t stream)
{
    std::uint64_t z = i * 0x9e3779b97f4a7c15ull + stream * 0xd1b54a32d192ed03ull + 0x632be59bd9b4e019ull;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

double unit(std::uint64_t r) { return static_cast<double>(r >> 11) * 0x1p-53; }  // [0, 1)
double sign(std::uint64_t r) { return (r & 1) ? -1.0 : 1.0; }

// A positive double with its binade field uniform in [0, top] (0: subnormal)
// and a random fraction.
double binade_uniform(std::uint64_t r, std::uint64_t top)
{
    const std::uint64_t exponent = (r >> 52) % (top + 1);
    return f64(exponent << 52 | (r & 0xfffffffffffffull));
}

float binade_uniform_float(std::uint64_t r, std::uint32_t top)
{
    const std::uint32_t exponent = static_cast<std::uint32_t>(r >> 40) % (top + 1);
    return f32(exponent << 23 | static_cast<std::uint32_t>(r & 0x7fffffu));
}

// Samples of a piece come from one 64-bit draw; a second draw chooses between
// the two halves of mixed samples.
template <typename T>
using Sampler = T (*)(std::uint64_t r, std::uint64_t choice);
template <typename T>
using Exact = void (*)(mpfr_ptr exact, T x);

template <typename T>
struct Piece {
    const char* function;
    const char* domain;
    T (*fn)(T);
    Sampler<T> sample;
    Exact<T> exact;
    mpfr_prec_t precision;
    std::uint64_t samples;
    double bound;  // ulps
};

struct Worst {
    double ulps = 0;
    double x = 0;
    double got = 0;
};

template <typename T>
Worst measure(const Piece<T>& piece)
{
    std::mutex mutex;
    Worst worst;
    std::atomic<double> largest{0.0};  // a lock-free first look, so that the lock is rarely taken
    sweep::run(0, piece.samples, [&](std::uint64_t i) {
        const T x = piece.sample(draw(i, 1), draw(i, 2));
        Big exact(piece.precision);
        piece.exact(exact, x);
        const T got = piece.fn(x);
        const double e = ulp_error<T>(got, exact);
        if (e <= largest.load(std::memory_order_relaxed)) return true;
        std::lock_guard<std::mutex> lock(mutex);
        if (!(e <= worst.ulps)) {
            worst = {e, static_cast<double>(x), static_cast<double>(got)};
            largest.store(e, std::memory_order_relaxed);
        }
        return true;
    });
    return worst;
}

template <typename T>
void check_pieces(const Piece<T>* pieces, std::size_t count)
{
    for (std::size_t k = 0; k < count; ++k) {
        const Piece<T>& p = pieces[k];
        const Worst w = measure(p);
        std::printf("%-8s %-44s max %9.3f ulp at x = %a (got %a)\n", p.function, p.domain, w.ulps, w.x, w.got);
        EXPECT_LE(w.ulps, p.bound) << p.function << " on " << p.domain << " at x = " << std::hexfloat << w.x;
    }
}

// ---------------------------------------------------------------------------
// Exact values
// ---------------------------------------------------------------------------

template <typename T>
void exact_rsqrt(mpfr_ptr r, T x)
{
    mpfr_set_d(r, static_cast<double>(x), MPFR_RNDN);
    mpfr_rec_sqrt(r, r, MPFR_RNDN);
}

template <typename T>
void exact_rcbrt(mpfr_ptr r, T x)
{
    mpfr_set_d(r, static_cast<double>(x), MPFR_RNDN);
    mpfr_cbrt(r, r, MPFR_RNDN);
    mpfr_ui_div(r, 1, r, MPFR_RNDN);
}

template <typename T>
void pi_times(mpfr_ptr r, T x)
{
    mpfr_const_pi(r, MPFR_RNDN);
    mpfr_mul_d(r, r, static_cast<double>(x), MPFR_RNDN);
}

template <typename T>
void exact_sinpi(mpfr_ptr r, T x)
{
    pi_times(r, x);
    mpfr_sin(r, r, MPFR_RNDN);
}

template <typename T>
void exact_cospi(mpfr_ptr r, T x)
{
    pi_times(r, x);
    mpfr_cos(r, r, MPFR_RNDN);
}

// ---------------------------------------------------------------------------
// Samplers
// ---------------------------------------------------------------------------

constexpr std::uint64_t kTopFinite = 2046;   // binade field of the largest doubles
constexpr std::uint64_t kTopQuarter = 1020;  // below 1/4 = 2^-2 (field 1021)
constexpr std::uint32_t kTopFiniteF = 254;
constexpr std::uint32_t kTopQuarterF = 124;
constexpr double kPeriodsOut = 1024;         // 2^10: the largest pieces reach this far

double positive_finite(std::uint64_t r, std::uint64_t choice)
{
    // Half over every binade, half across [1, 4), which holds every case of the square root.
    return (choice & 1) ? binade_uniform(r, kTopFinite) : 1.0 + 3.0 * unit(r);
}
double nonzero_finite(std::uint64_t r, std::uint64_t choice)
{
    // Half over every binade, half across [1, 8), which holds every case of the cube root.
    return sign(choice >> 1) * ((choice & 1) ? binade_uniform(r, kTopFinite) : 1.0 + 7.0 * unit(r));
}
double up_to_quarter(std::uint64_t r, std::uint64_t choice)
{
    return sign(choice >> 1) * ((choice & 1) ? binade_uniform(r, kTopQuarter) : 0.25 * unit(r));
}
double quarter_to_three_quarters(std::uint64_t r, std::uint64_t choice)
{
    return sign(choice) * (0.25 + 0.5 * unit(r));
}
double three_quarters_to_five_quarters(std::uint64_t r, std::uint64_t choice)
{
    return sign(choice) * (0.75 + 0.5 * unit(r));
}
// n + [1/4, 3/4]: at least a quarter from every integer (the zeros of sin(pi x)).
double far_from_integers(std::uint64_t r, std::uint64_t choice)
{
    const double n = std::floor(kPeriodsOut * unit(choice >> 1));
    return sign(choice) * (n + 0.25 + 0.5 * unit(r));
}
// n + [-1/4, 1/4]: at least a quarter from every half-integer (the zeros of cos(pi x)).
double far_from_half_integers(std::uint64_t r, std::uint64_t choice)
{
    const double n = std::floor(kPeriodsOut * unit(choice >> 1));
    return sign(choice) * (n - 0.25 + 0.5 * unit(r));
}

float positive_finite_f(std::uint64_t r, std::uint64_t choice)
{
    return (choice & 1) ? binade_uniform_float(r, kTopFiniteF) : static_cast<float>(1.0 + 3.0 * unit(r));
}
float nonzero_finite_f(std::uint64_t r, std::uint64_t choice)
{
    const float magnitude =
        (choice & 1) ? binade_uniform_float(r, kTopFiniteF) : static_cast<float>(1.0 + 7.0 * unit(r));
    return (choice & 2) ? -magnitude : magnitude;
}
float up_to_quarter_f(std::uint64_t r, std::uint64_t choice)
{
    const float magnitude =
        (choice & 1) ? binade_uniform_float(r, kTopQuarterF) : static_cast<float>(0.25 * unit(r));
    return (choice & 2) ? -magnitude : magnitude;
}
template <Sampler<double> Wide>
float narrowed(std::uint64_t r, std::uint64_t choice)
{
    return static_cast<float>(Wide(r, choice));
}

// ---------------------------------------------------------------------------
// The pieces
// ---------------------------------------------------------------------------

// Measured, the same on every host: rsqrt 1.47, rcbrt 1.47.  1.5 bounds both
// outright: the square root is the IEEE operation and the cube root is
// correctly rounded, so a root within half an ulp, a quotient within half an
// ulp, and the reciprocal of a significand near 1 lies near 2.
TEST(ReciprocalRootsAccuracy, Double)
{
    const Piece<double> pieces[] = {
        {"rsqrt", "x > 0 finite (with subnormals)", qx_math_func_host_rsqrt, positive_finite,
         exact_rsqrt<double>, 256, kRootSamples, 1.5},
        {"rcbrt", "x != 0 finite (with subnormals)", qx_math_func_host_rcbrt, nonzero_finite,
         exact_rcbrt<double>, 256, kRootSamples, 1.5},
    };
    check_pieces(pieces, std::size(pieces));
}

// Measured: rsqrtf 1.47, rcbrtf 1.47.
TEST(ReciprocalRootsAccuracy, Float)
{
    const Piece<float> pieces[] = {
        {"rsqrtf", "x > 0 finite (with subnormals)", qx_math_func_host_rsqrtf, positive_finite_f,
         exact_rsqrt<float>, 128, kRootSamples, 1.5},
        {"rcbrtf", "x != 0 finite (with subnormals)", qx_math_func_host_rcbrtf, nonzero_finite_f,
         exact_rcbrt<float>, 128, kRootSamples, 1.5},
    };
    check_pieces(pieces, std::size(pieces));
}

// Measured, in the order of the pieces: sinpi 1.64, 2.48, 1103; cospi 1.02,
// 2.85, 1108.  The margin allows half an ulp, or a tenth, for other system
// sines and cosines.
TEST(PiScaledAccuracy, Double)
{
    const Piece<double> pieces[] = {
        {"sinpi", "0 < |x| <= 1/4 (with subnormals)", qx_math_func_host_sinpi, up_to_quarter,
         exact_sinpi<double>, kTrigPrecision, kTrigSamples, 2.0},
        {"sinpi", "1/4 <= |x| <= 3/4", qx_math_func_host_sinpi, quarter_to_three_quarters,
         exact_sinpi<double>, kTrigPrecision, kTrigSamples, 3.0},
        {"sinpi", "|x| < 2^10, 1/4 or more from integers", qx_math_func_host_sinpi, far_from_integers,
         exact_sinpi<double>, kTrigPrecision, kTrigSamples, 1250},
        {"cospi", "|x| <= 1/4", qx_math_func_host_cospi, up_to_quarter, exact_cospi<double>,
         kTrigPrecision, kTrigSamples, 1.5},
        {"cospi", "3/4 <= |x| <= 5/4", qx_math_func_host_cospi, three_quarters_to_five_quarters,
         exact_cospi<double>, kTrigPrecision, kTrigSamples, 3.5},
        {"cospi", "|x| < 2^10, 1/4 or more from half-integers", qx_math_func_host_cospi,
         far_from_half_integers, exact_cospi<double>, kTrigPrecision, kTrigSamples, 1250},
    };
    check_pieces(pieces, std::size(pieces));
}

// Measured: sinpif 1.91, 2.65, 1224; cospif 1.08, 3.10, 1235.
TEST(PiScaledAccuracy, Float)
{
    const Piece<float> pieces[] = {
        {"sinpif", "0 < |x| <= 1/4 (with subnormals)", qx_math_func_host_sinpif, up_to_quarter_f,
         exact_sinpi<float>, kTrigPrecision, kTrigSamples, 2.5},
        {"sinpif", "1/4 <= |x| <= 3/4", qx_math_func_host_sinpif, narrowed<quarter_to_three_quarters>,
         exact_sinpi<float>, kTrigPrecision, kTrigSamples, 3.2},
        {"sinpif", "|x| < 2^10, 1/4 or more from integers", qx_math_func_host_sinpif,
         narrowed<far_from_integers>, exact_sinpi<float>, kTrigPrecision, kTrigSamples, 1350},
        {"cospif", "|x| <= 1/4", qx_math_func_host_cospif, up_to_quarter_f, exact_cospi<float>,
         kTrigPrecision, kTrigSamples, 1.5},
        {"cospif", "3/4 <= |x| <= 5/4", qx_math_func_host_cospif, narrowed<three_quarters_to_five_quarters>,
         exact_cospi<float>, kTrigPrecision, kTrigSamples, 3.6},
        {"cospif", "|x| < 2^10, 1/4 or more from half-integers", qx_math_func_host_cospif,
         narrowed<far_from_half_integers>, exact_cospi<float>, kTrigPrecision, kTrigSamples, 1350},
    };
    check_pieces(pieces, std::size(pieces));
}

// The square root is correctly rounded everywhere, so the double result is
// fixed to the bit: the reciprocal, rounded, of the rounded root.
TEST(ReciprocalRootsAccuracy, DoubleSquareRootIsQuotientOfRoundedRoot)
{
    const auto result = sweep::run(0, kRootSamples, [](std::uint64_t i) {
        const double x = positive_finite(draw(i, 3), draw(i, 4));
        Big q(53);
        mpfr_set_d(q, x, MPFR_RNDN);
        mpfr_sqrt(q, q, MPFR_RNDN);
        mpfr_ui_div(q, 1, q, MPFR_RNDN);
        return qx_math_func_host_rsqrt(x) == mpfr_get_d(q, MPFR_RNDN);
    });
    EXPECT_EQ(result.failures, 0u);
    for (std::uint64_t i : result.first_failures)
        ADD_FAILURE() << "rsqrt(" << std::hexfloat << positive_finite(draw(i, 3), draw(i, 4)) << ")";
}

}  // namespace
