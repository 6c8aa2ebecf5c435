// erfcx and erfcxf: the pieces and their tables, and the one body that
// computes them on lanes (base/lanes.h), for the exported scalar functions and
// their array forms alike (erfcxD.cpp and erfcxF.cpp state the method and the
// errors).  One body serves both precisions; the tables and bounds of each
// stand apart in ErfcxTable.  The exponentials are the maths core's.
#ifndef HOSTMATH_SPECIAL_ERFCX_H
#define HOSTMATH_SPECIAL_ERFCX_H

#include "base/bits.h"
#include "base/lanes.h"
#include "math/core.h"

#include <cmath>
#include <cstddef>

namespace hostmath {
namespace detail {

template <typename T>
struct ErfcxTable;

template <>
struct ErfcxTable<float> {
    static constexpr float kNearZero[] = {
        -0.000716852f, 0.0022474362f, -0.0034369775f, 0.0071384767f, -0.018911073f,
        0.042442564f,  -0.08615535f,  0.16641977f,    -0.3008379f,   0.5000351f,
        -0.75226116f,  0.9999984f,    -1.1283789f,    1.0f,
    };
    // (1 + 2a) erfcx(a) in t = (a - 4)/(a + 4).
    static constexpr float kScaledMiddle[] = {
        0.004160764f, -0.016725074f, 0.037807096f, -0.06619728f, 0.093559995f,
        -0.101052746f, 0.0681149f,   0.015380171f, -0.13962162f, 1.2329952f,
    };
    static constexpr float kAsymptoticStart = 32.0f;
    static constexpr float kInvSqrtPi = 0.5641896f;  // 0x3f106ebb
    static constexpr float kOverflowBelow = -10.0f;
};

template <>
struct ErfcxTable<double> {
    // erfcx about 0, in x: 1 - (2/sqrt(pi)) x + x^2 - (4/(3 sqrt(pi))) x^3 + ...
    static constexpr double kNearZero[] = {
        2.979141496506632e-09,   -1.1934903606514988e-08, 2.359062571801683e-08,  -7.067201754378211e-08,
        2.7579182255212133e-07,  -9.037586366686325e-07,  2.7581465613363794e-06, -8.361346333241178e-06,
        2.479776380461176e-05,   -7.126761340891669e-05,  0.00019841569527264294, -0.0005343946306393893,
        0.0013888874789144033,   -0.003473607754594877,   0.008333333746145767,   -0.019104832104891653,
        0.04166666659296896,     -0.08597174610574565,    0.16666666667415525,    -0.3009011112228008,
        0.49999999999962597,     -0.7522527780637539,     1.0000000000000064,     -1.128379167095512,
        1.0,
    };
    // (1 + 2a) erfcx(a) in t = (a - 4)/(a + 4); the constant term is 9 erfcx(4).
    static constexpr double kScaledMiddle[] = {
        1.4981549849751461e-09, -6.9954933359042386e-09, -1.5965692247743743e-08, 9.296713236341443e-08,
        7.0214215034531e-08,    -8.020495874042108e-07,  2.9923810132862424e-07,  5.689573987185115e-06,
        -1.1226090578381134e-05, -2.438781785281914e-05, 0.00015062360829881126,  -0.00019926094025574418,
        -0.0007577738760613681, 0.005031970998360601,    -0.01619773394678841,    0.03716751538709987,
        -0.06633036582443512,   0.09373283501069885,     -0.10103906603561565,    0.06809705425422367,
        0.015379652102604634,   -0.13962111684055725,    1.2329951186255526,
    };
    static constexpr double kAsymptoticStart = 5120.0;  // 0x40b4000000000000
    static constexpr double kInvSqrtPi = 0.5641895835477563;  // 0x3fe20dd750429b6d
    static constexpr double kOverflowBelow = -27.0;
};

// Shared by both precisions: the middle range starts at 1 and is centred on 4
// (t = 0 there); the asymptotic form keeps the device's 0.375 for the b^2
// term; the reflection applies from -1 down.
constexpr double kErfcxMiddleStart = 1.0;
constexpr double kErfcxCentre = 4.0;
constexpr double kErfcxSecondTerm = -0.5;
constexpr double kErfcxThirdTerm = 0.375;
constexpr double kErfcxReflectFrom = -1.0;

template <typename T>
inline T erfcx_near_zero(T x) { return horner(x, ErfcxTable<T>::kNearZero); }
template <typename T>
inline T erfcx_middle(T a)
{
    const T t = (a - T(kErfcxCentre)) / (a + T(kErfcxCentre));
    return horner(t, ErfcxTable<T>::kScaledMiddle) / std::fma(a, T(2), T(1));
}
template <typename T>
inline T erfcx_asymptotic(T x)
{
    const T b = T(1) / (x * x);
    return (ErfcxTable<T>::kInvSqrtPi / x) * std::fma(b, std::fma(b, T(kErfcxThirdTerm), T(kErfcxSecondTerm)), T(1));
}

// The range of the magnitude a = |x| (a NaN takes the asymptotic form), and
// the value from it.
template <typename T>
inline bool erfcx_uses_near_zero(T a) { return a < T(kErfcxMiddleStart); }
template <typename T>
inline bool erfcx_uses_asymptotic(T a) { return !(a < ErfcxTable<T>::kAsymptoticStart); }
template <typename T>
inline bool erfcx_reflects(T x) { return x <= T(kErfcxReflectFrom); }

// x <= -1: 2 exp(x^2) - r, with exp(x^2) passed in as exp(s) * exp(e), where
// s + e = x^2 exactly (s the rounded square, e its error).
template <typename T>
inline T erfcx_square_head(T a) { return a * a; }
template <typename T>
inline T erfcx_square_tail(T a, T s) { return std::fma(a, a, -s); }
template <typename T>
inline T erfcx_reflected(T x, T r, T exp_square)
{
    const T w = std::fma(exp_square, T(2), -r);
    return x < ErfcxTable<T>::kOverflowBelow ? infinity_of<T>() : w;
}

// erfcx(x): the value from the magnitude, reflected for x <= -1.
// erfcx on the lanes of L: each magnitude's piece on its lanes, then the
// reflection for x <= -1 with exp(s) * exp(e), s + e = x*x exactly; lanes
// that do not reflect take the exponentials of 0.
struct Erfcx {
    static constexpr double kPad = 0;

