// The pi-scaled sine and cosine beside glibc's sin(pi*x) and cos(pi*x) (and
// sincos) and Boost.Math's sin_pi and cos_pi; the reciprocal roots beside
// 1/sqrt(x) and 1/cbrt(x).
#include "bench_domains.h"

#include <cmath>

#if defined(HOSTMATH_BENCH_BOOST)
#include <boost/math/special_functions/cos_pi.hpp>
#include <boost/math/special_functions/sin_pi.hpp>
#endif

namespace {

using bench::add;
using bench::NamedInputs;

#if defined(HOSTMATH_BENCH_BOOST)
namespace policies = boost::math::policies;
using NoPromotion = policies::policy<policies::promote_float<false>, policies::promote_double<false>>;
#endif

template <typename Real>
struct SineAndCosine {
    Real sine;
    Real cosine;
};

template <typename Real>
void pi_scaled(const std::string& suffix)
{
    constexpr Real pi = static_cast<Real>(3.14159265358979323846);
    const auto domain = bench::domain<Real>("sinpi");
    add("trig-roots", "sinpi" + suffix, "glibc sin(pi*x)", domain, [](Real x) { return std::sin(pi * x); });
    add("trig-roots", "cospi" + suffix, "glibc cos(pi*x)", domain, [](Real x) { return std::cos(pi * x); });
    add("trig-roots", "sincospi" + suffix, "glibc sincos(pi*x)", domain, [](Real x) {
        SineAndCosine<Real> r;
        if constexpr (sizeof(Real) == sizeof(double)) {
            ::sincos(pi * x, &r.sine, &r.cosine);
        } else {
            ::sincosf(pi * x, &r.sine, &r.cosine);
        }
        return r;
    });
#if defined(HOSTMATH_BENCH_BOOST)
    add("trig-roots", "sinpi" + suffix, "Boost sin_pi", domain,
        [](Real x) { return boost::math::sin_pi(x, NoPromotion()); });
    add("trig-roots", "cospi" + suffix, "Boost cos_pi", domain,
        [](Real x) { return boost::math::cos_pi(x, NoPromotion()); });
    add("trig-roots", "sincospi" + suffix, "Boost sin_pi, cos_pi", domain, [](Real x) {
        return SineAndCosine<Real>{boost::math::sin_pi(x, NoPromotion()), boost::math::cos_pi(x, NoPromotion())};
    });
#endif
}

template <typename Real>
void reciprocal_roots(const std::string& suffix)
{
    const auto positive = bench::domain<Real>("rsqrt");
    const auto either_sign = bench::domain<Real>("rcbrt");
    add("trig-roots", "rsqrt" + suffix, "reciprocal of sqrt(x)", positive,
        [](Real x) { return Real(1) / std::sqrt(x); });
    add("trig-roots", "rcbrt" + suffix, "reciprocal of cbrt(x)", either_sign,
        [](Real x) { return Real(1) / std::cbrt(x); });
}

const bool registered = [] {
    pi_scaled<double>("");
    pi_scaled<float>("f");
    reciprocal_roots<double>("");
    reciprocal_roots<float>("f");
    return true;
}();

}  // namespace
