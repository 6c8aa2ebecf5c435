// erfcx and normcdf against MPFR, interval by interval: the error in ulps of the
// result at the exact value (subnormal results in units of the smallest
// subnormal), with per-interval bounds set from measurement and a margin.
// Each test prints its table of maximal errors.
#include "hostmath.h"
#include "mpfr_ulp.h"
#include "sweep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr mpfr_prec_t kPrecision = 128;

// Beyond 3, erfc is reached through Laplace's continued fraction
//   erfcx(z) = (1/sqrt(pi)) / (z + (1/2)/(z + (2/2)/(z + (3/2)/(z + ...)))),
// evaluated backwards from a fixed depth: 250 levels give every bit of the
// working precision from z = 3 upwards (checked against mpfr_erfc below), it
// needs no exp(z^2) for large z, and it is far faster than mpfr_erfc between 5
// and 15.
constexpr double kContinuedFractionFrom = 3.0;
constexpr long kContinuedFractionDepth = 250;

void erfcx_continued_fraction(mpfr_ptr result, mpfr_srcptr z)
{
    accuracy::Big k(kPrecision), root_pi(kPrecision);
    mpfr_set(k, z, MPFR_RNDN);
    for (long n = kContinuedFractionDepth; n >= 1; --n) {
        mpfr_ui_div(k, static_cast<unsigned long>(n), k, MPFR_RNDN);
        mpfr_mul_2si(k, k, -1, MPFR_RNDN);
        mpfr_add(k, k, z, MPFR_RNDN);
    }
    mpfr_const_pi(root_pi, MPFR_RNDN);
    mpfr_sqrt(root_pi, root_pi, MPFR_RNDN);
    mpfr_mul(k, k, root_pi, MPFR_RNDN);
    mpfr_ui_div(result, 1, k, MPFR_RNDN);
}

// erfcx(x) = exp(x^2) erfc(x) below 3 in magnitude, the continued fraction
// from 3 up, and 2 exp(x^2) - erfcx(-x) from -3 down.
void erfcx_exact(mpfr_ptr result, double x)
{
    accuracy::Big square(kPrecision), tail(kPrecision);
    accuracy::set(square, x);
    mpfr_sqr(square, square, MPFR_RNDN);  // exact: 106 bits at most
    if (std::fabs(x) < kContinuedFractionFrom) {
        accuracy::set(tail, x);
        mpfr_erfc(tail, tail, MPFR_RNDN);
        mpfr_exp(square, square, MPFR_RNDN);
        mpfr_mul(result, square, tail, MPFR_RNDN);
        return;
    }
    accuracy::set(tail, std::fabs(x));
    erfcx_continued_fraction(result, tail);
    if (x > 0) return;
    mpfr_exp(square, square, MPFR_RNDN);
    mpfr_mul_2si(square, square, 1, MPFR_RNDN);
    mpfr_sub(result, square, result, MPFR_RNDN);
}

// Phi(x) = erfc(-x/sqrt(2))/2; where |x|/sqrt(2) >= 3 the tail
// exp(-x^2/2) erfcx(|x|/sqrt(2))/2 is taken, and subtracted from 1 for x > 0.
void normcdf_exact(mpfr_ptr result, double x)
{
    accuracy::Big z(kPrecision), root2(kPrecision);
    mpfr_set_ui(root2, 2, MPFR_RNDN);
    mpfr_sqrt(root2, root2, MPFR_RNDN);
    accuracy::set(z, -x);
    mpfr_div(z, z, root2, MPFR_RNDN);
    if (mpfr_cmpabs_ui(z, 3) < 0) {
        mpfr_erfc(result, z, MPFR_RNDN);
        mpfr_mul_2si(result, result, -1, MPFR_RNDN);
        return;
    }
    accuracy::Big half_square(kPrecision);
    accuracy::set(half_square, x);
    mpfr_sqr(half_square, half_square, MPFR_RNDN);
    mpfr_mul_2si(half_square, half_square, -1, MPFR_RNDN);  // x^2/2, exact
    mpfr_neg(half_square, half_square, MPFR_RNDN);
    mpfr_exp(half_square, half_square, MPFR_RNDN);
    mpfr_abs(z, z, MPFR_RNDN);
    erfcx_continued_fraction(result, z);
    mpfr_mul(result, result, half_square, MPFR_RNDN);
    mpfr_mul_2si(result, result, -1, MPFR_RNDN);
    if (x > 0) mpfr_ui_sub(result, 1, result, MPFR_RNDN);
}

