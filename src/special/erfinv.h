// erfinv and erfinvf: the tables and pieces of both precisions and the one
// body that computes them on lanes (base/lanes.h), for the exported scalar
// functions and their array forms alike (erfinvD.cpp and erfinvF.cpp state
// the method and the errors).  The logarithm and the square root are those
// of the maths core, taken over the lanes that need them.
#ifndef HOSTMATH_SPECIAL_ERFINV_H
#define HOSTMATH_SPECIAL_ERFINV_H

#include "base/bits.h"
#include "base/lanes.h"
#include "math/core.h"

#include <cmath>
#include <cstddef>

namespace hostmath {
namespace detail {

// ---------------------------------------------------------------------------
// erfinv: on a = |x|, a * P(a*a) below kSmallEnd; then a * P(w) with
// w = -log(1 - a*a): one polynomial in w - kCentreA below kLogSplit, another
// in sqrt(w) - kCentreB from there; in double precision, from kTailStart on,
// t * P(1/t) with t = sqrt(-log(1 - a)).
// ---------------------------------------------------------------------------

// The central piece's end, the same in both precisions.
constexpr double kErfinvSmallEnd = 0.375;

template <typename T>
struct ErfinvTable;

template <>
struct ErfinvTable<float> {
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

// erfinv on the lanes of L: the central piece on the lanes below kSmallEnd,
// w = -log(1 - a*a) (double precision: of 1 - a in the tail, whose piece
// takes t = sqrt(w)) and the pieces in w or sqrt(w) on the others.  Lanes
// that take no logarithm take it of 1.
struct Erfinv {
    static constexpr double kPad = 0;

    template <class L, typename T>
    static HOSTMATH_ALWAYS_INLINE void run(const T (&x)[L::kCount], T (&y)[L::kCount])
    {
        using P = ErfinvTable<T>;
        constexpr std::size_t N = L::kCount;
        T a[N], argument[N], w[N], root[N], b[N];
        LaneFlag<T> central[N], middle[N], tail[N], uses_log[N], middle_log[N], middle_root[N];

        for (std::size_t i = 0; i < N; ++i) {
            a[i] = std::fabs(x[i]);
            uses_log[i] = a[i] < T(kErfinvSmallEnd) ? 0 : 1;
            central[i] = uses_log[i] ^ 1u;
            T of = erfinv_log_argument(a[i]);
            if constexpr (P::kHasTail) {
                middle[i] = a[i] < P::kTailStart ? uses_log[i] : 0;
                of = middle[i] != 0 ? of : erfinv_tail_log_argument(a[i]);
            } else {
                middle[i] = uses_log[i];
            }
            tail[i] = uses_log[i] ^ middle[i];
            argument[i] = uses_log[i] != 0 ? of : T(1);
            w[i] = 0;
        }
        if (any_lane<L>(uses_log)) core::log_of<L>(argument, w);
        for (std::size_t i = 0; i < N; ++i) {
            w[i] = -w[i];
            middle_root[i] = w[i] < P::kLogSplit ? 0 : middle[i];
            middle_log[i] = middle[i] ^ middle_root[i];
            root[i] = std::sqrt(w[i]);
            b[i] = 0;
        }
        take_piece<L>(central, b, [&](std::size_t i) { return erfinv_central(a[i]); });
        take_piece<L>(middle_log, b, [&](std::size_t i) { return erfinv_log_piece(a[i], w[i]); });
        take_piece<L>(middle_root, b, [&](std::size_t i) { return erfinv_root_piece(a[i], root[i]); });
        if constexpr (P::kHasTail) take_piece<L>(tail, b, [&](std::size_t i) { return erfinv_tail_piece(a[i], root[i]); });
        for (std::size_t i = 0; i < N; ++i) y[i] = erfinv_result(x[i], a[i], b[i]);
    }
};

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_SPECIAL_ERFINV_H
