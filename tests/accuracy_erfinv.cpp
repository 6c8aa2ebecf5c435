// Error of erfinv, erfinvf, erfcinv and erfcinvf against the exact inverse,
// piece by piece.  The exact inverse is found in MPFR by Newton's method on erf
// (small results) or on log(erfc) (large results, where erf(y) is too close to
// 1), starting from the library's double result and iterated until the step is
// far below the precision of a double.  Every polynomial piece is sampled
// densely, so a mistyped coefficient shows as an error jump in its piece alone.
// The bounds are the largest errors measured in a ten times denser run (in
// single precision: over every argument) plus a margin of about 0.3 ulp.
#include "hostmath.h"
#include "mpfr_ulp.h"
#include "sweep.h"
#include "test_bits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <iomanip>
#include <limits>
#include <random>
#include <type_traits>
#include <vector>

using accuracy::Big;

namespace {

constexpr mpfr_prec_t kPrecision = 128;

// Solves erf(y) = target, or erfc(y) = target when use_erfc, for y, from a
// start near the root.  Returns false when the iteration does not settle.
bool solve_inverse(mpfr_ptr y, mpfr_srcptr target, bool use_erfc, double start)
{
    Big f(kPrecision), slope(kPrecision), step(kPrecision), log_target(kPrecision);
    if (use_erfc) mpfr_log(log_target, target, MPFR_RNDN);
    mpfr_set_d(y, start, MPFR_RNDN);
    for (int iteration = 0; iteration < 12; ++iteration) {
        // slope = 2/sqrt(pi) * exp(-y^2), the derivative of erf.
        mpfr_sqr(slope, y, MPFR_RNDN);
        mpfr_neg(slope, slope, MPFR_RNDN);
        mpfr_exp(slope, slope, MPFR_RNDN);
        mpfr_const_pi(step, MPFR_RNDN);
        mpfr_rec_sqrt(step, step, MPFR_RNDN);
        mpfr_mul(slope, slope, step, MPFR_RNDN);
        mpfr_mul_2si(slope, slope, 1, MPFR_RNDN);
        if (use_erfc) {
            // Newton on g(y) = log(erfc(y)) - log(target), g' = -slope / erfc(y).
            mpfr_erfc(f, y, MPFR_RNDN);
            mpfr_div(slope, slope, f, MPFR_RNDN);
            mpfr_neg(slope, slope, MPFR_RNDN);
            mpfr_log(f, f, MPFR_RNDN);
            mpfr_sub(f, f, log_target, MPFR_RNDN);
        } else {
            mpfr_erf(f, y, MPFR_RNDN);
            mpfr_sub(f, f, target, MPFR_RNDN);
        }
        if (!mpfr_number_p(f) || !mpfr_number_p(slope) || mpfr_zero_p(slope)) return false;
        mpfr_div(step, f, slope, MPFR_RNDN);
        mpfr_sub(y, y, step, MPFR_RNDN);
        // Near the root one step leaves an error below (step)^2 * max(1, |y|)
        // for both equations, so a step below 2^-40 |y| leaves one below 2^-75 |y|.
        if (mpfr_zero_p(step) || mpfr_get_exp(step) < mpfr_get_exp(y) - 40) return true;
    }
    return false;
}

// The exact erfinv(x) for -1 < x < 1, near `start`.
bool exact_erfinv(mpfr_ptr y, double x, double start)
{
    Big target(kPrecision);
    if (x == 0) {
        mpfr_set_d(y, x, MPFR_RNDN);
        return true;
    }
    if (std::fabs(x) <= 0.5) {
        mpfr_set_d(target, x, MPFR_RNDN);
        return solve_inverse(y, target, false, start);
    }
    mpfr_set_d(target, std::fabs(x), MPFR_RNDN);
    mpfr_ui_sub(target, 1, target, MPFR_RNDN);  // exact at this precision
    const bool ok = solve_inverse(y, target, true, std::fabs(start));
    if (x < 0) mpfr_neg(y, y, MPFR_RNDN);
    return ok;
}

// The exact erfcinv(x) for 0 < x < 2, near `start`.
bool exact_erfcinv(mpfr_ptr y, double x, double start)
{
    Big target(kPrecision);
    mpfr_set_d(target, x, MPFR_RNDN);
    if (x >= 0.5 && x <= 1.5) {
        mpfr_ui_sub(target, 1, target, MPFR_RNDN);
        return solve_inverse(y, target, false, start);
    }
    if (x < 0.5) return solve_inverse(y, target, true, start);
    mpfr_ui_sub(target, 2, target, MPFR_RNDN);  // erfcinv(x) = -erfcinv(2 - x)
    const bool ok = solve_inverse(y, target, true, -start);
    mpfr_neg(y, y, MPFR_RNDN);
    return ok;
}

// One polynomial piece: the arguments first..last (inclusive) and the largest
// error allowed.  Arguments are drawn uniformly in
// value, uniformly over bit patterns, and uniformly over the bit patterns of
// the distance to `end` when the piece runs up to 1 or 2, where the result
// grows without bound; the ends and their neighbours are always included.
template <typename T>
struct Piece {
    const char* name;
    T first, last;
    double bound;
    T end = 0;  // 1 or 2 when the piece approaches that end, else 0
};

template <typename T>
using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;

template <typename T>
T from_bits(Bits<T> u)
{
    T x;
    std::memcpy(&x, &u, sizeof x);
    return x;
}

template <typename T>
Bits<T> to_bits(T x)
{
    Bits<T> u;
    std::memcpy(&u, &x, sizeof u);
    return u;
}

template <typename T>
std::vector<T> sample(const Piece<T>& piece, std::size_t count)
{
    std::mt19937_64 rng(to_bits(piece.first) ^ to_bits(piece.last));
    std::vector<T> xs;
    for (int k = 0; k < 3; ++k) {
        xs.push_back(from_bits<T>(to_bits(piece.first) + k));
        xs.push_back(from_bits<T>(to_bits(piece.last) - k));
    }
    const Bits<T> lo = to_bits(piece.first), hi = to_bits(piece.last);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (unsigned draw = 0; xs.size() < count; ++draw) {
        T x;
        switch (draw % 3) {
        case 0:
            x = static_cast<T>(piece.first + (piece.last - piece.first) * unit(rng));
            break;
        case 1:
            x = from_bits<T>(static_cast<Bits<T>>(lo + rng() % (hi - lo + 1)));
            break;
        default: {
            if (piece.end == 0) continue;
            const T near = piece.end - piece.last, far = piece.end - piece.first;
            const Bits<T> dlo = to_bits(near), dhi = to_bits(far);
            x = piece.end - from_bits<T>(static_cast<Bits<T>>(dlo + rng() % (dhi - dlo + 1)));
        }
        }
        if (x >= piece.first && x <= piece.last) xs.push_back(x);
    }
    return xs;
}

struct Measurement {
    double max_ulps = 0;
    double where = 0;
    std::size_t unsolved = 0;
};

// Runs `f` on the sampled arguments of `piece` and returns the largest error.
template <typename T, typename Exact>
Measurement measure(const Piece<T>& piece, T (*f)(T), Exact exact, std::size_t count)
{
    const std::vector<T> xs = sample(piece, count);
    std::vector<double> errors(xs.size());
    std::vector<char> solved(xs.size());
    sweep::run(0, xs.size(), [&](std::uint64_t i) {
        Big y(kPrecision);
        const T got = f(xs[i]);
        solved[i] = std::isfinite(got) && exact(y.get(), static_cast<double>(xs[i]), static_cast<double>(got));
        errors[i] = solved[i] ? accuracy::ulp_error<T>(got, y) : INFINITY;
        return true;
    });
    Measurement m;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        m.unsolved += !solved[i];
        if (errors[i] > m.max_ulps) {
            m.max_ulps = errors[i];
            m.where = static_cast<double>(xs[i]);
        }
    }
    return m;
}