// The ulp error, with overflow counted as IEEE does: an exact value that rounds
// to infinity is met exactly by infinity, and an infinity where the exact
// value rounds to a finite number stands for 2^(max exponent + 1).
template <typename T>
double error_in_ulps(T got, mpfr_srcptr exact)
{
    using limits = std::numeric_limits<T>;
    if (!std::isinf(got) || !mpfr_number_p(exact)) return accuracy::ulp_error<T>(got, exact);
    accuracy::Big overflow_edge(kPrecision);  // halfway from the largest finite value to 2^max_exponent
    mpfr_set_ui_2exp(overflow_edge, 1, limits::max_exponent, MPFR_RNDN);
    accuracy::Big half_ulp(kPrecision);
    mpfr_set_ui_2exp(half_ulp, 1, limits::max_exponent - limits::digits - 1, MPFR_RNDN);
    mpfr_sub(overflow_edge, overflow_edge, half_ulp, MPFR_RNDN);
    const bool exact_overflows = mpfr_cmpabs(exact, overflow_edge) >= 0;
    if ((got > 0) == (mpfr_sgn(exact) > 0) && exact_overflows) return 0.0;
    accuracy::Big stand_in(kPrecision);
    mpfr_set_ui_2exp(stand_in, 1, limits::max_exponent, MPFR_RNDN);
    if (got < 0) mpfr_neg(stand_in, stand_in, MPFR_RNDN);
    mpfr_sub(stand_in, stand_in, exact, MPFR_RNDN);
    mpfr_mul_2si(stand_in, stand_in, -(limits::max_exponent - limits::digits), MPFR_RNDN);
    return std::fabs(mpfr_get_d(stand_in, MPFR_RNDN));
}

// Which ends belong to the interval, as its name shows.
enum class Ends { closed, open, lower_only, upper_only };

struct Interval {
    const char* name;
    double lo, hi;  // logarithmic spacing when both are positive and hi > 16 lo
    double bound;   // ulps
    Ends ends;
};

struct Worst {
    double ulps = 0;
    double where = 0;
};

// Evenly spaced points, random points, and the 256 representable values at
// each end that belongs to the interval.
template <typename T>
std::vector<T> samples(const Interval& in, std::size_t count, std::uint64_t seed)
{
    std::vector<T> xs;
    T lo = static_cast<T>(in.lo), hi = static_cast<T>(in.hi);
    if (in.ends == Ends::upper_only || in.ends == Ends::open) lo = std::nextafter(lo, hi);
    if (in.ends == Ends::lower_only || in.ends == Ends::open) hi = std::nextafter(hi, lo);
    const bool logarithmic = in.lo > 0 && in.hi > 16 * in.lo;
    auto at = [&](double f) {
        const double v = logarithmic ? in.lo * std::pow(in.hi / in.lo, f) : in.lo + (in.hi - in.lo) * f;
        return std::fmin(std::fmax(static_cast<T>(v), lo), hi);
    };
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (std::size_t k = 0; k <= count / 2; ++k) xs.push_back(at(static_cast<double>(k) / (count / 2)));
    for (std::size_t k = 0; k < count / 2; ++k) xs.push_back(at(unit(rng)));
    T up = lo, down = hi;
    for (int k = 0; k < 256; ++k) {
        xs.push_back(up);
        xs.push_back(down);
        up = std::nextafter(up, hi);
        down = std::nextafter(down, lo);
    }
    return xs;
}

