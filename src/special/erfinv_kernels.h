// erfinv, erfinvf, erfcinv and erfcinvf: the pieces and their tables, shared
// by the exported functions (erfinvD.cpp ... erfcinvF.cpp, which state the
// method and the errors) and the array forms, so that both compute every
// result with the same operations.  One body serves both precisions; each
// precision's tables and bounds stand apart in ErfinvTable and ErfcinvTable.
// The calls to the system log and sqrt sit between the pieces.
#ifndef HOSTMATH_ERFINV_KERNELS_H
#define HOSTMATH_ERFINV_KERNELS_H

#include "base/bits.h"

#include <cstdint>
#include <iterator>
#include <type_traits>
#include <utility>

namespace hostmath {
namespace detail {

// ---------------------------------------------------------------------------
// erfinv: on a = |x|, a * P(a*a) below kSmallEnd; then a * P(w) with
// w = -log(1 - a*a): one polynomial in w - kCentreA below kLogSplit, another
// in sqrt(w) - kCentreB from there; in double precision, from kTailStart on,
// t * P(1/t) with t = sqrt(-log(1 - a)).
// ---------------------------------------------------------------------------

template <typename T>
struct ErfinvTable;

template <>
struct ErfinvTable<float> {
    static constexpr float kSmallEnd = 0.375f;
    static constexpr float kLogSplit = 5.0f;
    static constexpr float kCentreA = 2.5f;
    static constexpr float kCentreB = 3.0f;
    static constexpr bool kHasTail = false;

    // Q1 in s = a*a, for a < 0.375.
    static constexpr float kSmall[] = {0.16050489f, -0.025547752f, 0.08732672f, 0.083375625f,
                             0.1277663f,  0.23200852f,   0.88622695f};

    // Q2a in u = w - 2.5, for w < 5.
    static constexpr float kLog[] = {2.8102264e-08f, 3.4327394e-07f, -3.5233877e-06f, -4.3915065e-06f, 0.00021858087f,
                              -0.001253725f,  -0.0041776816f, 0.24664073f,     1.5014094f};

    // Q2b in v = sqrtf(w) - 3, for w >= 5.
    static constexpr float kRoot[] = {-0.00020021426f, 0.00010095056f, 0.0013493432f, -0.0036734284f, 0.0057395077f,
                              -0.0076224613f,  0.0094388705f,  1.001674f,     2.8329768f};
};

template <>
struct ErfinvTable<double> {
    static constexpr double kSmallEnd = 0.375;
    static constexpr double kLogSplit = 6.25;
    static constexpr double kCentreA = 3.125;
    static constexpr double kCentreB = 3.25;
    static constexpr bool kHasTail = true;
    static constexpr double kTailStart = 0x1.fffep-1;         // 1 - 2^-16, bits 0x3fefffe000000000
    static constexpr double kFarTailStart = 0x1.fffffffep-1;  // 1 - 2^-32, bits 0x3fefffffffe00000

    // P1 in s = a*a, for a < 0.375.
    static constexpr double kSmall[] = {
        0.44328318242333137, -0.8661943817201301, 0.9092529172543695, -0.5330512538633155,
        0.2556644003992465, -0.044380381498595606, 0.04290724644491497, 0.0293569436003525,
        0.036729043602235056, 0.04281565343347394, 0.051732442410839546, 0.06495957592844873,
        0.08655213015044917, 0.12755617529524352, 0.23201366653470107, 0.8862269254527579};

    // P2a in u = w - 3.125, for w < 6.25.
    static constexpr double kLog[] = {
        -3.64441206401782e-21, -1.6850591381820166e-19, 1.28584807152564e-18, 1.1157877678025181e-17,
        -1.333171662854621e-16, 2.0972767875968562e-17, 6.637638134358324e-15, -4.054566272975207e-14,
        -8.151934197605472e-14, 2.6335093153082323e-12, -1.2975133253453532e-11, -5.415412054294628e-11,
        1.0512122733215323e-09, -4.112633980346984e-09, -2.9070369957882005e-08, 4.2347877827932404e-07,
        -1.3654692000834679e-06, -1.3882523362786469e-05, 0.00018673420803405714, -0.000740702534166267,
        -0.006033670871430149, 0.24015818242558962, 1.6536545626831027};

