// The functions with an array form in hostmath/batch.h; every other function
// runs as its scalar form in a loop.  A new array form needs one line here.
#include "array_form.h"

#include "hostmath/batch.h"

#include <map>

namespace hostmath_cli {
namespace {

// An array form with the element sizes it takes, checked against the
// function's signature before use.
struct Form {
    ArrayCall call;
    std::size_t in_bytes;
    std::size_t out_bytes;
};

template <typename In, typename Out>
Form batch(void (*fn)(const In*, Out*, std::size_t))
{
    auto call = [fn](const void* const* in, void* out, std::size_t n) {
        fn(static_cast<const In*>(in[0]), static_cast<Out*>(out), n);
    };
    return {call, sizeof(In), sizeof(Out)};
}

std::size_t bytes_of(const ArrayType& t) { return hostmath_compare::size_of(t.kind) * t.components; }

// Keyed by device name: the array forms are not overloaded.
const std::map<std::string, Form>& array_forms()
{
#define B(fn) {#fn, batch(&qx_math_func_host_batch_##fn)}
    static const std::map<std::string, Form> forms = {
        B(__float2bfloat16_rn), B(__float2bfloat16_rz), B(__float2bfloat16_rd), B(__float2bfloat16_ru),
        B(__double2bfloat16),   B(__bfloat162float),    B(__float2half_rn),     B(__float2half_rz),
        B(__float2half_rd),     B(__float2half_ru),     B(__double2half),       B(__half2float),
        B(erfinv),              B(erfinvf),             B(erfcinv),             B(erfcinvf),
        B(erfcx),               B(erfcxf),              B(normcdf),             B(normcdff),
    };
#undef B
    return forms;
}

}  // namespace

ArrayCall array_form(const Function& f)
{
    const auto found = array_forms().find(f.name);
    if (found == array_forms().end()) return f.each;
    const Form& form = found->second;
    const bool fits = f.param_arrays.size() == 1 && bytes_of(f.param_arrays[0]) == form.in_bytes &&
                      bytes_of(f.result_array) == form.out_bytes;
    return fits ? form.call : f.each;
}

}  // namespace hostmath_cli
