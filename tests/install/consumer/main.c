/* Uses the C interface through the installed header and library. */
#include <hostmath/hostmath_c.h>

#include <stdio.h>

int main(void)
{
    uint16_t low = 0, high = 0;
    hostmath_floats2bfloat162_rn(1.0f, -2.0f, &low, &high);
    const int ok = hostmath_float2half_rn(1.0f) == 0x3c00 && hostmath_max_i_u(-1, 5u) == 0xffffffffu &&
                   hostmath_erfinv(0.0) == 0.0 && low == 0x3f80 && high == 0xc000;
    printf("%s\n", ok ? "C consumer ok" : "C consumer: wrong results");
    return ok ? 0 : 1;
}