    // P2b in v = sqrt(w) - 3.25, for 6.25 <= w (w < 16 below 1 - 2^-16).
    static constexpr double kRoot[] = {
        2.2137376921775787e-09, 9.075656193888539e-08, -2.7517406297064545e-07, 1.8239629214389228e-08,
        1.5027403968909828e-06, -4.013867526981546e-06, 2.9234449089955446e-06, 1.2475304481671779e-05,
        -4.7318229009055734e-05, 6.828485145957318e-05, 2.4031110387097894e-05, -0.0003550375203628475,
        0.0009532893797373805, -0.0016882755560235047, 0.002491442096107851, -0.003751208507569241,
        0.005370914553590064, 1.0052589676941592, 3.0838856104922208};

    // P3a in r = 1/t, for 1 - 2^-16 <= a < 1 - 2^-32.
    static constexpr double kTail[] = {
        226.37014086002026, -717.3693150690567, 1048.4243924332807, -937.3286084106923, 573.841309610421,
        -255.64983181351994, 86.44089373999425, -23.38553473132267, 5.846073907770085, -1.6351440034582814,
        -0.025368411245639412, 1.0002916034043825};

    // P3b in r = 1/t, for a >= 1 - 2^-32.
    static constexpr double kFarTail[] = {
        240.9773162769091, -477.14863811407923, 431.4908969477823, -236.74308493611196, 88.79309367049859,
        -24.892829982948708, 6.145723927426896, -1.667363560574841, -0.02348750714994167, 1.00024455624101};
};

template <typename T>
inline T erfinv_central(T a) { return a * horner(a * a, ErfinvTable<T>::kSmall); }
// The argument of the logarithm, 1 - a*a fused; w = -log of it.
template <typename T>
inline T erfinv_log_argument(T a) { return std::fma(-a, a, T(1)); }
template <typename T>
inline T erfinv_log_piece(T a, T w) { return a * horner(w - ErfinvTable<T>::kCentreA, ErfinvTable<T>::kLog); }
template <typename T>
inline T erfinv_root_piece(T a, T root_w) { return a * horner(root_w - ErfinvTable<T>::kCentreB, ErfinvTable<T>::kRoot); }
// The tail (double precision): t = sqrt(-log(1 - a)).
inline double erfinv_tail_log_argument(double a) { return 1.0 - a; }
inline double erfinv_tail_piece(double a, double t)
{
    using P = ErfinvTable<double>;
    const double r = 1.0 / t;
    return t * (a < P::kFarTailStart ? horner(r, P::kTail) : horner(r, P::kFarTail));
}

// The fixed results for a >= 1 (NaN above 1, infinity at 1) and the sign of x.
template <typename T>
inline T erfinv_result(T x, T a, T b)
{
    if (a > T(1)) b = quiet_nan_of<T>();
    if (a == T(1)) b = infinity_of<T>();
    return with_sign_of(b, x);
}

// Every boundary belongs to the interval above it.  Arguments are not
// screened: a > 1, infinities and NaN run through the last interval.
template <typename T>
inline T erfinv_of(T x)
{
    using P = ErfinvTable<T>;
    const T a = std::fabs(x);
    T b;
    if (a < P::kSmallEnd) {
        b = erfinv_central(a);
    } else if (!P::kHasTail || a < T(ErfinvTable<double>::kTailStart)) {
        const T w = -std::log(erfinv_log_argument(a));
        b = w < P::kLogSplit ? erfinv_log_piece(a, w) : erfinv_root_piece(a, std::sqrt(w));
    } else {
        b = static_cast<T>(erfinv_tail_piece(a, std::sqrt(-std::log(erfinv_tail_log_argument(a)))));
    }
    return erfinv_result(x, a, b);
}

// ---------------------------------------------------------------------------
// erfcinv: erfinv(1 - x) above kUpperStart; (1 - x) * M(u) above kMiddleStart,
// u = -log(x*(2 - x)) - kMiddleCentre, the product formed as p - x*p with one
// rounding; below, t * T_k(1/t) with t = sqrt(-log(x)) and T_k the first small
// polynomial whose threshold x exceeds (the last serves the rest).  Each
// threshold belongs to the range below it.
// ---------------------------------------------------------------------------

template <typename T>
struct ErfcinvTable;

template <>
struct ErfcinvTable<float> {
    // Mf in u, for 2^-10 < x <= 0.625.
    static constexpr float kMiddle[] = {6.964909e-10f,   -4.6472053e-09f, -2.5507902e-08f, 4.2635938e-07f,
                             -1.3819762e-06f, -1.38909845e-05f, 0.0001867688f,  -0.00074069074f,
                             -0.006033697f,   0.24015817f,      1.6536546f};

