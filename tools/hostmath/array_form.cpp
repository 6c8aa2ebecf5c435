// The functions with an array form in hostmath/batch.h; every other function
// runs as its scalar form in a loop.  A new array form needs one line here.
#include "array_form.h"

#include "hostmath/batch.h"

#include <map>
#include <vector>

namespace hostmath_cli {
namespace {

// An array form with the element sizes it takes and gives, checked against
// the function's signature before use.
struct Form {
    ArrayCall call;
    std::vector<std::size_t> in_bytes;
    std::size_t out_bytes;
};

// out[i] = f(in[i]).
template <typename In, typename Out>
Form batch(void (*fn)(const In*, Out*, std::size_t))
{
    auto call = [fn](const void* const* in, void* out, std::size_t n) {
        fn(static_cast<const In*>(in[0]), static_cast<Out*>(out), n);
    };
    return {call, {sizeof(In)}, sizeof(Out)};
}

// out[i] = f(a[i], b[i]).
template <typename A, typename B, typename Out>
Form batch(void (*fn)(const A*, const B*, Out*, std::size_t))
{
    auto call = [fn](const void* const* in, void* out, std::size_t n) {
        fn(static_cast<const A*>(in[0]), static_cast<const B*>(in[1]), static_cast<Out*>(out), n);
    };
    return {call, {sizeof(A), sizeof(B)}, sizeof(Out)};
}

// Two results per element into two arrays (sincospi), interleaved into the
// pair layout: first, second, first, second, ...
template <typename In, typename Out>
Form batch(void (*fn)(const In*, Out*, Out*, std::size_t))
{
    auto call = [fn](const void* const* in, void* out, std::size_t n) {
        thread_local std::vector<Out> first, second;
        first.resize(n);
        second.resize(n);
        fn(static_cast<const In*>(in[0]), first.data(), second.data(), n);
        Out* pairs = static_cast<Out*>(out);
        for (std::size_t i = 0; i < n; ++i) {
            pairs[2 * i] = first[i];
            pairs[2 * i + 1] = second[i];
        }
    };
    return {call, {sizeof(In)}, 2 * sizeof(Out)};
}

std::size_t bytes_of(const ArrayType& t) { return hostmath_compare::size_of(t.kind) * t.components; }

// Keyed by device name, or by signature for an overloaded name ("max(float,
// float)", whose entry names its types: batch<float, float, float>(&...)).
const std::map<std::string, Form>& array_forms()
{
#define B(fn) {#fn, batch(&qx_math_func_host_batch_##fn)}
    static const std::map<std::string, Form> forms = {
        B(__float2bfloat16_rn), B(__float2bfloat16_rz), B(__float2bfloat16_rd), B(__float2bfloat16_ru),
        B(__double2bfloat16),   B(__bfloat162float),    B(__float2half_rn),     B(__float2half_rz),
        B(__float2half_rd),     B(__float2half_ru),     B(__double2half),       B(__half2float),
        B(erfinv),              B(erfinvf),             B(erfcinv),             B(erfcinvf),
        B(erfcx),               B(erfcxf),              B(normcdf),             B(normcdff),
        B(__ushort2bfloat16_rn), B(__short2bfloat16_rn), B(__int2bfloat16_rn), B(__uint2bfloat16_rn),
        B(__ll2bfloat16_rn), B(__ull2bfloat16_rn), B(__bfloat162ushort_rz), B(__bfloat162short_rz),
        B(__bfloat162int_rz), B(__bfloat162uint_rz), B(__bfloat162ll_rz), B(__bfloat162ull_rz),
        B(__ushort2half_rn), B(__short2half_rn), B(__int2half_rn), B(__uint2half_rn), B(__ll2half_rn),
        B(__ull2half_rn), B(__half2ushort_rz), B(__half2short_rz), B(__half2int_rz), B(__half2uint_rz),
        B(__half2ll_rz), B(__half2ull_rz), B(sinpi), B(sinpif), B(cospi), B(cospif), B(sincospi), B(sincospif),
        B(rsqrt), B(rsqrtf), B(rcbrt), B(rcbrtf),
        {"max(float, float)", batch<float, float, float>(&qx_math_func_host_batch_max)},
        {"max(double, double)", batch<double, double, double>(&qx_math_func_host_batch_max)},
        {"min(float, float)", batch<float, float, float>(&qx_math_func_host_batch_min)},
        {"min(double, double)", batch<double, double, double>(&qx_math_func_host_batch_min)},
    };
#undef B
    return forms;
}

}  // namespace

ArrayCall array_form(const Function& f)
{
    auto found = array_forms().find(f.signature());
    if (found == array_forms().end()) found = array_forms().find(f.name);
    if (found == array_forms().end()) return f.each;
    const Form& form = found->second;
    bool fits = form.in_bytes.size() == f.param_arrays.size() && form.out_bytes == bytes_of(f.result_array);
    for (std::size_t k = 0; fits && k < form.in_bytes.size(); ++k) fits = form.in_bytes[k] == bytes_of(f.param_arrays[k]);
    return fits ? form.call : f.each;
}

}  // namespace hostmath_cli
