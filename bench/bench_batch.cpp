// The array entry points (hostmath/batch.h), implementation "hostmath-batch",
// on the same input sets as the scalar rows of bench_conversions.cpp and
// bench_special.cpp, so that each lands in the group of its scalar function and
// its peers (F16C, AVX-512 BF16, Boost, glibc).  The whole array goes to one
// call.
#include "bench_scalar.h"

#include <hostmath/batch.h>

#include <string>
#include <vector>

namespace {

using bench::NamedInputs;

template <typename Record>
std::vector<NamedInputs<Record>> as_records(const std::vector<NamedInputs<std::uint16_t>>& sets)
{
    std::vector<NamedInputs<Record>> records;
    for (const auto& s : sets) {
        std::vector<Record> v(s.values.size());
        for (std::size_t i = 0; i < v.size(); ++i) v[i].bits = s.values[i];
        records.push_back({s.name, v});
    }
    return records;
}

template <typename In, typename Out>
void add_batch(const std::string& family, const std::string& function, const std::vector<NamedInputs<In>>& sets,
               void (*convert)(const In*, Out*, std::size_t))
{
    bench::add_array(family, function, "hostmath-batch", sets, true, convert);
}

void register_conversions()
{
    const auto floats = bench::normal_and_bits<float>();
    const auto doubles = bench::normal_and_bits<double>();
    add_batch("bfloat16", "__float2bfloat16_rn", floats, qx_math_func_host_batch___float2bfloat16_rn);
    add_batch("bfloat16", "__float2bfloat16_rz", floats, qx_math_func_host_batch___float2bfloat16_rz);
    add_batch("bfloat16", "__float2bfloat16_rd", floats, qx_math_func_host_batch___float2bfloat16_rd);
    add_batch("bfloat16", "__float2bfloat16_ru", floats, qx_math_func_host_batch___float2bfloat16_ru);
    add_batch("bfloat16", "__double2bfloat16", doubles, qx_math_func_host_batch___double2bfloat16);
    add_batch("bfloat16", "__bfloat162float", as_records<__quix_bfloat16>(bench::bfloat16_patterns()),
              qx_math_func_host_batch___bfloat162float);

    add_batch("half", "__float2half_rn", floats, qx_math_func_host_batch___float2half_rn);
    add_batch("half", "__float2half_rz", floats, qx_math_func_host_batch___float2half_rz);
    add_batch("half", "__float2half_rd", floats, qx_math_func_host_batch___float2half_rd);
    add_batch("half", "__float2half_ru", floats, qx_math_func_host_batch___float2half_ru);
    add_batch("half", "__double2half", doubles, qx_math_func_host_batch___double2half);
    add_batch("half", "__half2float", as_records<__half>(bench::half_patterns()), qx_math_func_host_batch___half2float);
}

// The domains of bench_special.cpp, drawn with the same generators and seeds.
template <typename Real>
void register_special(const std::string& suffix, void (*erfinv)(const Real*, Real*, std::size_t),
                      void (*erfcinv)(const Real*, Real*, std::size_t), void (*erfcx)(const Real*, Real*, std::size_t),
                      void (*normcdf)(const Real*, Real*, std::size_t), Real tiny, Real erfcx_top)
{
    const std::vector<NamedInputs<Real>> erf_domain{{"x in (-1, 1)", bench::uniform<Real>(-1, 1)}};
    const std::vector<NamedInputs<Real>> erfc_domain{
        {"x in (0, 2)", bench::uniform<Real>(0, 2)},
        {"x in (" + std::string(sizeof(Real) == 8 ? "1e-300" : "1e-37") + ", 2^-10), log-uniform",
         bench::log_uniform<Real>(tiny, Real(0x1p-10), false)}};
    const std::vector<NamedInputs<Real>> erfcx_domain{
        {"x in (-5, " + std::to_string(static_cast<int>(erfcx_top)) + ")", bench::uniform<Real>(-5, erfcx_top)}};
    const std::vector<NamedInputs<Real>> normcdf_domain{{"x in (-8, 8)", bench::uniform<Real>(-8, 8)}};
    add_batch("special", "erfinv" + suffix, erf_domain, erfinv);
    add_batch("special", "erfcinv" + suffix, erfc_domain, erfcinv);
    add_batch("special", "erfcx" + suffix, erfcx_domain, erfcx);
    add_batch("special", "normcdf" + suffix, normcdf_domain, normcdf);
}

const bool registered = [] {
    register_conversions();
    register_special<double>("", qx_math_func_host_batch_erfinv, qx_math_func_host_batch_erfcinv,
                             qx_math_func_host_batch_erfcx, qx_math_func_host_batch_normcdf, 1e-300, 25);
    register_special<float>("f", qx_math_func_host_batch_erfinvf, qx_math_func_host_batch_erfcinvf,
                            qx_math_func_host_batch_erfcxf, qx_math_func_host_batch_normcdff, 1e-37f, 9);
    return true;
}();

}  // namespace