template <typename T, typename Exact>
void check_pieces(const char* function, T (*f)(T), Exact exact, const std::vector<Piece<T>>& pieces,
                  std::size_t count)
{
    for (const Piece<T>& piece : pieces) {
        const Measurement m = measure(piece, f, exact, count);
        std::cout << std::left << std::setw(10) << function << std::setw(28) << piece.name << std::right
                  << std::fixed << std::setprecision(3) << std::setw(7) << m.max_ulps << " ulp at "
                  << std::setprecision(std::numeric_limits<T>::max_digits10) << std::defaultfloat << m.where
                  << " (" << std::hexfloat << m.where << std::defaultfloat << ")\n";
        EXPECT_EQ(m.unsolved, 0u) << function << " " << piece.name;
        EXPECT_LE(m.max_ulps, piece.bound) << function << " " << piece.name << " at " << std::hexfloat << m.where;
    }
}

double below(double x) { return std::nextafter(x, 0.0); }
float below(float x) { return std::nextafter(x, 0.0f); }
double above(double x) { return std::nextafter(x, 4.0); }
float above(float x) { return std::nextafter(x, 4.0f); }

// Where -log(1 - a^2) = w: the middle interval of erfinv changes polynomial there.
double a_at_log(double w) { return std::sqrt(-std::expm1(-w)); }

