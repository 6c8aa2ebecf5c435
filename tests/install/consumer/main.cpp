// Uses one function of each kind through the installed header and library.
#include <hostmath.h>
#include <hostmath/version.h>

#include <cstdio>

int main()
{
    const __quix_bfloat16 b = qx_math_func_host___float2bfloat16_rn(1.0f);
    const __half h = qx_math_func_host___float2half_rn(1.0f);
    const double m = qx_math_func_host_max(1.0, -1.0);
    const bool ok = b.bits == 0x3f80 && h.bits == 0x3c00 && m == 1.0 && qx_math_func_host_erfinv(0.0) == 0.0;
    std::printf("%s (hostmath %s)\n", ok ? "consumer ok" : "consumer: wrong results", HOSTMATH_VERSION_STRING);
    return ok ? 0 : 1;
}