    template <class L, typename T>
    static HOSTMATH_ALWAYS_INLINE void run(const T (&x)[L::kCount], T (&y)[L::kCount])
    {
        constexpr std::size_t N = L::kCount;
        T a[N], r[N], s[N], e[N];
        LaneFlag<T> near[N], middle[N], far[N], reflects[N];

        for (std::size_t i = 0; i < N; ++i) {
            a[i] = std::fabs(x[i]);
            near[i] = erfcx_uses_near_zero(a[i]) ? 1 : 0;
            far[i] = erfcx_uses_asymptotic(a[i]) ? 1 : 0;
            middle[i] = near[i] ^ far[i] ^ 1u;
            reflects[i] = erfcx_reflects(x[i]) ? 1 : 0;
            r[i] = 0;
        }
        take_piece<L>(near, r, [&](std::size_t i) { return erfcx_near_zero(x[i]); });
        take_piece<L>(middle, r, [&](std::size_t i) { return erfcx_middle(a[i]); });
        take_piece<L>(far, r, [&](std::size_t i) { return erfcx_asymptotic(x[i]); });
        if (!any_lane<L>(reflects)) {
            for (std::size_t i = 0; i < N; ++i) y[i] = r[i];
            return;
        }
        for (std::size_t i = 0; i < N; ++i) {
            const T head = erfcx_square_head(a[i]);
            const T tail = erfcx_square_tail(a[i], head);
            s[i] = reflects[i] != 0 ? head : T(0);
            e[i] = reflects[i] != 0 ? tail : T(0);
        }
        T exp_s[N], exp_e[N];
        core::exp_of<L>(s, exp_s);
        core::exp_of<L>(e, exp_e);
        for (std::size_t i = 0; i < N; ++i) {
            const T w = erfcx_reflected(x[i], r[i], exp_s[i] * exp_e[i]);
            y[i] = reflects[i] != 0 ? w : r[i];
        }
    }
};

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_SPECIAL_ERFCX_H
