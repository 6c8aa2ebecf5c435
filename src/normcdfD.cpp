// Standard normal distribution function Phi(x) = erfc(-x/sqrt(2))/2, double
// precision.
//
// The line is cut at the lower quartile q = -0.6744897501960817 (Phi = 0.25).
// Above it:
//   (q, 1)          0.5 + x P(x^2), the odd expansion about 0, degree 9 in x^2;
//   [1, 2.5)        a polynomial of degree 16 in x - 1;
//   [2.5, 4)        a polynomial of degree 16 in x - 2.5;
//   [4, 8.2109375)  1 - q8^2 with q8 the eighth power of a polynomial of degree
//                   11 in x - 4 (that polynomial is the sixteenth root of the
//                   tail 1 - Phi, so that the tail keeps its relative precision
//                   and is subtracted from 1 in one rounding);
//   from 8.2109375  exactly 1.
// At and below it, each interval owns its upper bound, and its variable is its
// lower bound minus x:
//   (-1.5, q]       degree 14 in -1.5 - x;
//   (-2.25, -1.5]   degree 14 in -2.25 - x;
//   (-2.75, -2.25]  degree 13 in -2.75 - x;
//   (-38.46875, -2.75]  the tail exp(-x^2/2 - ln(2 pi)/2 + L)/(-x), with L a
//                   polynomial in a = 1/x^2 (degree 14 above -4, 20 from -4
//                   down).  -x^2/2 is split with c, x with its low 32 bits
//                   cleared: -c^2/2 is exact and goes with 0.9140625 of
//                   ln(2 pi)/2 into one exponential, -(x - c)(x + c)/2 with L
//                   and the rest of the constant into the other;
//   up to -38.46875 +0 (the results just above are subnormal).
// A NaN falls through every comparison and is returned bit for bit.
//
// Measured error against MPFR (accuracy_erfcx_normcdf): at most 1.5 ulps on
// (-2.75, 8.2109375), 1 ulp where saturated, 2.3 ulps on the lower tail with
// glibc's exp (subnormal results counted in units of the smallest subnormal).
#include "internal.h"

using hostmath::detail::bits_of;
using hostmath::detail::double_from_bits;
using hostmath::detail::horner;