// Runs f(0) ... f(n - 1) on every hardware thread.
template <typename F>
void for_each_index(std::size_t n, F f)
{
    sweep::run(0, n, [&f](std::uint64_t i) {
        f(static_cast<std::size_t>(i));
        return true;
    });
}

template <typename T>
Worst measure(T (*fn)(T), void (*exact)(mpfr_ptr, double), const std::vector<T>& xs)
{
    std::vector<double> errors(xs.size());
    for_each_index(xs.size(), [&](std::size_t i) {
        accuracy::Big e(kPrecision);
        exact(e, static_cast<double>(xs[i]));
        errors[i] = error_in_ulps<T>(fn(xs[i]), e);
    });
    Worst w;
    for (std::size_t i = 0; i < xs.size(); ++i)
        if (!(errors[i] <= w.ulps)) w = Worst{errors[i], static_cast<double>(xs[i])};
    return w;
}

template <typename T, std::size_t N>
void check_intervals(const char* function, T (*fn)(T), void (*exact)(mpfr_ptr, double),
                     const Interval (&intervals)[N], std::size_t count)
{
    std::printf("%-10s %-30s %10s  %s\n", "function", "interval", "max ulps", "at");
    std::uint64_t seed = 1;
    for (const Interval& in : intervals) {
        const Worst w = measure(fn, exact, samples<T>(in, count, seed++));
        std::printf("%-10s %-30s %10.3f  %a\n", function, in.name, w.ulps, w.where);
        EXPECT_LE(w.ulps, in.bound) << function << " on " << in.name << ", at " << std::hexfloat << w.where;
    }
}

constexpr double kMaxDouble = std::numeric_limits<double>::max();
constexpr double kMaxFloat = std::numeric_limits<float>::max();

// Bounds: the maximum measured plus a quarter ulp, rounded up to a half, and
// half an ulp more where the exponential enters (erfcx for x <= -1, the lower
// tail of normcdf).
const Interval kErfcxDouble[] = {
    {"(-1, 0]", -1.0, -0.0, 2.0, Ends::upper_only},
    {"[0, 1)", 0.0, 1.0, 3.5, Ends::lower_only},
    {"[1, 4)", 1.0, 4.0, 3.0, Ends::lower_only},
    {"[4, 5120)", 4.0, 5120.0, 3.5, Ends::lower_only},
    {"[5120, 2^20]", 5120.0, 1048576.0, 6.5, Ends::closed},
    {"[2^20, max]", 1048576.0, kMaxDouble, 1.5, Ends::closed},
    {"[-4, -1]", -4.0, -1.0, 3.5, Ends::closed},
    {"[-26.5, -4]", -26.5, -4.0, 3.0, Ends::closed},
    {"[-27.5, -26.5] (overflow)", -27.5, -26.5, 2.5, Ends::closed},
};

const Interval kErfcxFloat[] = {
    {"(-1, 0]", -1.0, -0.0, 2.5, Ends::upper_only},
    {"[0, 1)", 0.0, 1.0, 4.0, Ends::lower_only},
    {"[1, 4)", 1.0, 4.0, 2.5, Ends::lower_only},
    {"[4, 32)", 4.0, 32.0, 3.0, Ends::lower_only},
    {"[32, 1024]", 32.0, 1024.0, 4.5, Ends::closed},
    {"[1024, max]", 1024.0, kMaxFloat, 2.0, Ends::closed},
    {"[-4, -1]", -4.0, -1.0, 3.5, Ends::closed},
    {"[-9.3, -4]", -9.3, -4.0, 3.0, Ends::closed},
    {"[-10.5, -9.3] (overflow)", -10.5, -9.3, 2.5, Ends::closed},
};