constexpr std::size_t kDoubleSamples = 12000;  // per piece
constexpr std::size_t kFloatSamples = 20000;

TEST(ErfinvAccuracy, DoublePieces)
{
    const double split = a_at_log(6.25);
    const std::vector<Piece<double>> pieces = {
        {"a < 0.375", 0x1p-1074, below(0.375), 2.0},
        {"0.375 <= a, w < 6.25", 0.375, below(split), 3.9},
        {"w >= 6.25, a < 1-2^-16", split, below(1 - 0x1p-16), 3.1, 1.0},
        {"1-2^-16 <= a < 1-2^-32", 1 - 0x1p-16, below(1 - 0x1p-32), 3.5, 1.0},
        {"a >= 1-2^-32", 1 - 0x1p-32, below(1.0), 2.3, 1.0},
    };
    check_pieces("erfinv", qx_math_func_host_erfinv, exact_erfinv, pieces, kDoubleSamples);
}

TEST(ErfinvAccuracy, FloatPieces)
{
    const float split = static_cast<float>(a_at_log(5.0));
    const std::vector<Piece<float>> pieces = {
        {"a < 0.375", 0x1p-149f, below(0.375f), 1.8},
        {"0.375 <= a, w < 5", 0.375f, below(split), 3.7},
        {"w >= 5", split, below(1.0f), 2.8, 1.0f},
    };
    const auto exact = [](mpfr_ptr y, double x, double) { return exact_erfinv(y, x, qx_math_func_host_erfinv(x)); };
    check_pieces("erfinvf", qx_math_func_host_erfinvf, exact, pieces, kFloatSamples);
}

TEST(ErfcinvAccuracy, DoublePieces)
{
    const std::vector<Piece<double>> pieces = {
        {"0 < x <= 2^-900", 0x1p-1074, 0x1p-900, 2.9},
        {"2^-900 < x <= 2^-400", above(0x1p-900), 0x1p-400, 2.6},
        {"2^-400 < x <= 2^-200", above(0x1p-400), 0x1p-200, 2.8},
        {"2^-200 < x <= 2^-82", above(0x1p-200), 0x1p-82, 2.6},
        {"2^-82 < x <= 2^-40", above(0x1p-82), 0x1p-40, 2.9},
        {"2^-40 < x <= 2^-19", above(0x1p-40), 0x1p-19, 3.3},
        {"2^-19 < x <= 2^-10", above(0x1p-19), 0x1p-10, 2.2},
        {"2^-10 < x <= 0.625", above(0x1p-10), 0.625, 2.7},
        {"0.625 < x <= 1", above(0.625), 1.0, 2.0, 1.0},
        {"1 < x < 2", above(1.0), below(2.0), 4.0, 2.0},
    };
    check_pieces("erfcinv", qx_math_func_host_erfcinv, exact_erfcinv, pieces, kDoubleSamples);
}

TEST(ErfcinvAccuracy, FloatPieces)
{
    const std::vector<Piece<float>> pieces = {
        {"0 < x <= 2^-42", 0x1p-149f, 0x1p-42f, 3.1},
        {"2^-42 < x <= 2^-10", above(0x1p-42f), 0x1p-10f, 3.1},
        {"2^-10 < x <= 0.625", above(0x1p-10f), 0.625f, 2.8},
        {"0.625 < x <= 1", above(0.625f), 1.0f, 1.8, 1.0f},
        {"1 < x < 2", above(1.0f), below(2.0f), 3.7, 2.0f},
    };
    const auto exact = [](mpfr_ptr y, double x, double) { return exact_erfcinv(y, x, qx_math_func_host_erfcinv(x)); };
    check_pieces("erfcinvf", qx_math_func_host_erfcinvf, exact, pieces, kFloatSamples);
}

}  // namespace
