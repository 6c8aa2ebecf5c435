/* The C interface from a C11 program: each shape of C function (a value, a
 * 16-bit pattern, a pair argument as two values, a pair result through two
 * pointers with null ones skipped, sincospi, the array forms) and every
 * overload name of max and min, against values worked out by hand.  A C++
 * compiler never sees this file: it shows that the header is plain C. */
#include <hostmath/hostmath_c.h>

#include <limits.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

static int failures = 0;

static void expect(int ok, const char* what, unsigned long long got, unsigned long long want)
{
    if (ok) return;
    ++failures;
    fprintf(stderr, "c_interface: %s gives 0x%llx, not 0x%llx\n", what, got, want);
}

#define EXPECT_EQ(expression, want)                                                            \
    expect((expression) == (want), #expression, (unsigned long long)(expression),               \
           (unsigned long long)(want))

static uint64_t bits_of_double(double x)
{
    uint64_t u;
    memcpy(&u, &x, sizeof u);
    return u;
}

static uint32_t bits_of_float(float x)
{
    uint32_t u;
    memcpy(&u, &x, sizeof u);
    return u;
}

static float float_of_bits(uint32_t u)
{
    float x;
    memcpy(&x, &u, sizeof x);
    return x;
}

int main(void)
{
    /* values and 16-bit patterns */
    EXPECT_EQ(hostmath_float2bfloat16_rn(1.0f), 0x3f80);
    EXPECT_EQ(hostmath_float2bfloat16_rz(3.14159f), 0x4049);
    EXPECT_EQ(hostmath_float2half_rn(65520.0f), 0x7c00);
    EXPECT_EQ(hostmath_float2half_ru(0x1.8p-3f), 0x3200);
    EXPECT_EQ(bits_of_float(hostmath_half2float(0xfc00)), 0xff800000u);
    EXPECT_EQ(hostmath_half2int_rz(0xfc00), INT_MIN);
    EXPECT_EQ(bits_of_float(hostmath_bfloat162float(0xffc1)), 0xffc10000u); /* the NaN keeps its payload */
    EXPECT_EQ(hostmath_erfinv(0.0) == 0.0, 1);
    EXPECT_EQ(hostmath_erfcinvf(0.0f) == INFINITY, 1);

    /* a pair argument as two values, low first */
    EXPECT_EQ(hostmath_low2float(0x3f80, 0xc000) == 1.0f, 1);
    EXPECT_EQ(hostmath_high2float(0x3f80, 0xc000) == -2.0f, 1);

    /* a pair result through two pointers, low (first) first; a null one is skipped */
    uint16_t low = 0, high = 0;
    hostmath_floats2bfloat162_rn(1.0f, -2.0f, &low, &high);
    EXPECT_EQ(low, 0x3f80);
    EXPECT_EQ(high, 0xc000);
    hostmath_float22bfloat162_rn(0.5f, 4.0f, &low, &high);
    EXPECT_EQ(low, 0x3f00);
    EXPECT_EQ(high, 0x4080);
    high = 0x1234;
    hostmath_float2bfloat162_rn(2.0f, &low, NULL);
    hostmath_float2bfloat162_rn(-1.0f, NULL, &high);
    EXPECT_EQ(low, 0x4000);
    EXPECT_EQ(high, 0xbf80);
    float first = 0, second = 0;
    hostmath_bfloat1622float2(0x3f80, 0xc000, &first, &second);
    EXPECT_EQ(first == 1.0f && second == -2.0f, 1);
    hostmath_bfloat1622float2(0x4000, 0x4040, NULL, &second);
    EXPECT_EQ(second == 3.0f, 1);

    /* sincospi: sine first, a null output skipped */
    double s = 1, c = 0;
    hostmath_sincospi(1.0, &s, &c);
    EXPECT_EQ(bits_of_double(s), 0); /* +0 at every integer */
    EXPECT_EQ(c == -1.0, 1);
    float cf = 0;
    hostmath_sincospif(2.0f, NULL, &cf);
    EXPECT_EQ(cf == 1.0f, 1);

    /* every overload name of max and min: mixed signedness compares as unsigned */
#define EXPECT_MAX_MIN(max_name, min_name, a, b, max, min) \
    EXPECT_EQ(max_name(a, b), max);                        \
    EXPECT_EQ(min_name(a, b), min)
    EXPECT_MAX_MIN(hostmath_max_i_i, hostmath_min_i_i, -1, 5, 5, -1);
    EXPECT_MAX_MIN(hostmath_max_u_u, hostmath_min_u_u, 1u, 5u, 5u, 1u);
    EXPECT_MAX_MIN(hostmath_max_i_u, hostmath_min_i_u, -1, 5u, UINT_MAX, 5u);
    EXPECT_MAX_MIN(hostmath_max_u_i, hostmath_min_u_i, 5u, -1, UINT_MAX, 5u);
    EXPECT_MAX_MIN(hostmath_max_l_l, hostmath_min_l_l, -1L, 5L, 5L, -1L);
    EXPECT_MAX_MIN(hostmath_max_ul_ul, hostmath_min_ul_ul, 1ul, 5ul, 5ul, 1ul);
    EXPECT_MAX_MIN(hostmath_max_l_ul, hostmath_min_l_ul, -1L, 5ul, ULONG_MAX, 5ul);
    EXPECT_MAX_MIN(hostmath_max_ul_l, hostmath_min_ul_l, 5ul, -1L, ULONG_MAX, 5ul);
    EXPECT_MAX_MIN(hostmath_max_ll_ll, hostmath_min_ll_ll, -1LL, 5LL, 5LL, -1LL);
    EXPECT_MAX_MIN(hostmath_max_ull_ull, hostmath_min_ull_ull, 1ull, 5ull, 5ull, 1ull);
    EXPECT_MAX_MIN(hostmath_max_ll_ull, hostmath_min_ll_ull, -1LL, 5ull, ULLONG_MAX, 5ull);
    EXPECT_MAX_MIN(hostmath_max_ull_ll, hostmath_min_ull_ll, 5ull, -1LL, ULLONG_MAX, 5ull);
    EXPECT_MAX_MIN(hostmath_umax, hostmath_umin, 1u, 5u, 5u, 1u);
    EXPECT_MAX_MIN(hostmath_llmax, hostmath_llmin, -1LL, 5LL, 5LL, -1LL);
    EXPECT_MAX_MIN(hostmath_ullmax, hostmath_ullmin, 1ull, 5ull, 5ull, 1ull);
    /* the floating forms: -0 < +0, and a signalling NaN float gives its
     * pattern quietened, widened exactly (payload 0x000001 in bits 29 up) */
    const float signalling = float_of_bits(0x7fa00001u);
    EXPECT_EQ(bits_of_float(hostmath_max_f_f(-0.0f, 0.0f)), 0u);
    EXPECT_EQ(bits_of_float(hostmath_min_f_f(0.0f, -0.0f)), 0x80000000u);
    EXPECT_EQ(bits_of_double(hostmath_max_d_d(-0.0, 0.0)), 0u);
    EXPECT_EQ(bits_of_double(hostmath_min_d_d(0.0, -0.0)), 0x8000000000000000u);
    EXPECT_EQ(bits_of_double(hostmath_max_d_f(1.0, signalling)), 0x7ffc000020000000u);
    EXPECT_EQ(bits_of_double(hostmath_min_d_f(1.0, signalling)), 0x7ffc000020000000u);
    EXPECT_EQ(bits_of_double(hostmath_max_f_d(signalling, 1.0)), 0x7ffc000020000000u);
    EXPECT_EQ(bits_of_double(hostmath_min_f_d(signalling, 1.0)), 0x7ffc000020000000u);
    EXPECT_EQ(hostmath_max_f_d(2.0f, 1.0) == 2.0 && hostmath_min_d_f(2.0, 1.0f) == 1.0, 1);

    /* the array forms give the scalar functions' results */
    const float in[4] = {0.1f, 65520.0f, -0.0f, 1e-8f};
    uint16_t half[4];
    hostmath_batch_float2half_rn(in, half, 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(half[i], hostmath_float2half_rn(in[i]));
    hostmath_batch_float2half_rn(NULL, NULL, 0);
    float back[4];
    hostmath_batch_half2float(half, back, 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bits_of_float(back[i]), bits_of_float(hostmath_half2float(half[i])));
    float sines[4], cosines[4] = {7, 7, 7, 7};
    hostmath_batch_sincospif(in, sines, NULL, 4);
    for (int i = 0; i < 4; ++i) {
        float one_sine;
        hostmath_sincospif(in[i], &one_sine, NULL);
        EXPECT_EQ(bits_of_float(sines[i]), bits_of_float(one_sine));
        EXPECT_EQ(cosines[i] == 7.0f, 1);
    }
    const double wide[4] = {1.0, -1.0, 0.0, -0.0};
    const float narrow[4] = {signalling, 2.0f, -0.0f, 0.0f};
    double mixed[4];
    hostmath_batch_max_d_f(wide, narrow, mixed, 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bits_of_double(mixed[i]), bits_of_double(hostmath_max_d_f(wide[i], narrow[i])));
    hostmath_batch_min_f_d(narrow, wide, mixed, 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bits_of_double(mixed[i]), bits_of_double(hostmath_min_f_d(narrow[i], wide[i])));

    if (failures == 0) printf("c_interface: all cases hold\n");
    return failures == 0 ? 0 : 1;
}
