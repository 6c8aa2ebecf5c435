// erfcinv and erfcinvf: the tables and pieces of both precisions and the one
// body that computes them on lanes, for the exported scalar functions and
// their array forms alike (erfcinvD.cpp and erfcinvF.cpp state the method and
// the errors).  Above 0.625 the result is erfinv(1 - x), from the erfinv body.
#ifndef HOSTMATH_SPECIAL_ERFCINV_H
#define HOSTMATH_SPECIAL_ERFCINV_H

#include "special/erfinv.h"

#include <cstddef>
#include <iterator>
#include <type_traits>
#include <utility>

namespace hostmath {
namespace detail {

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

// The fixed results outside (0, 2): NaN, +infinity at 0, -infinity at 2.
template <typename T>
inline T erfcinv_result(T x, T b)
{
    if (x < T(0) || x > T(2)) b = quiet_nan_of<T>();
    if (x == T(0)) b = infinity_of<T>();
    if (x == T(2)) b = -infinity_of<T>();
    return b;
}

// erfcinv on the lanes of L: the erfinv body for the lanes above 0.625 (the
// others with the cheap argument 0); the logarithm of x (2 - x) or of x on
// the rest, and the small range's polynomials T_k on their lanes.  Lanes that
// take no logarithm take it of 1.
struct Erfcinv {
    static constexpr double kPad = 1;

    template <class L, typename T>
    static HOSTMATH_ALWAYS_INLINE void run(const T (&x)[L::kCount], T (&y)[L::kCount])
    {
        constexpr std::size_t N = L::kCount;
        T z[N], argument[N], l[N], t[N], r[N], b[N];
        T e[N] = {};  // erfinv(1 - x), on the upper lanes
        LaneFlag<T> upper[N], middle[N], small[N], uses_log[N], piece[N];

        for (std::size_t i = 0; i < N; ++i) {
            upper[i] = x[i] > T(kErfcinvUpperStart) ? 1 : 0;
            uses_log[i] = upper[i] ^ 1u;
            small[i] = x[i] > T(kErfcinvMiddleStart) ? 0 : 1;
            middle[i] = uses_log[i] ^ small[i];
            z[i] = upper[i] != 0 ? T(1) - x[i] : T(0);
            const T of = middle[i] != 0 ? erfcinv_middle_log_argument(x[i]) : x[i];
            argument[i] = uses_log[i] != 0 ? of : T(1);
            l[i] = 0;
            piece[i] = erfcinv_small_index<LaneFlag<T>>(x[i]);
            b[i] = 0;
        }
        if (any_lane<L>(upper)) Erfinv::run<L>(z, e);
        if (any_lane<L>(uses_log)) core::log_of<L>(argument, l);
        for (std::size_t i = 0; i < N; ++i) {
            t[i] = std::sqrt(-l[i]);
            r[i] = T(1) / t[i];
        }
        take_piece<L>(middle, b, [&](std::size_t i) { return erfcinv_middle_piece(x[i], l[i]); });
        for_each_erfcinv_small<T>([&](auto k) {
            LaneFlag<T> lane_of_k[N];
            for (std::size_t i = 0; i < N; ++i) lane_of_k[i] = piece[i] == k.value ? small[i] : 0;
            take_piece<L>(lane_of_k, b, [&](std::size_t i) {
                return t[i] * ErfcinvTable<T>::template small_polynomial<k.value>(r[i]);
            });
        });
        take_piece<L>(upper, b, [&](std::size_t i) { return e[i]; });
        for (std::size_t i = 0; i < N; ++i) y[i] = erfcinv_result(x[i], b[i]);
    }
};

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_SPECIAL_ERFCINV_H
