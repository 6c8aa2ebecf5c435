// The special functions beside Boost.Math (erf_inv, erfc_inv, the normal
// distribution's cdf) and the glibc formulas a user would write:
// exp(x^2) erfc(x) for erfcx and erfc(-x sqrt(1/2))/2 for normcdf.  Boost runs
// with its default policy (double promoted to long double) and with promotion
// off, where it computes in the argument's own type; both report domain and
// overflow errors through errno rather than exceptions.  Beside the exports,
// their kernels without the guard (bench_vector.h).
#include "bench_domains.h"
#include "bench_vector.h"

#include "special/erfcinv.h"
#include "special/erfcx.h"
#include "special/erfinv.h"
#include "special/normcdf.h"

#include <cmath>

#if defined(HOSTMATH_BENCH_BOOST)
#include <boost/math/distributions/normal.hpp>
#include <boost/math/special_functions/erf.hpp>
#endif

namespace {

using bench::add;
using bench::NamedInputs;

#if defined(HOSTMATH_BENCH_BOOST)
namespace policies = boost::math::policies;
using Default = policies::policy<policies::domain_error<policies::errno_on_error>,
                                 policies::overflow_error<policies::errno_on_error>>;
using NoPromotion = policies::policy<policies::domain_error<policies::errno_on_error>,
                                     policies::overflow_error<policies::errno_on_error>,
                                     policies::promote_float<false>, policies::promote_double<false>>;

template <typename Real, typename Policy>
Real boost_normal_cdf(Real x)
{
    return boost::math::cdf(boost::math::normal_distribution<Real, Policy>(), x);
}
#endif

template <typename Real>
void inverse_error_functions(const std::string& suffix)
{
    const auto erf_domain = bench::domain<Real>("erfinv");
    const auto erfc_domain = bench::domain<Real>("erfcinv");
#if defined(HOSTMATH_BENCH_BOOST)
    add("special", "erfinv" + suffix, "Boost erf_inv", erf_domain,
        [](Real x) { return boost::math::erf_inv(x, Default()); });
    add("special", "erfinv" + suffix, "Boost erf_inv, no promotion", erf_domain,
        [](Real x) { return boost::math::erf_inv(x, NoPromotion()); });
    add("special", "erfcinv" + suffix, "Boost erfc_inv", erfc_domain,
        [](Real x) { return boost::math::erfc_inv(x, Default()); });
    add("special", "erfcinv" + suffix, "Boost erfc_inv, no promotion", erfc_domain,
        [](Real x) { return boost::math::erfc_inv(x, NoPromotion()); });
#endif
    bench::add_kernel<hostmath::detail::Erfinv>("special", "erfinv" + suffix, erf_domain);
    bench::add_kernel<hostmath::detail::Erfcinv>("special", "erfcinv" + suffix, erfc_domain);
}

template <typename Real>
void erfc_based(const std::string& suffix)
{
    const auto erfcx_domain = bench::domain<Real>("erfcx");
    const auto normcdf_domain = bench::domain<Real>("normcdf");
    add("special", "erfcx" + suffix, "glibc exp(x*x)*erfc(x)", erfcx_domain,
        [](Real x) { return std::exp(x * x) * std::erfc(x); });
    add("special", "normcdf" + suffix, "glibc 0.5*erfc(-x*M_SQRT1_2)", normcdf_domain,
        [](Real x) { return Real(0.5) * std::erfc(-x * Real(M_SQRT1_2)); });
#if defined(HOSTMATH_BENCH_BOOST)
    add("special", "normcdf" + suffix, "Boost normal cdf", normcdf_domain,
        [](Real x) { return boost_normal_cdf<Real, Default>(x); });
    add("special", "normcdf" + suffix, "Boost normal cdf, no promotion", normcdf_domain,
        [](Real x) { return boost_normal_cdf<Real, NoPromotion>(x); });
#endif
    bench::add_kernel<hostmath::detail::Erfcx>("special", "erfcx" + suffix, erfcx_domain);
    bench::add_kernel<hostmath::detail::Normcdf>("special", "normcdf" + suffix, normcdf_domain);
}

const bool registered = [] {
    inverse_error_functions<double>("");
    inverse_error_functions<float>("f");
    erfc_based<double>("");
    erfc_based<float>("f");
    return true;
}();

}  // namespace
