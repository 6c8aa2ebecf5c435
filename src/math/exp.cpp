// The accurate path of hostmath::core::exp (method and error bound in exp.h).
#include "math/exp.h"

#include <limits>

namespace hostmath {
namespace core {

namespace {

using dd::DD;

constexpr double kOverflowFrom = 710.0;     // e^710 > 2^1024: +inf beyond
constexpr double kUnderflowBelow = -746.0;  // e^-746 < 2^-1075: +0 below
constexpr double kTiny = 0x1p-54;           // |x| below: e^x rounds to 1

// x 2^q exactly, for a result that is representable (or overflows: then +inf,
// the correctly rounded overflow), q in [-1080, 1024]; two factors keep each
// power of two normal.
double scale(double x, int q)
{
    const int q1 = q / 2;
    return x * dd::power_of_two(q1) * dd::power_of_two(q - q1);
}

// B(r) = sum over n = 3..10 of r^(n-3)/n! in double-double (r a double
// double), Horner's rule from the top; e^r = 1 + r + r^2/2 + r^3 B(r) +
// O(r^11), and |r|^11/11! < 2^-129.8.
DD exp_tail(DD r)
{
    return dd::horner(3, 10, r, [](int n) {
        const double* c = exp_data::kExpTaylor + 2 * (n - 3);
        return DD{c[0], c[1]};
    });
}

}  // namespace

double exp_accurate(double x)
{
    using namespace exp_detail;
    // Special inputs first.
    if (x != x) return x + x;  // the NaN, quieted, payload kept
    if (x > kOverflowFrom) return std::numeric_limits<double>::infinity();
    if (x < kUnderflowBelow) return 0.0;
    if (std::fabs(x) < kTiny) return 1.0;

    // k, j, q as in the fast path; k is an integer below 2^19 in magnitude.
    const double shifted = x * exp_data::kInvLn2N + kShifter;
    const double kd = shifted - kShifter;
    const int k = static_cast<int>(kd);
    const int j = k & 255;
    const int q = (k - j) / 256;

    // r = x - k ln2/256 as a triple double (the parts of ln2/256 to 2^-183).
    double a_lo;
    const double a = dd::exact_product(kd, exp_data::kLn2NPart3, a_lo);
    dd::TD r;
    // The first two terms are exact.
    r.add(x - kd * exp_data::kLn2NPart1, -(kd * exp_data::kLn2NPart2), -a, -a_lo, -(kd * exp_data::kLn2NPart4));
    r.renormalize();

    // E = e^r - 1 = r + r^2/2 + r^3 B(r): |E| < 2^-9.4; r^2/2 is needed to
    // 2^-102 relative, r^3 B(r) to 2^-91.
    const DD rd{r.h, r.m};
    const DD r2 = dd::mul(rd, rd);
    const DD r3b = dd::mul(dd::mul(r2, rd), exp_tail(rd));
    dd::TD em1;
    em1.add(r.h, 0.5 * r2.hi, r3b.hi, r.m, 0.5 * r2.lo, r3b.lo, r.l);
    em1.renormalize();

    // Y = T (1 + E) = T + T E, with the products that matter to 2^-122 exact.
    const double t1 = exp_data::kT1[j], t2 = exp_data::kT2[j], t3 = exp_data::kT3[j];
    double p11_lo, p12_lo, p21_lo;
    const double p11 = dd::exact_product(t1, em1.h, p11_lo);
    const double p12 = dd::exact_product(t1, em1.m, p12_lo);
    const double p21 = dd::exact_product(t2, em1.h, p21_lo);
    dd::TD y;
    y.add(t1, p11, t2, p11_lo, p12, p21, t3, p12_lo, p21_lo, t1 * em1.l + t2 * em1.m + t3 * em1.h);
    y.renormalize();

    // Y in [0.99, 2.01]; the result Y 2^q is normal unless q <= -1022 and Y
    // is below 2^(-1022-q).
    const double rounded = dd::round_nearest(y);
    if (q > -1022) return scale(rounded, q);
    const double c = dd::power_of_two(-1022 - q);  // -1022 - q in [0, 58]
    if (rounded >= c) return scale(rounded, q);
    // Subnormal: c + Y lies in [c, 2c), where doubles are spaced as the
    // subnormals are once scaled by 2^q, so rounding c + Y rounds the result.
    dd::TD shifted_y;
    shifted_y.add(c, y.h, y.m, y.l);
    shifted_y.renormalize();
    return scale(dd::round_nearest(shifted_y) - c, q);  // exact: Sterbenz, then a multiple of 2^-1074
}

}  // namespace core
}  // namespace hostmath
