// The pieces of erfinv, erfinvf, erfcinv and erfcinvf, shared by the exported
// functions (erfinvD.cpp, erfinvF.cpp, erfcinvD.cpp, erfcinvF.cpp, which state
// the method and the errors) and the array forms, so that both compute every
// result with the same operations.  Each exported function is a short chain of
// these: its interval tests pick the pieces, and the calls to the system log
// and sqrt sit between them.
#ifndef HOSTMATH_ERFINV_KERNELS_H
#define HOSTMATH_ERFINV_KERNELS_H

#include "internal.h"
#include "internal.h"

#include <cstdint>
#include <iterator>

namespace hostmath {
namespace detail {

// ---------------------------------------------------------------------------
// erfinvf
// ---------------------------------------------------------------------------
namespace erfinvf_parts {

constexpr float kSmallEnd = 0.375f;
constexpr float kLogSplit = 5.0f;  // w where the logarithmic interval changes polynomial
constexpr float kCentreA = 2.5f;
constexpr float kCentreB = 3.0f;

constexpr std::uint32_t kQuietNan = 0x7fc00000u;
constexpr std::uint32_t kPlusInfinity = 0x7f800000u;
constexpr std::uint32_t kSignBit = 0x80000000u;

// Q1 in s = a*a, for a < 0.375.
constexpr float kQ1[] = {0.16050489f, -0.025547752f, 0.08732672f, 0.083375625f,
                         0.1277663f,  0.23200852f,   0.88622695f};

// Q2a in u = w - 2.5, for w < 5.
constexpr float kQ2a[] = {2.8102264e-08f, 3.4327394e-07f, -3.5233877e-06f, -4.3915065e-06f, 0.00021858087f,
                          -0.001253725f,  -0.0041776816f, 0.24664073f,     1.5014094f};

// Q2b in v = sqrtf(w) - 3, for w >= 5.
constexpr float kQ2b[] = {-0.00020021426f, 0.00010095056f, 0.0013493432f, -0.0036734284f, 0.0057395077f,
                          -0.0076224613f,  0.0094388705f,  1.001674f,     2.8329768f};

static_assert(std::size(kQ1) == 7 && std::size(kQ2a) == 9 && std::size(kQ2b) == 9, "polynomial degrees 6, 8, 8");

inline float central(float a) { return horner(a * a, kQ1); }
// The argument of the logarithm, 1 - a*a fused; w = -logf of it.
inline float log_argument(float a) { return std::fma(-a, a, 1.0f); }
inline float log_piece(float w) { return horner(w - kCentreA, kQ2a); }
inline float root_piece(float root_w) { return horner(root_w - kCentreB, kQ2b); }

// p * a with the fixed results for a >= 1 and the sign of x.
inline float result(float x, float a, float p)
{
    float b = p * a;
    if (a > 1.0f) b = as_float(kQuietNan);
    if (a == 1.0f) b = as_float(kPlusInfinity);
    return as_float((bits_of(b) & ~kSignBit) | (bits_of(x) & kSignBit));
}

}  // namespace erfinvf_parts

// ---------------------------------------------------------------------------
// erfinv
// ---------------------------------------------------------------------------
namespace erfinv_parts {

constexpr double kSmallEnd = 0.375;
constexpr double kTailStart = 0x1.fffep-1;  // 1 - 2^-16, bits 0x3fefffe000000000
constexpr double kFarTailStart = 0x1.fffffffep-1;  // 1 - 2^-32, bits 0x3fefffffffe00000
constexpr double kLogSplit = 6.25;  // w where the middle interval changes polynomial
constexpr double kCentreA = 3.125;
constexpr double kCentreB = 3.25;
static_assert(kTailStart == 0.9999847412109375, "1 - 2^-16");
static_assert(kFarTailStart == 0.9999999997671694, "1 - 2^-32, shortest decimal");

constexpr std::uint64_t kQuietNan = 0x7ff8000000000000ull;
constexpr std::uint64_t kPlusInfinity = 0x7ff0000000000000ull;
constexpr std::uint64_t kSignBit = 0x8000000000000000ull;

// P1 in s = a*a, for a < 0.375.
constexpr double kP1[] = {
    0.44328318242333137, -0.8661943817201301, 0.9092529172543695, -0.5330512538633155,
    0.2556644003992465, -0.044380381498595606, 0.04290724644491497, 0.0293569436003525,
    0.036729043602235056, 0.04281565343347394, 0.051732442410839546, 0.06495957592844873,
    0.08655213015044917, 0.12755617529524352, 0.23201366653470107, 0.8862269254527579};

// P2a in u = w - 3.125, for w < 6.25.
constexpr double kP2a[] = {
    -3.64441206401782e-21, -1.6850591381820166e-19, 1.28584807152564e-18, 1.1157877678025181e-17,
    -1.333171662854621e-16, 2.0972767875968562e-17, 6.637638134358324e-15, -4.054566272975207e-14,
    -8.151934197605472e-14, 2.6335093153082323e-12, -1.2975133253453532e-11, -5.415412054294628e-11,
    1.0512122733215323e-09, -4.112633980346984e-09, -2.9070369957882005e-08, 4.2347877827932404e-07,
    -1.3654692000834679e-06, -1.3882523362786469e-05, 0.00018673420803405714, -0.000740702534166267,
    -0.006033670871430149, 0.24015818242558962, 1.6536545626831027};

// P2b in v = sqrt(w) - 3.25, for 6.25 <= w (w < 16 below 1 - 2^-16).
constexpr double kP2b[] = {
    2.2137376921775787e-09, 9.075656193888539e-08, -2.7517406297064545e-07, 1.8239629214389228e-08,
    1.5027403968909828e-06, -4.013867526981546e-06, 2.9234449089955446e-06, 1.2475304481671779e-05,
    -4.7318229009055734e-05, 6.828485145957318e-05, 2.4031110387097894e-05, -0.0003550375203628475,
    0.0009532893797373805, -0.0016882755560235047, 0.002491442096107851, -0.003751208507569241,
    0.005370914553590064, 1.0052589676941592, 3.0838856104922208};

// P3a in r = 1/t, for 1 - 2^-16 <= a < 1 - 2^-32.
constexpr double kP3a[] = {
    226.37014086002026, -717.3693150690567, 1048.4243924332807, -937.3286084106923, 573.841309610421,
    -255.64983181351994, 86.44089373999425, -23.38553473132267, 5.846073907770085, -1.6351440034582814,
    -0.025368411245639412, 1.0002916034043825};

// P3b in r = 1/t, for a >= 1 - 2^-32.
constexpr double kP3b[] = {
    240.9773162769091, -477.14863811407923, 431.4908969477823, -236.74308493611196, 88.79309367049859,
    -24.892829982948708, 6.145723927426896, -1.667363560574841, -0.02348750714994167, 1.00024455624101};

static_assert(std::size(kP1) == 16 && std::size(kP2a) == 23 && std::size(kP2b) == 19 &&
                  std::size(kP3a) == 12 && std::size(kP3b) == 10,
              "polynomial degrees 15, 22, 18, 11, 9");

inline double central(double a) { return a * horner(a * a, kP1); }
// The middle interval: w = -log of 1 - a*a fused.
inline double middle_log_argument(double a) { return std::fma(-a, a, 1.0); }
inline double middle_log_piece(double a, double w) { return a * horner(w - kCentreA, kP2a); }
inline double middle_root_piece(double a, double root_w) { return a * horner(root_w - kCentreB, kP2b); }
// The tail: t = sqrt(-log(1 - a)).
inline double tail_log_argument(double a) { return 1.0 - a; }
inline double tail_piece(double a, double t)
{
    const double r = 1.0 / t;
    return t * (a < kFarTailStart ? horner(r, kP3a) : horner(r, kP3b));
}

// The fixed results for a >= 1 and the sign of x.
inline double result(double x, double a, double b)
{
    if (a > 1.0) b = as_double(kQuietNan);
    if (a == 1.0) b = as_double(kPlusInfinity);
    return as_double((bits_of(b) & ~kSignBit) | (bits_of(x) & kSignBit));
}

}  // namespace erfinv_parts

// ---------------------------------------------------------------------------
// erfcinvf
// ---------------------------------------------------------------------------
namespace erfcinvf_parts {

constexpr float kUpperStart = 0.625f;  // above it: erfinvf(1 - x)
constexpr float kMiddleStart = 0x1p-10f;
constexpr float kFarStart = 0x1p-42f;  // at or below it: Tf2
constexpr float kMiddleCentre = 3.125f;

constexpr std::uint32_t kQuietNan = 0x7fc00000u;
constexpr std::uint32_t kPlusInfinity = 0x7f800000u;
constexpr std::uint32_t kMinusInfinity = 0xff800000u;

// Mf in u, for 2^-10 < x <= 0.625.
constexpr float kMf[] = {6.964909e-10f,   -4.6472053e-09f, -2.5507902e-08f, 4.2635938e-07f,
                         -1.3819762e-06f, -1.38909845e-05f, 0.0001867688f,  -0.00074069074f,
                         -0.006033697f,   0.24015817f,      1.6536546f};

// Tf1 in r = 1/t, for 2^-42 < x <= 2^-10; Tf2 below.
constexpr float kTf1[] = {-1.3403643f, 2.9951558f, -3.194252f, 2.3481567f, -1.2266833f, -0.053995334f, 1.0011963f};
constexpr float kTf2[] = {-22.288187f, 24.978754f, -13.03355f, 4.7596188f, -1.5686727f, -0.027375441f, 1.0003089f};

static_assert(std::size(kMf) == 11 && std::size(kTf1) == 7 && std::size(kTf2) == 7, "polynomial degrees 10, 6, 6");

// The middle range: u = -logf of x*(2 - x), minus the centre.
inline float middle_log_argument(float x) { return x * (2.0f - x); }
inline float middle_piece(float x, float log_value)
{
    const float u = -log_value - kMiddleCentre;
    const float p = horner(u, kMf);
    return std::fma(-x, p, p);
}
// The small range: t = sqrtf(-logf(x)).
inline float small_piece(float x, float t)
{
    const float r = 1.0f / t;
    return t * (x > kFarStart ? horner(r, kTf1) : horner(r, kTf2));
}

// The fixed results outside (0, 2).
inline float result(float x, float b)
{
    if (x < 0.0f || x > 2.0f) b = as_float(kQuietNan);
    if (x == 0.0f) b = as_float(kPlusInfinity);
    if (x == 2.0f) b = as_float(kMinusInfinity);
    return b;
}

}  // namespace erfcinvf_parts

// ---------------------------------------------------------------------------
// erfcinv
// ---------------------------------------------------------------------------
namespace erfcinv_parts {

constexpr double kUpperStart = 0.625;  // above it: erfinv(1 - x)
constexpr double kMiddleStart = 0x1p-10;
constexpr double kMiddleCentre = 3.125;

constexpr std::uint64_t kQuietNan = 0x7ff8000000000000ull;
constexpr std::uint64_t kPlusInfinity = 0x7ff0000000000000ull;
constexpr std::uint64_t kMinusInfinity = 0xfff0000000000000ull;

// M in u, for 2^-10 < x <= 0.625.
constexpr double kM[] = {
    1.8158593057110464e-21, -1.7886964112259085e-19, 1.0135985323882973e-18, 1.1641976071025385e-17,
    -1.2744860847450942e-16, 1.1297165551001938e-17, 6.566062813959028e-15, -4.04376330161323e-14,
    -8.097657803569213e-14, 2.6327714159544447e-12, -1.2977780904195795e-11, -5.4150946082432624e-11,
    1.0512205802652929e-09, -4.112642514573121e-09, -2.9070386232675853e-08, 4.2347879202270587e-07,
    -1.3654691814486083e-06, -1.3882523374901813e-05, 0.0001867342080230919, -0.0007407025341613937,
    -0.006033670871427627, 0.24015818242558906, 1.6536545626831027};

// T1..T7 in r = 1/t; T1 just below 2^-10, each next one below the next threshold.
constexpr double kT1[] = {
    24.70238933207481, -100.12090175346495, 187.17541128662916, -214.0667073715471, 167.59288177139877,
    -95.37218742082877, 41.11239768400247, -14.195127990464226, 4.53681383553723, -1.5103252386134252,
    -0.032535625785410964, 1.0004793886865362};
constexpr double kT2[] = {
    543.7242445873104, -1564.2167154580154, 2074.882064943291, -1683.3089166272011, 935.0209625883408,
    -377.9761107800842, 116.0136930482503, -28.488739103572424, 6.462099946697223, -1.6846859524546098,
    -0.022979449954527758, 1.000239275329698};
constexpr double kT3[] = {
    14652.71527692748, -29209.520733293983, 26849.675495075397, -15095.902127231462, 5812.08932557573,
    -1629.3712042019797, 347.3395680027686, -59.30936106518735, 9.363565008782265, -1.86853080891117,
    -0.015922565689781922, 1.0001149697023164};
constexpr double kT4[] = {
    523590.16687016195, -703503.487399419, 435524.423936711, -164785.8849290767, 42661.119630028115,
    -8036.062118975815, 1150.7406805177163, -132.0241458450296, 14.021266461531447, -2.0696972002042857,
    -0.010649108616136676, 1.0000514066655275};
constexpr double kT5[] = {
    -1922383.0029238167, 1590631.070300469, -603720.337447008, 139466.01409715475, -21993.196617152556,
    2533.192357865849, -227.54468207273007, 18.574111396618225, -2.213092342564479, -0.007952630386741603,
    1.0000284089064473};
constexpr double kT6[] = {
    -37954162.2964982, 21668603.63480721, -5671567.897714755, 903025.7682453068, -98092.87768880982,
    7778.6683928797065, -480.926412929461, 27.047217388262556, -2.40086680053864, -0.005462051386506565,
    1.0000133955947892};
constexpr double kT7[] = {
    -3870.7205962473226, 1187.4011740026522, -170.6486579646886, 17.35593188551862, -2.208279485855702,
    -0.007667555294849481, 1.000024483945547};

static_assert(std::size(kM) == 23 && std::size(kT1) == 12 && std::size(kT2) == 12 && std::size(kT3) == 12 &&
                  std::size(kT4) == 12 && std::size(kT5) == 11 && std::size(kT6) == 11 && std::size(kT7) == 7,
              "polynomial degrees 22, 11 (T1..T4), 10 (T5, T6), 6 (T7)");

// The thresholds of T1..T6: T_k serves x above kSmallThresholds[k - 1] (and at
// or below the one before); T7 serves the rest.
constexpr double kSmallThresholds[] = {0x1p-19, 0x1p-40, 0x1p-82, 0x1p-200, 0x1p-400, 0x1p-900};
constexpr int kSmallPieces = 7;

// The index (0 for T1 .. 6 for T7) of the small-range polynomial for x: the
// number of thresholds that x does not exceed (all of them for a NaN).
template <typename Index = int>
inline Index small_piece_index(double x)
{
    Index k = 0;
    for (double threshold : kSmallThresholds) k += !(x > threshold) ? 1 : 0;
    return k;
}

inline double small_polynomial(int k, double r)
{
    switch (k) {
    case 0: return horner(r, kT1);
    case 1: return horner(r, kT2);
    case 2: return horner(r, kT3);
    case 3: return horner(r, kT4);
    case 4: return horner(r, kT5);
    case 5: return horner(r, kT6);
    default: return horner(r, kT7);
    }
}

// The middle range: u = -log of x*(2 - x), minus the centre.
inline double middle_log_argument(double x) { return x * (2.0 - x); }
inline double middle_piece(double x, double log_value)
{
    const double u = -log_value - kMiddleCentre;
    const double p = horner(u, kM);
    return std::fma(-x, p, p);
}

// The fixed results outside (0, 2).
inline double result(double x, double b)
{
    if (x < 0.0 || x > 2.0) b = as_double(kQuietNan);
    if (x == 0.0) b = as_double(kPlusInfinity);
    if (x == 2.0) b = as_double(kMinusInfinity);
    return b;
}

}  // namespace erfcinv_parts

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_ERFINV_KERNELS_H