    // Tf1 in r = 1/t, for 2^-42 < x <= 2^-10; Tf2 below.
    static constexpr float kTf1[] = {-1.3403643f, 2.9951558f, -3.194252f, 2.3481567f, -1.2266833f, -0.053995334f, 1.0011963f};
    static constexpr float kTf2[] = {-22.288187f, 24.978754f, -13.03355f, 4.7596188f, -1.5686727f, -0.027375441f, 1.0003089f};
    static constexpr float kSmallThresholds[] = {0x1p-42f};

    template <int K>
    static float small_polynomial(float r)
    {
        if constexpr (K == 0) return horner(r, kTf1);
        else return horner(r, kTf2);
    }
};

template <>
struct ErfcinvTable<double> {
    // M in u, for 2^-10 < x <= 0.625.
    static constexpr double kMiddle[] = {
        1.8158593057110464e-21, -1.7886964112259085e-19, 1.0135985323882973e-18, 1.1641976071025385e-17,
        -1.2744860847450942e-16, 1.1297165551001938e-17, 6.566062813959028e-15, -4.04376330161323e-14,
        -8.097657803569213e-14, 2.6327714159544447e-12, -1.2977780904195795e-11, -5.4150946082432624e-11,
        1.0512205802652929e-09, -4.112642514573121e-09, -2.9070386232675853e-08, 4.2347879202270587e-07,
        -1.3654691814486083e-06, -1.3882523374901813e-05, 0.0001867342080230919, -0.0007407025341613937,
        -0.006033670871427627, 0.24015818242558906, 1.6536545626831027};

    // T1..T7 in r = 1/t; T1 just below 2^-10, each next one below the next threshold.
    static constexpr double kT1[] = {
        24.70238933207481, -100.12090175346495, 187.17541128662916, -214.0667073715471, 167.59288177139877,
        -95.37218742082877, 41.11239768400247, -14.195127990464226, 4.53681383553723, -1.5103252386134252,
        -0.032535625785410964, 1.0004793886865362};
    static constexpr double kT2[] = {
        543.7242445873104, -1564.2167154580154, 2074.882064943291, -1683.3089166272011, 935.0209625883408,
        -377.9761107800842, 116.0136930482503, -28.488739103572424, 6.462099946697223, -1.6846859524546098,
        -0.022979449954527758, 1.000239275329698};
    static constexpr double kT3[] = {
        14652.71527692748, -29209.520733293983, 26849.675495075397, -15095.902127231462, 5812.08932557573,
        -1629.3712042019797, 347.3395680027686, -59.30936106518735, 9.363565008782265, -1.86853080891117,
        -0.015922565689781922, 1.0001149697023164};
    static constexpr double kT4[] = {
        523590.16687016195, -703503.487399419, 435524.423936711, -164785.8849290767, 42661.119630028115,
        -8036.062118975815, 1150.7406805177163, -132.0241458450296, 14.021266461531447, -2.0696972002042857,
        -0.010649108616136676, 1.0000514066655275};
    static constexpr double kT5[] = {
        -1922383.0029238167, 1590631.070300469, -603720.337447008, 139466.01409715475, -21993.196617152556,
        2533.192357865849, -227.54468207273007, 18.574111396618225, -2.213092342564479, -0.007952630386741603,
        1.0000284089064473};
    static constexpr double kT6[] = {
        -37954162.2964982, 21668603.63480721, -5671567.897714755, 903025.7682453068, -98092.87768880982,
        7778.6683928797065, -480.926412929461, 27.047217388262556, -2.40086680053864, -0.005462051386506565,
        1.0000133955947892};
    static constexpr double kT7[] = {
        -3870.7205962473226, 1187.4011740026522, -170.6486579646886, 17.35593188551862, -2.208279485855702,
        -0.007667555294849481, 1.000024483945547};
    static constexpr double kSmallThresholds[] = {0x1p-19, 0x1p-40, 0x1p-82, 0x1p-200, 0x1p-400, 0x1p-900};

