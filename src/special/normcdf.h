// normcdf and normcdff: the pieces, their bounds and their tables, and the one
// body that computes them on lanes (base/lanes.h), for the exported scalar
// functions and their array forms alike (normcdfD.cpp and normcdfF.cpp state
// the method and the errors).  One body serves both precisions; the tables
// and bounds of each stand apart in NormcdfTable.  The exponentials of the
// lower tail are the maths core's.
#ifndef HOSTMATH_SPECIAL_NORMCDF_H
#define HOSTMATH_SPECIAL_NORMCDF_H

#include "base/bits.h"
#include "base/lanes.h"
#include "math/core.h"

#include <cmath>

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace hostmath {
namespace detail {

template <typename T>
struct NormcdfTable;

template <>
struct NormcdfTable<float> {
    static constexpr float kCentral[] = {5.3684647e-07f, -9.273142e-06f, 0.00011531932f, -0.001187288f,
                                  0.00997355f,    -0.06649038f,   0.3989423f};
    static constexpr float kAboutOne[] = {-0.00016208537f, 0.0011762485f, -0.0023225206f, -0.003931896f, 0.02017173f,
                                   -1.5206643e-05f, -0.12098158f,  0.24197043f,    0.8413448f};
    static constexpr float kAboutTwoAndHalf[] = {-0.00015861986f, 0.0015604469f, -0.0066046133f, 0.015614152f,
                                          -0.021967005f,   0.017532732f,  0.99379027f};
    static constexpr float kUpperTailRoot[] = {0.0018726295f, 0.003138668f, -0.13835078f, 0.52335525f};
    static constexpr float kAboutMinusOneAndHalf[] = {-0.00079845596f, -0.000797974f, 0.00583903f,  -0.006066673f,
                                               -0.026979739f,   0.097138666f,  -0.12951757f, 0.0668072f};
    static constexpr float kSecondLower[] = {0.00010274892f, 0.0005102253f, -0.0002776665f,
                                               -0.0005397372f, 0.005973049f,  -0.015330694f,
                                               0.021910913f,   -0.017528284f, 0.0062096654f};
    static constexpr float kThirdLower[] = {-4.6895755e-05f, -9.0153935e-06f, 0.00017760637f,
                                                    -0.0008707352f,  0.0020768277f,   -0.003233925f,
                                                    0.0032971955f,   -0.0020290483f,  0.00057702506f};
    static constexpr float kTailNear[] = {252.84586f, -153.47794f, 46.27603f, -10.36241f, 2.4385316f, -0.9988822f, -0.0048849373f};
    static constexpr float kTailFar[] = {1996.4198f, -518.1237f, 80.45583f, -12.210141f, 2.4988828f, -0.99999475f, -0.0048760427f};
    static constexpr float kLowerQuartile = -0.67448974f;  // 0xbf2cab5c
    static constexpr float kSaturatesToOne = 5.296875f;    // 0x40a98000
    static constexpr float kLowerBounds[] = {-1.5f, -2.5f, -3.25f, -14.125f};
    static constexpr float kTailSplit = -5.0f;
    static constexpr std::uint32_t kKeepHighBits = 0xffffe000u;  // c * c exact
};

template <>
struct NormcdfTable<double> {
    static constexpr double kCentral[] = {
        -9.020280357755311e-11, 2.2268133288377912e-09, -4.117259391928247e-08, 6.659311873170166e-07,
        -9.444639510715703e-06, 0.00011543468312708647, -0.0011873282147876255, 0.009973557009981386,
        -0.06649038006690379,   0.39894228040143265,
    };
    static constexpr double kAboutOne[] = {
        1.906723080046361e-09,  -3.953797192155309e-08, 3.0972052204334885e-07, -1.0582912460397376e-06,
        4.7204808893014127e-07, 6.239564430547082e-06,  -8.59833432269239e-07,  -8.868874100893533e-05,
        0.00012035751081534254, 0.000768039761200225,   -0.002016390854269828,  -0.004032851224300786,
        0.020164227743317817,   -5.109279718652441e-11, -0.12098536225761124,   0.2419707245191136,
        0.841344746068543,
    };
    static constexpr double kAboutTwoAndHalf[] = {
        -1.5964331144355377e-10, -3.069617457257754e-10,  2.5092650308467905e-08, -2.0382897334980806e-07,
        6.752351532441075e-07,   -1.1539732426697938e-07, -6.7191825741950815e-06, 1.7888763504706597e-05,
        2.7152205077729535e-05,  -0.00026276445571815876, 0.0005135310312892826,  0.0006664393652152351,
        -0.005934059912701021,   0.015337262920708352,    -0.021910375616523987,  0.017528300493561775,
        0.9937903346742238,
    };
    static constexpr double kUpperTailRoot[] = {
        -9.375044826980515e-12,  1.894763408200166e-10,  -2.916572728011491e-10, -2.127443205902363e-08,
        5.860164543978361e-08,   3.1520607089772347e-06, -2.4692662690245198e-05, -0.00016674540869187384,
        0.0024135883791750992,   0.0026602097019995693,  -0.13821675856963853,    0.5233492043899404,
    };
    static constexpr double kAboutMinusOneAndHalf[] = {
        -9.126128734399226e-08, -1.531387456151108e-07, 1.5615405938256962e-06, 8.291314140009332e-07,
        -1.910413152821666e-05, 2.5173901680675523e-05, 0.0001750926788579552,  -0.0005577110508966502,
        -0.0006577036675549865, 0.0058687664400006384,  -0.006071137263300861,  -0.026982832428659505,
        0.09713819674946528,    -0.12951759566589124,   0.06680720126885807,
    };
    static constexpr double kSecondLower[] = {
        3.591028261363103e-08,  -7.653263583306882e-08, -8.294063164641807e-07, 1.6362669355871843e-06,
        4.6120656379303234e-06, -3.370914398678084e-05, 3.2041975186170456e-05, 0.0002637034200405671,
        -0.0009914775404953951, 0.00046183662763511475, 0.006137159233737173,   -0.021490389264095824,
        0.03570710831511725,    -0.031739651835667494,  0.012224472655044703,
    };
    static constexpr double kThirdLower[] = {
        1.0272513298625397e-07,  -1.665043660407096e-07, -1.097012200670497e-06, 5.041531606351452e-06,
        -2.5047872336128007e-06, -4.92779382958729e-05,  0.0001805148136632099,  -0.00011925689843054247,
        -0.0011227826447306154,  0.004753991333290876,   -0.009946083986134955,  0.01250364843968733,
        -0.009093562501591055,   0.002979763235054557,
    };
    static constexpr double kTailNear[] = {
        34674647.38109586,  -53255226.632945485, 38451684.27961133,   -17382960.740889587, 5535407.83476519,
        -1327320.8051988594, 251222.18216333174, -39142.62572809476,  5268.606533142737,   -654.8487191790897,
        82.84034620585797,  -12.193541091916972, 2.497415296825204,   -0.999969758051035,  -0.004876200773996201,
    };
    static constexpr double kTailFar[] = {
        8.073666785025381e+17,  -5.5016006041984403e+17, 1.7624857056474534e+17, -3.5388794084991056e+16,
        5016802389932593.0,     -537572766791759.1,      45700745583313.086,     -3214540748642.629,
        195431829946.7264,      -10804306289.671415,     576058163.8099663,      -31469364.962954752,
        1853540.9098988187,     -121976.32346989552,     9200.493206588288,      -816.1983693928008,
        88.24999453157311,      -12.333333321230379,     2.4999999999837414,     -0.9999999999999885,
        -0.004876033204672745,
    };
    static constexpr double kLowerQuartile = -0.6744897501960817;  // 0xbfe5956b87528a49
    static constexpr double kSaturatesToOne = 8.2109375;           // 0x40206c0000000000
    static constexpr double kLowerBounds[] = {-1.5, -2.25, -2.75, -38.46875};
    static constexpr double kTailSplit = -4.0;
    static constexpr std::uint64_t kKeepHighBits = 0xffffffff00000000u;  // c * c exact
};

// The pieces are cut at the lower quartile q.  Above it each piece starts at
// a bound (1, 2.5, 4, then the saturation to 1); at and below it each piece
// ends at a bound of kLowerBounds (the last the saturation to 0), which is also
// the next lower piece's centre.  The lower tail's exponentials both take
// -0.9140625 of ln(2 pi)/2 (exact in both precisions).
constexpr double kNormcdfUpperBounds[] = {1.0, 2.5, 4.0};
constexpr double kNormcdfHalfLogTwoPiHead = -0.9140625;

// The pieces in the order of the chain of tests, upper side first.
enum NormcdfPiece : int {
    kCentralPiece,               // (q, 1)
    kAboutOnePiece,              // [1, 2.5)
    kAboutTwoAndHalfPiece,       // [2.5, 4)
    kUpperTailPiece,             // [4, saturation)
    kOnePiece,                   // from the saturation to 1
    kAboutMinusOneAndHalfPiece,  // (-1.5, q]
    kSecondLowerPiece,           // (second bound, -1.5]
    kThirdLowerPiece,            // (third bound, second bound]
    kLowerTailPiece,             // (saturation to 0, third bound]
    kZeroPiece,                  // up to the saturation to 0, and NaN
    kNormcdfPieces
};

// The piece of x.  Above q the bounds rise and x is not a NaN; at and below
// it they fall, and a NaN exceeds none of them.  So the piece is the number of
// bounds x has reached, counted from the first piece of its side; Index is the
// integer type to count in.
template <typename Index = int, typename T>
inline Index normcdf_piece_of(T x)
{
    // Written out rather than as loops over the bounds: the array blocks call
    // this inside their lane loops, which an inner loop keeps from vectorising.
    using P = NormcdfTable<T>;
    constexpr const double* up = kNormcdfUpperBounds;
    constexpr const T* low = P::kLowerBounds;
    const Index upper = static_cast<Index>((x >= T(up[0])) + (x >= T(up[1])) + (x >= T(up[2])) + (x >= P::kSaturatesToOne));
    const Index lower = static_cast<Index>(kAboutMinusOneAndHalfPiece + !(x > low[0]) + !(x > low[1]) + !(x > low[2]) +
                                           !(x > low[3]));
    return x > P::kLowerQuartile ? upper : lower;
}

// The lower tail, -x^2/2 - ln(2 pi)/2 + L(1/x^2) split over two exponentials:
// c is x with its low bits cleared (c * c exact), u = -(x - c)(x + c)/2 + L
// with the rest of the constant, v = -c^2/2 - 0.9140625; the value is
// (exp(u) / -x) * exp(v).  The exponentials are taken by the caller.
template <typename T>
inline void normcdf_tail_exponents(T x, T& u, T& v)
{
    using P = NormcdfTable<T>;
    const T a = T(1) / (x * x);
    const T r = x > P::kTailSplit ? horner(a, P::kTailNear) : horner(a, P::kTailFar);
    const T c = real_from_bits(bits_of(x) & P::kKeepHighBits);
    u = std::fma(x - c, T(-0.5) * (x + c), r);
    v = std::fma(c, T(-0.5) * c, T(kNormcdfHalfLogTwoPiHead));
}
template <typename T>
inline T normcdf_tail(T x, T exp_u, T exp_v) { return (exp_u / -x) * exp_v; }

// The value of piece K at x, for every piece but the lower tail, whose
// exponentials the callers take.  Each lower piece's variable is its lower
// bound minus x; the upper tail is 1 - (q^8)^2 in one rounding, q the
// polynomial for the sixteenth root of 1 - Phi(x) in x - 4.
template <int K, typename T>
inline T normcdf_piece(T x)
{
    using P = NormcdfTable<T>;
    static_assert(K != kLowerTailPiece, "the lower tail takes its exponentials apart");
    if constexpr (K == kCentralPiece) return std::fma(x, horner(x * x, P::kCentral), T(0.5));
    else if constexpr (K == kAboutOnePiece) return horner(x - T(kNormcdfUpperBounds[0]), P::kAboutOne);
    else if constexpr (K == kAboutTwoAndHalfPiece) return horner(x - T(kNormcdfUpperBounds[1]), P::kAboutTwoAndHalf);
    else if constexpr (K == kUpperTailPiece) {
        const T q = horner(x - T(kNormcdfUpperBounds[2]), P::kUpperTailRoot);
        const T q2 = q * q;
        const T q4 = q2 * q2;
        const T q8 = q4 * q4;
        return std::fma(-q8, q8, T(1));
    }
    else if constexpr (K == kOnePiece) return T(1);
    else if constexpr (K == kAboutMinusOneAndHalfPiece) return horner(P::kLowerBounds[0] - x, P::kAboutMinusOneAndHalf);
    else if constexpr (K == kSecondLowerPiece) return horner(P::kLowerBounds[1] - x, P::kSecondLower);
    else if constexpr (K == kThirdLowerPiece) return horner(P::kLowerBounds[2] - x, P::kThirdLower);
    else return isnan(x) ? x : T(0);  // the zero piece: +0, and a NaN returned bit for bit
}

// Calls f(std::integral_constant<int, K>) for each piece K but the lower tail.
template <int K, typename F>
HOSTMATH_ALWAYS_INLINE void call_unless_lower_tail(F& f)
{
    if constexpr (K != kLowerTailPiece) f(std::integral_constant<int, K>{});
}
template <typename F, int... K>
HOSTMATH_ALWAYS_INLINE void for_each_normcdf_piece(F f, std::integer_sequence<int, K...>)
{
    (call_unless_lower_tail<K>(f), ...);
}
template <typename F>
HOSTMATH_ALWAYS_INLINE void for_each_normcdf_piece(F f)
{
    for_each_normcdf_piece(f, std::make_integer_sequence<int, kNormcdfPieces>{});
}

// Phi(x): the piece of x, and its value.
// normcdf on the lanes of L: every piece on its lanes, then the lower tail's
// exponentials (of 0 on the other lanes).  A block of double lanes is first
// grouped by piece, so that each of the many long polynomials runs only on
// the vectors that hold its lanes; one lane, or float lanes, take each piece
// where it is needed.
struct Normcdf {
    static constexpr double kPad = 0;

    template <class L, typename T>
    static HOSTMATH_ALWAYS_INLINE void run(const T (&x)[L::kCount], T (&y)[L::kCount])
    {
        constexpr std::size_t N = L::kCount;
        LaneFlag<T> piece[N], tail[N];
        for (std::size_t i = 0; i < N; ++i) {
            piece[i] = normcdf_piece_of<LaneFlag<T>>(x[i]);
            tail[i] = piece[i] == kLowerTailPiece ? 1 : 0;
        }
        if constexpr (N == kBlockLanes && sizeof(T) == 8) {
            pieces_by_groups(x, piece, y);
        } else {
            for (std::size_t i = 0; i < N; ++i) y[i] = 0;
            for_each_normcdf_piece([&](auto k) {
                LaneFlag<T> lane_of_k[N];
                for (std::size_t i = 0; i < N; ++i) lane_of_k[i] = piece[i] == k.value ? 1 : 0;
                take_piece<L>(lane_of_k, y, [&](std::size_t i) { return normcdf_piece<k.value>(x[i]); });
            });
        }
        if (!any_lane<L>(tail)) return;
        T u[N], v[N];
        for (std::size_t i = 0; i < N; ++i) {
            T ui, vi;
            normcdf_tail_exponents(x[i], ui, vi);
            u[i] = tail[i] != 0 ? ui : T(0);
            v[i] = tail[i] != 0 ? vi : T(0);
        }
        T exp_u[N], exp_v[N];
        core::exp_of<L>(u, exp_u);
        core::exp_of<L>(v, exp_v);
        take_piece<L>(tail, y, [&](std::size_t i) { return normcdf_tail(x[i], exp_u[i], exp_v[i]); });
    }

private:
    // The pieces other than the lower tail, on a block grouped by piece.
    template <typename T, typename Flag>
    static HOSTMATH_ALWAYS_INLINE void pieces_by_groups(const T (&x)[kBlockLanes], const Flag (&piece)[kBlockLanes],
                                                        T (&y)[kBlockLanes])
    {
        LaneGroups<kNormcdfPieces> groups;
        group_by_piece(piece, groups);
        T xs[kBlockLanes], ys[kBlockLanes];
        for (std::size_t j = 0; j < kBlockLanes; ++j) {
            xs[j] = x[groups.lane[j]];
            ys[j] = 0;
        }
        for_each_normcdf_piece([&](auto k) {
            if (groups.start[k.value] < groups.start[k.value + 1])
                evaluate_group(groups.start[k.value], groups.start[k.value + 1], ys,
                               [&](std::size_t j) { return normcdf_piece<k.value>(xs[j]); });
        });
        for (std::size_t j = 0; j < kBlockLanes; ++j) y[groups.lane[j]] = ys[j];
    }
};

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_SPECIAL_NORMCDF_H
