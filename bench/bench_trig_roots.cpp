// The pi-scaled sine and cosine beside glibc's sin(pi*x) and cos(pi*x) (and
// sincos), Boost.Math's sin_pi and cos_pi and SLEEF's vector sinpi, cospi and
// sincospi; the reciprocal roots beside 1/sqrt(x) (a loop the compiler
// vectorises), 1/cbrt(x) and SLEEF's vector cube root.  Beside the exports,
// their kernels without the guard (bench_vector.h).
#include "bench_domains.h"
#include "bench_vector.h"

#include "special/pi_scaled.h"
#include "special/roots.h"

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

#if defined(__x86_64__)
// SLEEF's vector function of that name on the whole array: out = f(in), its
// reciprocal (kReciprocal), or both results of its sincos form (kPair).
enum class SleefForm { kMap, kReciprocal, kPair };
template <typename Real, SleefForm kForm = SleefForm::kMap>
void add_sleef(const std::string& function, const std::string& sleef_name,
               const std::vector<NamedInputs<Real>>& domain)
{
    void* f = bench::sleef_symbol(sleef_name);
    if (f == nullptr) return;
    const std::string implementation =
        "SLEEF " + std::string(kForm == SleefForm::kReciprocal ? "reciprocal of " : "") + sleef_name;
    for (const auto& inputs : domain) {
        const std::size_t n = inputs.values.size();
        std::vector<Real> first(n), second(kForm == SleefForm::kPair ? n : 0);
        bench::add_array_call("trig-roots", function, implementation, inputs.name, n, sizeof(Real),
                              [f, in = inputs.values, first, second]() mutable {
                                  if constexpr (kForm == SleefForm::kPair)
                                      bench::sleef_pair<Real>(f, in.data(), first.data(), second.data(), in.size());
                                  else
                                      bench::sleef_map<Real, kForm == SleefForm::kReciprocal>(f, in.data(),
                                                                                             first.data(), in.size());
                                  return first.data();
                              });
    }
}
#endif

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
#if defined(__x86_64__)
    const std::string sleef_kind = sizeof(Real) == 8 ? "d4_u05avx2" : "f8_u05avx2";
    add_sleef<Real>("sinpi" + suffix, "Sleef_sinpi" + sleef_kind, domain);
    add_sleef<Real>("cospi" + suffix, "Sleef_cospi" + sleef_kind, domain);
    add_sleef<Real, SleefForm::kPair>("sincospi" + suffix, "Sleef_sincospi" + sleef_kind, domain);
    bench::add_kernel<hostmath::detail::Sinpi>("trig-roots", "sinpi" + suffix, domain);
    bench::add_kernel<hostmath::detail::Cospi>("trig-roots", "cospi" + suffix, domain);
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
#if defined(__x86_64__)
    const std::string cube_root = sizeof(Real) == 8 ? "Sleef_cbrtd4_u10avx2" : "Sleef_cbrtf8_u10avx2";
    add_sleef<Real, SleefForm::kReciprocal>("rcbrt" + suffix, cube_root, either_sign);
    bench::add_kernel<hostmath::detail::Rsqrt>("trig-roots", "rsqrt" + suffix, positive);
    bench::add_kernel<hostmath::detail::Rcbrt>("trig-roots", "rcbrt" + suffix, either_sign);
#endif
}

const bool registered = [] {
    pi_scaled<double>("");
    pi_scaled<float>("f");
    reciprocal_roots<double>("");
    reciprocal_roots<float>("f");
    return true;
}();

}  // namespace