    template <int K>
    static double small_polynomial(double r)
    {
        if constexpr (K == 0) return horner(r, kT1);
        else if constexpr (K == 1) return horner(r, kT2);
        else if constexpr (K == 2) return horner(r, kT3);
        else if constexpr (K == 3) return horner(r, kT4);
        else if constexpr (K == 4) return horner(r, kT5);
        else if constexpr (K == 5) return horner(r, kT6);
        else return horner(r, kT7);
    }
};

constexpr double kErfcinvUpperStart = 0.625;  // above it: erfinv(1 - x)
constexpr double kErfcinvMiddleStart = 0x1p-10;
constexpr double kErfcinvMiddleCentre = 3.125;

// The number of small-range polynomials of a precision.
template <typename T>
constexpr int kErfcinvSmallPieces = static_cast<int>(std::size(ErfcinvTable<T>::kSmallThresholds)) + 1;

// The index of the small-range polynomial for x: the number of thresholds
// that x does not exceed (all of them for a NaN).
template <typename Index = int, typename T>
inline Index erfcinv_small_index(T x)
{
    Index k = 0;
    for (T threshold : ErfcinvTable<T>::kSmallThresholds) k = static_cast<Index>(k + !(x > threshold));
    return k;
}

// Calls f(std::integral_constant<int, K>) for each small-range polynomial K.
template <typename T, typename F, int... K>
HOSTMATH_ALWAYS_INLINE void for_each_erfcinv_small(F f, std::integer_sequence<int, K...>)
{
    (f(std::integral_constant<int, K>{}), ...);
}
template <typename T, typename F>
HOSTMATH_ALWAYS_INLINE void for_each_erfcinv_small(F f)
{
    for_each_erfcinv_small<T>(f, std::make_integer_sequence<int, kErfcinvSmallPieces<T>>{});
}

// The middle range: u = -log of x*(2 - x), minus the centre.
template <typename T>
inline T erfcinv_middle_log_argument(T x) { return x * (T(2) - x); }
template <typename T>
inline T erfcinv_middle_piece(T x, T log_value)
{
    const T u = -log_value - T(kErfcinvMiddleCentre);
    const T p = horner(u, ErfcinvTable<T>::kMiddle);
    return std::fma(-x, p, p);
}

// The small range: t * T_k(1/t).
template <typename T>
inline T erfcinv_small_piece(T x, T t)
{
    const int k = erfcinv_small_index(x);
    const T r = T(1) / t;
    T p = T(0);
    for_each_erfcinv_small<T>([&](auto piece) {
        if (k == piece.value) p = ErfcinvTable<T>::template small_polynomial<piece.value>(r);
    });
    return t * p;
}

// The fixed results outside (0, 2): NaN, +infinity at 0, -infinity at 2.
template <typename T>
inline T erfcinv_result(T x, T b)
{
    if (x < T(0) || x > T(2)) b = quiet_nan_of<T>();
    if (x == T(0)) b = infinity_of<T>();
    if (x == T(2)) b = -infinity_of<T>();
    return b;
}

// Arguments are not screened: zero, negatives, infinities and NaN run through
// the range their comparisons select.
template <typename T>
inline T erfcinv_of(T x)
{
    T b;
    if (x > T(kErfcinvUpperStart)) {
        b = erfinv_of(T(1) - x);
    } else if (x > T(kErfcinvMiddleStart)) {
        b = erfcinv_middle_piece(x, std::log(erfcinv_middle_log_argument(x)));
    } else {
        b = erfcinv_small_piece(x, std::sqrt(-std::log(x)));
    }
    return erfcinv_result(x, b);
}

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_ERFINV_KERNELS_H
