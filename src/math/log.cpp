// The accurate path of hostmath::core::log (method and error bound in log.h).
#include "math/log.h"

#include <limits>

namespace hostmath {
namespace core {

namespace {

using dd::DD;

constexpr std::uint64_t kPositiveQuietNan = detail::Format<double>::kQuietNan;

// S(z) = sum over n = 4..15 of (-1)^n z^(n-4)/n in double-double, Horner's
// rule from the top; log1p(z) = z - z^2/2 + z^3/3 - z^4 S(z) + O(z^16).
// Each step multiplies the previous error by |z| < 2^-9, so S is within
// about 2^-104 of its value.
DD log1p_tail(double z)
{
    return dd::horner(4, 15, z, [](int n) {
        const double* c = log_data::kLogTaylor + 2 * (n - 3);
        return n % 2 == 0 ? DD{c[0], c[1]} : DD{-c[0], -c[1]};
    });
}

}  // namespace

double log_accurate(double x)
{
    using namespace log_detail;
    // Special inputs first.
    if (!(x > 0.0)) {
        if (x != x) return x + x;  // the NaN, quieted, payload kept
        if (x == 0.0) return -std::numeric_limits<double>::infinity();
        return detail::double_from_bits(kPositiveQuietNan);
    }
    if (x > kMaxFinite) return x;  // +inf
    if (x == 1.0) return 0.0;

    int e = 0;
    if (x < kMinNormal) {
        x *= kTwo52;
        e = -52;
    }
    const std::uint64_t u = detail::bits_of(x);
    e += static_cast<int>(u >> 52) - 1023;
    std::size_t j;
    const double z = reduce<detail::Lanes<1, false>>(u, j);
    const double ed = static_cast<double>(e);

    // e ln2 + C[j]: the first parts sum exactly, the second product is split.
    const double a = ed * log_data::kLn2Part1 + log_data::kLogC1[j];
    double b_lo;
    const double b = dd::exact_product(ed, log_data::kLn2Part2, b_lo);
    const double c = ed * log_data::kLn2Part3;  // |error| < 2^-53 2^11 2^-102

    // -z^2/2 exactly, z^3/3 and z^4 S(z) in double-double.
    double sq_lo;
    const double sq = dd::exact_product(z, z, sq_lo);
    double cube_lo;
    const double cube = dd::exact_product(z, sq, cube_lo);
    const DD z3{cube, cube_lo + z * sq_lo};
    const DD third = dd::mul(z3, DD{log_data::kLogTaylor[0], log_data::kLogTaylor[1]});
    const DD z4 = dd::mul(DD{sq, sq_lo}, DD{sq, sq_lo});
    const DD fourth = dd::mul(z4, log1p_tail(z));

    // The terms in decreasing magnitude.
    dd::TD sum;
    sum.add(a, z, b, log_data::kLogC2[j], -0.5 * sq, third.hi, -fourth.hi, b_lo, c, log_data::kLogC3[j],
           -0.5 * sq_lo, third.lo, -fourth.lo);
    sum.renormalize();
    return dd::round_nearest(sum);
}

}  // namespace core
}  // namespace hostmath