namespace {

constexpr double kCentral[] = {
    -9.020280357755311e-11, 2.2268133288377912e-09, -4.117259391928247e-08, 6.659311873170166e-07,
    -9.444639510715703e-06, 0.00011543468312708647, -0.0011873282147876255, 0.009973557009981386,
    -0.06649038006690379,   0.39894228040143265,
};
constexpr double kAboutOne[] = {
    1.906723080046361e-09,  -3.953797192155309e-08, 3.0972052204334885e-07, -1.0582912460397376e-06,
    4.7204808893014127e-07, 6.239564430547082e-06,  -8.59833432269239e-07,  -8.868874100893533e-05,
    0.00012035751081534254, 0.000768039761200225,   -0.002016390854269828,  -0.004032851224300786,
    0.020164227743317817,   -5.109279718652441e-11, -0.12098536225761124,   0.2419707245191136,
    0.841344746068543,
};
constexpr double kAboutTwoAndHalf[] = {
    -1.5964331144355377e-10, -3.069617457257754e-10,  2.5092650308467905e-08, -2.0382897334980806e-07,
    6.752351532441075e-07,   -1.1539732426697938e-07, -6.7191825741950815e-06, 1.7888763504706597e-05,
    2.7152205077729535e-05,  -0.00026276445571815876, 0.0005135310312892826,  0.0006664393652152351,
    -0.005934059912701021,   0.015337262920708352,    -0.021910375616523987,  0.017528300493561775,
    0.9937903346742238,
};
// The sixteenth root of 1 - Phi(x), in x - 4.
constexpr double kUpperTailRoot[] = {
    -9.375044826980515e-12,  1.894763408200166e-10,  -2.916572728011491e-10, -2.127443205902363e-08,
    5.860164543978361e-08,   3.1520607089772347e-06, -2.4692662690245198e-05, -0.00016674540869187384,
    0.0024135883791750992,   0.0026602097019995693,  -0.13821675856963853,    0.5233492043899404,
};
constexpr double kAboutMinusOneAndHalf[] = {
    -9.126128734399226e-08, -1.531387456151108e-07, 1.5615405938256962e-06, 8.291314140009332e-07,
    -1.910413152821666e-05, 2.5173901680675523e-05, 0.0001750926788579552,  -0.0005577110508966502,
    -0.0006577036675549865, 0.0058687664400006384,  -0.006071137263300861,  -0.026982832428659505,
    0.09713819674946528,    -0.12951759566589124,   0.06680720126885807,
};
constexpr double kAboutMinusTwoAndQuarter[] = {
    3.591028261363103e-08,  -7.653263583306882e-08, -8.294063164641807e-07, 1.6362669355871843e-06,
    4.6120656379303234e-06, -3.370914398678084e-05, 3.2041975186170456e-05, 0.0002637034200405671,
    -0.0009914775404953951, 0.00046183662763511475, 0.006137159233737173,   -0.021490389264095824,
    0.03570710831511725,    -0.031739651835667494,  0.012224472655044703,
};
constexpr double kAboutMinusTwoAndThreeQuarters[] = {
    1.0272513298625397e-07,  -1.665043660407096e-07, -1.097012200670497e-06, 5.041531606351452e-06,
    -2.5047872336128007e-06, -4.92779382958729e-05,  0.0001805148136632099,  -0.00011925689843054247,
    -0.0011227826447306154,  0.004753991333290876,   -0.009946083986134955,  0.01250364843968733,
    -0.009093562501591055,   0.002979763235054557,
};
// L - (ln(2 pi)/2 - 0.9140625) in a = 1/x^2, for -4 < x <= -2.75 (near) and
// -38.46875 < x <= -4 (far).
constexpr double kTailNear[] = {
    34674647.38109586,  -53255226.632945485, 38451684.27961133,   -17382960.740889587, 5535407.83476519,
    -1327320.8051988594, 251222.18216333174, -39142.62572809476,  5268.606533142737,   -654.8487191790897,
    82.84034620585797,  -12.193541091916972, 2.497415296825204,   -0.999969758051035,  -0.004876200773996201,
};
constexpr double kTailFar[] = {
    8.073666785025381e+17,  -5.5016006041984403e+17, 1.7624857056474534e+17, -3.5388794084991056e+16,
    5016802389932593.0,     -537572766791759.1,      45700745583313.086,     -3214540748642.629,
    195431829946.7264,      -10804306289.671415,     576058163.8099663,      -31469364.962954752,
    1853540.9098988187,     -121976.32346989552,     9200.493206588288,      -816.1983693928008,
    88.24999453157311,      -12.333333321230379,     2.4999999999837414,     -0.9999999999999885,
    -0.004876033204672745,
};
static_assert(sizeof kCentral / sizeof kCentral[0] == 10 && sizeof kAboutOne / sizeof kAboutOne[0] == 17 &&
                  sizeof kAboutTwoAndHalf / sizeof kAboutTwoAndHalf[0] == 17 &&
                  sizeof kUpperTailRoot / sizeof kUpperTailRoot[0] == 12 &&
                  sizeof kAboutMinusOneAndHalf / sizeof kAboutMinusOneAndHalf[0] == 15 &&
                  sizeof kAboutMinusTwoAndQuarter / sizeof kAboutMinusTwoAndQuarter[0] == 15 &&
                  sizeof kAboutMinusTwoAndThreeQuarters / sizeof kAboutMinusTwoAndThreeQuarters[0] == 14 &&
                  sizeof kTailNear / sizeof kTailNear[0] == 15 && sizeof kTailFar / sizeof kTailFar[0] == 21,
              "table sizes are the degrees plus one");

constexpr double kLowerQuartile = -0.6744897501960817;  // 0xbfe5956b87528a49
constexpr double kSaturatesToOne = 8.2109375;          // 0x40206c0000000000
constexpr double kSaturatesToZero = -38.46875;         // 0xc0433c0000000000
constexpr double kTailSplit = -4.0;
constexpr double kHalfLogTwoPiHead = -0.9140625;       // 0xbfed400000000000
constexpr std::uint64_t kKeepHighWord = 0xffffffff00000000u;

// 1 - Phi(x) for 4 <= x < 8.2109375, as 1 - (q^8)^2 in one rounding.
double upper_tail(double x)
{
    const double q = horner(x - 4.0, kUpperTailRoot);
    const double q2 = q * q;
    const double q4 = q2 * q2;
    const double q8 = q4 * q4;
    return std::fma(-q8, q8, 1.0);
}

// Phi(x) for -38.46875 < x <= -2.75.
double lower_tail(double x)
{
    const double a = 1.0 / (x * x);
    const double r = x > kTailSplit ? horner(a, kTailNear) : horner(a, kTailFar);
    const double c = double_from_bits(bits_of(x) & kKeepHighWord);  // 21 bits: c * c is exact
    const double u = std::fma(x - c, -0.5 * (x + c), r);
    const double v = std::fma(c, -0.5 * c, kHalfLogTwoPiHead);
    return (std::exp(u) / -x) * std::exp(v);
}

}  // namespace

double qx_math_func_host_normcdf(double x)
{
    if (x > kLowerQuartile) {
        if (x < 1.0) return std::fma(x, horner(x * x, kCentral), 0.5);
        if (x < 2.5) return horner(x - 1.0, kAboutOne);
        if (x < 4.0) return horner(x - 2.5, kAboutTwoAndHalf);
        if (x < kSaturatesToOne) return upper_tail(x);
        return 1.0;
    }
    if (x > -1.5) return horner(-1.5 - x, kAboutMinusOneAndHalf);
    if (x > -2.25) return horner(-2.25 - x, kAboutMinusTwoAndQuarter);
    if (x > -2.75) return horner(-2.75 - x, kAboutMinusTwoAndThreeQuarters);
    if (x > kSaturatesToZero) return lower_tail(x);
    if (hostmath::detail::isnan(x)) return x;
    return 0.0;
}
