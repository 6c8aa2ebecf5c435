// erfinv, erfinvf, erfcinv and erfcinvf: the special results bit for bit, the
// side on which every interval boundary falls, every polynomial piece bit for
// bit against a reference evaluation, the odd symmetry of erfinv, and erfcinv
// above 0.625 as erfinv(1 - x).
//
// The reference evaluates each piece on its own, written from the method and
// not from the library code; its logarithm is MPFR's, correctly rounded like
// the library's, and its square root the IEEE one, so the comparison is exact
// on every architecture.
#include "hostmath.h"
#include "sweep.h"
#include "correctly_rounded.h"
#include "test_bits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <vector>

using testbits::f32;
using testbits::f64;
using testbits::u32;
using testbits::u64;

namespace {

// Keeps the compiler from folding log and sqrt of a known argument with its
// own correctly rounded values, which may differ from the system library's.
template <typename T>
T opaque(T x)
{
    volatile T v = x;
    return v;
}

// Horner's scheme from the highest coefficient down, one fused step each.
template <typename T>
T poly(T z, std::initializer_list<T> c)
{
    const T* k = c.begin();
    T acc = *k++;
    for (; k != c.end(); ++k) acc = std::fma(z, acc, *k);
    return acc;
}

// ---------------------------------------------------------------------------
// Reference pieces.  erfinv's take a = |x|, erfcinv's take x.
// ---------------------------------------------------------------------------
namespace ref {

double log_of_one_minus_square(double a) { return -accuracy::cr_log(std::fma(-a, a, 1.0)); }
float log_of_one_minus_square(float a) { return -accuracy::cr_log(std::fma(-a, a, 1.0f)); }

double erfinv_p1(double a)
{
    return a * poly(a * a, {0.44328318242333137, -0.8661943817201301, 0.9092529172543695, -0.5330512538633155,
                            0.2556644003992465, -0.044380381498595606, 0.04290724644491497, 0.0293569436003525,
                            0.036729043602235056, 0.04281565343347394, 0.051732442410839546, 0.06495957592844873,
                            0.08655213015044917, 0.12755617529524352, 0.23201366653470107, 0.8862269254527579});
}

double erfinv_p2a(double a)
{
    const double u = log_of_one_minus_square(a) - 3.125;
    return a * poly(u, {-3.64441206401782e-21, -1.6850591381820166e-19, 1.28584807152564e-18, 1.1157877678025181e-17,
                        -1.333171662854621e-16, 2.0972767875968562e-17, 6.637638134358324e-15, -4.054566272975207e-14,
                        -8.151934197605472e-14, 2.6335093153082323e-12, -1.2975133253453532e-11,
                        -5.415412054294628e-11, 1.0512122733215323e-09, -4.112633980346984e-09,
                        -2.9070369957882005e-08, 4.2347877827932404e-07, -1.3654692000834679e-06,
                        -1.3882523362786469e-05, 0.00018673420803405714, -0.000740702534166267,
                        -0.006033670871430149, 0.24015818242558962, 1.6536545626831027});
}

double erfinv_p2b(double a)
{
    const double v = std::sqrt(log_of_one_minus_square(a)) - 3.25;
    return a * poly(v, {2.2137376921775787e-09, 9.075656193888539e-08, -2.7517406297064545e-07, 1.8239629214389228e-08,
                        1.5027403968909828e-06, -4.013867526981546e-06, 2.9234449089955446e-06, 1.2475304481671779e-05,
                        -4.7318229009055734e-05, 6.828485145957318e-05, 2.4031110387097894e-05,
                        -0.0003550375203628475, 0.0009532893797373805, -0.0016882755560235047, 0.002491442096107851,
                        -0.003751208507569241, 0.005370914553590064, 1.0052589676941592, 3.0838856104922208});
}

double erfinv_p3a(double a)
{
    const double t = std::sqrt(-accuracy::cr_log(1.0 - a));
    return t * poly(1.0 / t, {226.37014086002026, -717.3693150690567, 1048.4243924332807, -937.3286084106923,
                              573.841309610421, -255.64983181351994, 86.44089373999425, -23.38553473132267,
                              5.846073907770085, -1.6351440034582814, -0.025368411245639412, 1.0002916034043825});
}

double erfinv_p3b(double a)
{
    const double t = std::sqrt(-accuracy::cr_log(1.0 - a));
    return t * poly(1.0 / t, {240.9773162769091, -477.14863811407923, 431.4908969477823, -236.74308493611196,
                              88.79309367049859, -24.892829982948708, 6.145723927426896, -1.667363560574841,
                              -0.02348750714994167, 1.00024455624101});
}

float erfinvf_q1(float a)
{
    return poly(a * a, {0.16050489f, -0.025547752f, 0.08732672f, 0.083375625f, 0.1277663f, 0.23200852f,
                        0.88622695f}) *
           a;
}

float erfinvf_q2a(float a)
{
    const float u = log_of_one_minus_square(a) - 2.5f;
    return poly(u, {2.8102264e-08f, 3.4327394e-07f, -3.5233877e-06f, -4.3915065e-06f, 0.00021858087f,
                    -0.001253725f, -0.0041776816f, 0.24664073f, 1.5014094f}) *
           a;
}

float erfinvf_q2b(float a)
{
    const float v = std::sqrt(log_of_one_minus_square(a)) - 3.0f;
    return poly(v, {-0.00020021426f, 0.00010095056f, 0.0013493432f, -0.0036734284f, 0.0057395077f, -0.0076224613f,
                    0.0094388705f, 1.001674f, 2.8329768f}) *
           a;
}

double erfcinv_m(double x)
{
    const double u = -accuracy::cr_log(x * (2.0 - x)) - 3.125;
    const double p =
        poly(u, {1.8158593057110464e-21, -1.7886964112259085e-19, 1.0135985323882973e-18, 1.1641976071025385e-17,
                 -1.2744860847450942e-16, 1.1297165551001938e-17, 6.566062813959028e-15, -4.04376330161323e-14,
                 -8.097657803569213e-14, 2.6327714159544447e-12, -1.2977780904195795e-11, -5.4150946082432624e-11,
                 1.0512205802652929e-09, -4.112642514573121e-09, -2.9070386232675853e-08, 4.2347879202270587e-07,
                 -1.3654691814486083e-06, -1.3882523374901813e-05, 0.0001867342080230919, -0.0007407025341613937,
                 -0.006033670871427627, 0.24015818242558906, 1.6536545626831027});
    return std::fma(-x, p, p);
}

template <typename T>
T tail(T x, std::initializer_list<T> c)
{
    const T t = std::sqrt(-accuracy::cr_log(x));
    return t * poly(T(1) / t, c);
}

double erfcinv_t1(double x)
{
    return tail(x, {24.70238933207481, -100.12090175346495, 187.17541128662916, -214.0667073715471, 167.59288177139877,
                    -95.37218742082877, 41.11239768400247, -14.195127990464226, 4.53681383553723,
                    -1.5103252386134252, -0.032535625785410964, 1.0004793886865362});
}
double erfcinv_t2(double x)
{
    return tail(x, {543.7242445873104, -1564.2167154580154, 2074.882064943291, -1683.3089166272011, 935.0209625883408,
                    -377.9761107800842, 116.0136930482503, -28.488739103572424, 6.462099946697223,
                    -1.6846859524546098, -0.022979449954527758, 1.000239275329698});
}
double erfcinv_t3(double x)
{
    return tail(x, {14652.71527692748, -29209.520733293983, 26849.675495075397, -15095.902127231462, 5812.08932557573,
                    -1629.3712042019797, 347.3395680027686, -59.30936106518735, 9.363565008782265, -1.86853080891117,
                    -0.015922565689781922, 1.0001149697023164});
}
double erfcinv_t4(double x)
{
    return tail(x, {523590.16687016195, -703503.487399419, 435524.423936711, -164785.8849290767, 42661.119630028115,
                    -8036.062118975815, 1150.7406805177163, -132.0241458450296, 14.021266461531447,
                    -2.0696972002042857, -0.010649108616136676, 1.0000514066655275});
}
double erfcinv_t5(double x)
{
    return tail(x, {-1922383.0029238167, 1590631.070300469, -603720.337447008, 139466.01409715475, -21993.196617152556,
                    2533.192357865849, -227.54468207273007, 18.574111396618225, -2.213092342564479,
                    -0.007952630386741603, 1.0000284089064473});
}
double erfcinv_t6(double x)
{
    return tail(x, {-37954162.2964982, 21668603.63480721, -5671567.897714755, 903025.7682453068, -98092.87768880982,
                    7778.6683928797065, -480.926412929461, 27.047217388262556, -2.40086680053864,
                    -0.005462051386506565, 1.0000133955947892});
}
double erfcinv_t7(double x)
{
    return tail(x, {-3870.7205962473226, 1187.4011740026522, -170.6486579646886, 17.35593188551862, -2.208279485855702,
                    -0.007667555294849481, 1.000024483945547});
}

float erfcinvf_m(float x)
{
    const float u = -accuracy::cr_log(x * (2.0f - x)) - 3.125f;
    const float p = poly(u, {6.964909e-10f, -4.6472053e-09f, -2.5507902e-08f, 4.2635938e-07f, -1.3819762e-06f,
                             -1.38909845e-05f, 0.0001867688f, -0.00074069074f, -0.006033697f, 0.24015817f, 1.6536546f});
    return std::fma(-x, p, p);
}
float erfcinvf_t1(float x)
{
    return tail(x, {-1.3403643f, 2.9951558f, -3.194252f, 2.3481567f, -1.2266833f, -0.053995334f, 1.0011963f});
}
float erfcinvf_t2(float x)
{
    return tail(x, {-22.288187f, 24.978754f, -13.03355f, 4.7596188f, -1.5686727f, -0.027375441f, 1.0003089f});
}

// The argument above 0.625 is handed to erfinv as 1 - x.
double erfcinv_upper(double x) { return qx_math_func_host_erfinv(1.0 - x); }
float erfcinvf_upper(float x) { return qx_math_func_host_erfinvf(1.0f - x); }

}  // namespace ref

template <typename T>
using Eval = T (*)(T);

// The smallest a (in [lo, hi]) at which -log(1 - a^2) reaches w: the middle
// interval of erfinv changes polynomial there.
template <typename T>
T first_a_with_log_at_least(T w, T lo, T hi)
{
    while (std::nextafter(lo, hi) < hi) {
        const T mid = lo + (hi - lo) / 2;
        if (ref::log_of_one_minus_square(opaque(mid)) >= w)
            hi = mid;
        else
            lo = mid;
    }
    return hi;
}

const double kSplitD = first_a_with_log_at_least(6.25, 0.99, 0.9999);
const float kSplitF = first_a_with_log_at_least(5.0f, 0.99f, 0.9999f);

std::uint64_t bits(double x) { return u64(x); }
std::uint32_t bits(float x) { return u32(x); }

double prev(double x) { return std::nextafter(x, -INFINITY); }
float prev(float x) { return std::nextafter(x, -INFINITY); }
double next(double x) { return std::nextafter(x, INFINITY); }
float next(float x) { return std::nextafter(x, INFINITY); }

// ---------------------------------------------------------------------------
// Special results.
// ---------------------------------------------------------------------------

struct Special64 {
    std::uint64_t x, result;
};
struct Special32 {
    std::uint32_t x, result;
};

TEST(Erfinv, SpecialResults)
{
    const Special64 cases[] = {
        {0x0000000000000000, 0x0000000000000000}, {0x8000000000000000, 0x8000000000000000},
        {0x3ff0000000000000, 0x7ff0000000000000}, {0xbff0000000000000, 0xfff0000000000000},
        {0x3ff0000000000001, 0x7ff8000000000000}, {0xbff0000000000001, 0xfff8000000000000},
        {0x4000000000000000, 0x7ff8000000000000}, {0x7fefffffffffffff, 0x7ff8000000000000},
        {0x7ff0000000000000, 0x7ff8000000000000}, {0xfff0000000000000, 0xfff8000000000000},
        {0x0000000000000001, 0x0000000000000001}, {0x8000000000000001, 0x8000000000000001},
    };
    for (const Special64& c : cases)
        EXPECT_EQ(u64(qx_math_func_host_erfinv(f64(c.x))), c.result) << std::hex << c.x;
    const Special32 cases32[] = {
        {0x00000000, 0x00000000}, {0x80000000, 0x80000000}, {0x3f800000, 0x7f800000}, {0xbf800000, 0xff800000},
        {0x3f800001, 0x7fc00000}, {0xbf800001, 0xffc00000}, {0x40000000, 0x7fc00000}, {0x7f7fffff, 0x7fc00000},
        {0x7f800000, 0x7fc00000}, {0xff800000, 0xffc00000}, {0x00000001, 0x00000001}, {0x80000001, 0x80000001},
    };
    for (const Special32& c : cases32)
        EXPECT_EQ(u32(qx_math_func_host_erfinvf(f32(c.x))), c.result) << std::hex << c.x;
}

TEST(Erfcinv, SpecialResults)
{
    const Special64 cases[] = {
        {0x0000000000000000, 0x7ff0000000000000}, {0x8000000000000000, 0x7ff0000000000000},
        {0x4000000000000000, 0xfff0000000000000}, {0x3ff0000000000000, 0x0000000000000000},
        {0x8000000000000001, 0x7ff8000000000000}, {0xbff0000000000000, 0x7ff8000000000000},
        {0xfff0000000000000, 0x7ff8000000000000}, {0x4000000000000001, 0x7ff8000000000000},
        {0x4008000000000000, 0x7ff8000000000000}, {0x7fefffffffffffff, 0x7ff8000000000000},
        {0x7ff0000000000000, 0x7ff8000000000000},
    };
    for (const Special64& c : cases)
        EXPECT_EQ(u64(qx_math_func_host_erfcinv(f64(c.x))), c.result) << std::hex << c.x;
    const Special32 cases32[] = {
        {0x00000000, 0x7f800000}, {0x80000000, 0x7f800000}, {0x40000000, 0xff800000}, {0x3f800000, 0x00000000},
        {0x80000001, 0x7fc00000}, {0xbf800000, 0x7fc00000}, {0xff800000, 0x7fc00000}, {0x40000001, 0x7fc00000},
        {0x40400000, 0x7fc00000}, {0x7f7fffff, 0x7fc00000}, {0x7f800000, 0x7fc00000},
    };
    for (const Special32& c : cases32)
        EXPECT_EQ(u32(qx_math_func_host_erfcinvf(f32(c.x))), c.result) << std::hex << c.x;
}

// A NaN argument passes through as a NaN; erfinv gives it the argument's sign.
TEST(InverseErrorFunctions, NanArguments)
{
    for (std::uint64_t x : {0x7ff8000000000000ull, 0xfff8000000000000ull, 0x7ff0000000000001ull,
                            0xfff4000000000000ull, 0x7fffffffffffffffull}) {
        const double y = qx_math_func_host_erfinv(f64(x));
        EXPECT_TRUE(std::isnan(y)) << std::hex << x;
        EXPECT_EQ(u64(y) >> 63, x >> 63) << std::hex << x;
        EXPECT_TRUE(std::isnan(qx_math_func_host_erfcinv(f64(x)))) << std::hex << x;
    }
    for (std::uint32_t x : {0x7fc00000u, 0xffc00000u, 0x7f800001u, 0xffa00000u, 0x7fffffffu}) {
        const float y = qx_math_func_host_erfinvf(f32(x));
        EXPECT_TRUE(std::isnan(y)) << std::hex << x;
        EXPECT_EQ(u32(y) >> 31, x >> 31) << std::hex << x;
        EXPECT_TRUE(std::isnan(qx_math_func_host_erfcinvf(f32(x)))) << std::hex << x;
    }
}

// ---------------------------------------------------------------------------
// Boundaries: each boundary argument and its neighbour on the other side, with
// the piece that must evaluate it.
// ---------------------------------------------------------------------------

template <typename T>
struct Point {
    const char* what;
    T x;
    Eval<T> piece;
};

template <typename T>
void expect_pieces(Eval<T> f, const std::vector<Point<T>>& points)
{
    for (const Point<T>& p : points) {
        const T x = opaque(p.x);
        EXPECT_EQ(bits(f(x)), bits(p.piece(x))) << p.what << " at " << std::hexfloat << p.x;
    }
}

TEST(Erfinv, BoundariesBelongToTheUpperInterval)
{
    using namespace ref;
    expect_pieces<double>(qx_math_func_host_erfinv,
                          {{"0.375", 0.375, erfinv_p2a},
                           {"below 0.375", prev(0.375), erfinv_p1},
                           {"w reaches 6.25", kSplitD, erfinv_p2b},
                           {"w below 6.25", prev(kSplitD), erfinv_p2a},
                           {"1 - 2^-16", 1 - 0x1p-16, erfinv_p3a},
                           {"below 1 - 2^-16", prev(1 - 0x1p-16), erfinv_p2b},
                           {"1 - 2^-32", 1 - 0x1p-32, erfinv_p3b},
                           {"below 1 - 2^-32", prev(1 - 0x1p-32), erfinv_p3a},
                           {"largest below 1", prev(1.0), erfinv_p3b},
                           {"smallest subnormal", 0x1p-1074, erfinv_p1},
                           {"largest subnormal", prev(0x1p-1022), erfinv_p1}});
    expect_pieces<float>(qx_math_func_host_erfinvf,
                         {{"0.375", 0.375f, erfinvf_q2a},
                          {"below 0.375", prev(0.375f), erfinvf_q1},
                          {"w reaches 5", kSplitF, erfinvf_q2b},
                          {"w below 5", prev(kSplitF), erfinvf_q2a},
                          {"largest below 1", prev(1.0f), erfinvf_q2b},
                          {"smallest subnormal", 0x1p-149f, erfinvf_q1},
                          {"largest subnormal", prev(0x1p-126f), erfinvf_q1}});
}

TEST(Erfcinv, ThresholdsBelongToThePieceBelow)
{
    using namespace ref;
    expect_pieces<double>(qx_math_func_host_erfcinv,
                          {{"above 0.625", next(0.625), erfcinv_upper},
                           {"0.625", 0.625, erfcinv_m},
                           {"above 2^-10", next(0x1p-10), erfcinv_m},
                           {"2^-10", 0x1p-10, erfcinv_t1},
                           {"above 2^-19", next(0x1p-19), erfcinv_t1},
                           {"2^-19", 0x1p-19, erfcinv_t2},
                           {"above 2^-40", next(0x1p-40), erfcinv_t2},
                           {"2^-40", 0x1p-40, erfcinv_t3},
                           {"above 2^-82", next(0x1p-82), erfcinv_t3},
                           {"2^-82", 0x1p-82, erfcinv_t4},
                           {"above 2^-200", next(0x1p-200), erfcinv_t4},
                           {"2^-200", 0x1p-200, erfcinv_t5},
                           {"above 2^-400", next(0x1p-400), erfcinv_t5},
                           {"2^-400", 0x1p-400, erfcinv_t6},
                           {"above 2^-900", next(0x1p-900), erfcinv_t6},
                           {"2^-900", 0x1p-900, erfcinv_t7},
                           {"smallest subnormal", 0x1p-1074, erfcinv_t7}});
    expect_pieces<float>(qx_math_func_host_erfcinvf,
                         {{"above 0.625", next(0.625f), erfcinvf_upper},
                          {"0.625", 0.625f, erfcinvf_m},
                          {"above 2^-10", next(0x1p-10f), erfcinvf_m},
                          {"2^-10", 0x1p-10f, erfcinvf_t1},
                          {"above 2^-42", next(0x1p-42f), erfcinvf_t1},
                          {"2^-42", 0x1p-42f, erfcinvf_t2},
                          {"smallest subnormal", 0x1p-149f, erfcinvf_t2}});
    // However close to 0 or 2, an argument inside (0, 2) gives a finite result.
    for (double x : {0x1p-1074, prev(2.0)}) EXPECT_TRUE(std::isfinite(qx_math_func_host_erfcinv(x))) << x;
    for (float x : {0x1p-149f, prev(2.0f)}) EXPECT_TRUE(std::isfinite(qx_math_func_host_erfcinvf(x))) << x;
}

// ---------------------------------------------------------------------------
// Every piece, bit for bit, on arguments drawn uniformly over its bit patterns
// and over its values.
// ---------------------------------------------------------------------------

template <typename T>
struct Piece {
    const char* name;
    T first, last;  // inclusive
    Eval<T> eval;
};

template <typename T>
void expect_pieces_match(Eval<T> f, const std::vector<Piece<T>>& pieces)
{
    constexpr int kDraws = 4000;
    for (const Piece<T>& piece : pieces) {
        std::mt19937_64 rng(7);
        std::uniform_real_distribution<T> value(piece.first, piece.last);
        const auto lo = testbits::u64(static_cast<double>(piece.first));
        const auto hi = testbits::u64(static_cast<double>(piece.last));
        int mismatches = 0;
        for (int k = 0; k < kDraws; ++k) {
            T x = static_cast<T>(k % 2 ? value(rng) : testbits::f64(lo + rng() % (hi - lo + 1)));
            x = std::fmin(std::fmax(x, piece.first), piece.last);
            if (bits(f(x)) != bits(piece.eval(x)) && ++mismatches <= 3)
                ADD_FAILURE() << piece.name << " at " << std::hexfloat << x;
        }
        EXPECT_EQ(mismatches, 0) << piece.name;
    }
}

TEST(Erfinv, EveryPieceMatchesItsReference)
{
    using namespace ref;
    expect_pieces_match<double>(qx_math_func_host_erfinv,
                                {{"P1", 0x1p-1074, prev(0.375), erfinv_p1},
                                 {"P2a", 0.375, prev(kSplitD), erfinv_p2a},
                                 {"P2b", kSplitD, prev(1 - 0x1p-16), erfinv_p2b},
                                 {"P3a", 1 - 0x1p-16, prev(1 - 0x1p-32), erfinv_p3a},
                                 {"P3b", 1 - 0x1p-32, prev(1.0), erfinv_p3b}});
    expect_pieces_match<float>(qx_math_func_host_erfinvf, {{"Q1", 0x1p-149f, prev(0.375f), erfinvf_q1},
                                                           {"Q2a", 0.375f, prev(kSplitF), erfinvf_q2a},
                                                           {"Q2b", kSplitF, prev(1.0f), erfinvf_q2b}});
}

TEST(Erfcinv, EveryPieceMatchesItsReference)
{
    using namespace ref;
    expect_pieces_match<double>(qx_math_func_host_erfcinv, {{"T7", 0x1p-1074, 0x1p-900, erfcinv_t7},
                                                            {"T6", next(0x1p-900), 0x1p-400, erfcinv_t6},
                                                            {"T5", next(0x1p-400), 0x1p-200, erfcinv_t5},
                                                            {"T4", next(0x1p-200), 0x1p-82, erfcinv_t4},
                                                            {"T3", next(0x1p-82), 0x1p-40, erfcinv_t3},
                                                            {"T2", next(0x1p-40), 0x1p-19, erfcinv_t2},
                                                            {"T1", next(0x1p-19), 0x1p-10, erfcinv_t1},
                                                            {"M", next(0x1p-10), 0.625, erfcinv_m}});
    expect_pieces_match<float>(qx_math_func_host_erfcinvf, {{"Tf2", 0x1p-149f, 0x1p-42f, erfcinvf_t2},
                                                            {"Tf1", next(0x1p-42f), 0x1p-10f, erfcinvf_t1},
                                                            {"Mf", next(0x1p-10f), 0.625f, erfcinvf_m}});
}

// ---------------------------------------------------------------------------
// Relations that hold bit for bit.
// ---------------------------------------------------------------------------

TEST(Erfinv, OddSymmetryBitForBit)
{
    const std::uint64_t sign64 = 0x8000000000000000ull;
    const auto d = sweep::run(0, 400000, [&](std::uint64_t i) {
        testbits::DoubleSource source(i);
        const double x = source();
        return u64(qx_math_func_host_erfinv(-x)) == (u64(qx_math_func_host_erfinv(x)) ^ sign64);
    });
    EXPECT_EQ(d.failures, 0u);
    const auto f = sweep::run(0, 1u << 20, [](std::uint64_t i) {
        const float x = f32(static_cast<std::uint32_t>(i * 0x9e3779b9u));  // scattered over all patterns
        return u32(qx_math_func_host_erfinvf(-x)) == (u32(qx_math_func_host_erfinvf(x)) ^ 0x80000000u);
    });
    EXPECT_EQ(f.failures, 0u);
}

// Above 0.625, erfcinv is erfinv(1 - x), special values included.
TEST(Erfcinv, UpperRangeIsErfinvOfOneMinusX)
{
    std::mt19937_64 rng(11);
    std::vector<double> xs = {next(0.625), prev(1.0), 1.0, next(1.0), prev(2.0), 2.0};
    const std::uint64_t lo = u64(next(0.625)), hi = u64(prev(2.0));
    for (int k = 0; k < 20000; ++k) xs.push_back(f64(lo + rng() % (hi - lo + 1)));
    for (double x : xs) ASSERT_EQ(u64(qx_math_func_host_erfcinv(x)), u64(qx_math_func_host_erfinv(1.0 - x))) << x;
    EXPECT_LT(qx_math_func_host_erfcinv(prev(2.0)), -5.0);

    std::vector<float> fs = {next(0.625f), prev(1.0f), 1.0f, next(1.0f), prev(2.0f), 2.0f};
    const std::uint32_t flo = u32(next(0.625f)), fhi = u32(prev(2.0f));
    for (std::uint32_t u = flo; u <= fhi; u += 97) fs.push_back(f32(u));
    for (float x : fs) ASSERT_EQ(u32(qx_math_func_host_erfcinvf(x)), u32(qx_math_func_host_erfinvf(1.0f - x))) << x;
    EXPECT_LT(qx_math_func_host_erfcinvf(prev(2.0f)), -3.0f);
}

}  // namespace
