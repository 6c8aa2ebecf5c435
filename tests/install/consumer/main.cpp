// Uses one function of each kind through the installed header and library,
// and checks an array with hostmath/check.h.
#include <hostmath.h>
#include <hostmath/check.h>
#include <hostmath/version.h>

#include <cstdio>
#include <vector>

int main()
{
    const __quix_bfloat16 b = qx_math_func_host___float2bfloat16_rn(1.0f);
    const __half h = qx_math_func_host___float2half_rn(1.0f);
    const double m = qx_math_func_host_max(1.0, -1.0);
    const std::vector<float> x = {0.0f, 0.5f};
    std::vector<float> got = {qx_math_func_host_erfinvf(0.0f), qx_math_func_host_erfinvf(0.5f)};
    const bool checked = hostmath::check(qx_math_func_host_erfinvf, x, got).passed();
    got[1] = 0.0f;
    const bool mismatch = hostmath::check(qx_math_func_host_erfinvf, x, got).mismatches() == 1;
    const bool ok = b.bits == 0x3f80 && h.bits == 0x3c00 && m == 1.0 && qx_math_func_host_erfinv(0.0) == 0.0 &&
                    checked && mismatch;
    std::printf("%s (hostmath %s)\n", ok ? "consumer ok" : "consumer: wrong results", HOSTMATH_VERSION_STRING);
    return ok ? 0 : 1;
}