const Interval kNormcdfDouble[] = {
    {"(q, 1)", -0.6744897501960817, 1.0, 1.5, Ends::open},
    {"[1, 2.5)", 1.0, 2.5, 2.0, Ends::lower_only},
    {"[2.5, 4)", 2.5, 4.0, 1.5, Ends::lower_only},
    {"[4, 8.2109375)", 4.0, 8.2109375, 1.0, Ends::lower_only},
    {"[8.2109375, 40] (1)", 8.2109375, 40.0, 1.5, Ends::closed},
    {"(-1.5, q]", -1.5, -0.6744897501960817, 1.5, Ends::upper_only},
    {"(-2.25, -1.5]", -2.25, -1.5, 2.0, Ends::upper_only},
    {"(-2.75, -2.25]", -2.75, -2.25, 2.0, Ends::upper_only},
    {"(-4, -2.75]", -4.0, -2.75, 3.0, Ends::upper_only},
    {"(-20, -4]", -20.0, -4.0, 3.0, Ends::upper_only},
    {"(-37, -20]", -37.0, -20.0, 3.0, Ends::upper_only},
    {"(-38.46875, -37] (subnormal)", -38.46875, -37.0, 3.0, Ends::upper_only},
    {"[-40, -38.46875] (+0)", -40.0, -38.46875, 1.5, Ends::closed},
};

const Interval kNormcdfFloat[] = {
    {"(q, 1)", -0.67448974, 1.0, 1.5, Ends::open},
    {"[1, 2.5)", 1.0, 2.5, 2.0, Ends::lower_only},
    {"[2.5, 4)", 2.5, 4.0, 2.0, Ends::lower_only},
    {"[4, 5.296875)", 4.0, 5.296875, 1.0, Ends::lower_only},
    {"[5.296875, 20] (1)", 5.296875, 20.0, 1.5, Ends::closed},
    {"(-1.5, q]", -1.5, -0.67448974, 1.5, Ends::upper_only},
    {"(-2.5, -1.5]", -2.5, -1.5, 2.0, Ends::upper_only},
    {"(-3.25, -2.5]", -3.25, -2.5, 2.0, Ends::upper_only},
    {"(-5, -3.25]", -5.0, -3.25, 3.5, Ends::upper_only},
    {"(-10, -5]", -10.0, -5.0, 3.0, Ends::upper_only},
    {"(-14.125, -10] (subnormal)", -14.125, -10.0, 3.0, Ends::upper_only},
    {"[-16, -14.125] (+0)", -16.0, -14.125, 1.5, Ends::closed},
};

constexpr std::size_t kDoubleSamples = 20000;
constexpr std::size_t kFloatSamples = 20000;

// The continued fraction against mpfr_erfc where both reach.
TEST(Reference, ContinuedFractionMatchesErfc)
{
    for (double z : {3.0, 3.5, 4.75, 7.0, 10.0, 15.5, 26.0}) {
        accuracy::Big fraction(kPrecision), direct(kPrecision), arg(kPrecision);
        accuracy::set(arg, z);
        erfcx_continued_fraction(fraction, arg);
        mpfr_erfc(direct, arg, MPFR_RNDN);
        mpfr_sqr(arg, arg, MPFR_RNDN);
        mpfr_exp(arg, arg, MPFR_RNDN);
        mpfr_mul(direct, direct, arg, MPFR_RNDN);
        mpfr_sub(fraction, fraction, direct, MPFR_RNDN);
        mpfr_div(fraction, fraction, direct, MPFR_RNDN);
        EXPECT_LT(std::fabs(mpfr_get_d(fraction, MPFR_RNDN)), std::ldexp(1.0, -120)) << "z = " << z;
    }
}

TEST(ErfcxAccuracy, Double)
{
    check_intervals("erfcx", qx_math_func_host_erfcx, erfcx_exact, kErfcxDouble, kDoubleSamples);
}

TEST(ErfcxAccuracy, Float)
{
    check_intervals("erfcxf", qx_math_func_host_erfcxf, erfcx_exact, kErfcxFloat, kFloatSamples);
}

TEST(NormcdfAccuracy, Double)
{
    check_intervals("normcdf", qx_math_func_host_normcdf, normcdf_exact, kNormcdfDouble, kDoubleSamples);
}

TEST(NormcdfAccuracy, Float)
{
    check_intervals("normcdff", qx_math_func_host_normcdff, normcdf_exact, kNormcdfFloat, kFloatSamples);
}

}  // namespace
