// erfcinvf(x): the y with erfc(y) = x, for x in [0, 2], in single precision.
//
// Method: three ranges, the polynomials evaluated by Horner's scheme with one
// fused multiply-add per step, all in single precision:
//   x > 0.625          erfinvf(1 - x), through the exported inverse error function
//   x > 2^-10          (1 - x) * Mf(u), u = -logf(x*(2 - x)) - 3.125; the product
//                      formed as p - x*p with one rounding
//   otherwise          t * T(1/t), t = sqrtf(-logf(x)): Tf1 for x > 2^-42, else
//                      Tf2 (subnormals included)
// Each threshold belongs to the range below it.  Arguments are not screened:
// zero, negatives, infinities and NaN run through the range their comparisons
// select, and the NaN (outside [0, 2]), +infinity (x = 0) and -infinity (x = 2)
// results replace the computed value at the end.
// Largest error over every float argument, against the double function:
// 3.46 ulp at x = 0x1.d5a09cp+0 (through erfinvf); 2.52 ulp in the middle
// range, 2.85 in Tf1, 2.83 in Tf2.
#include "internal.h"

#include <cstdint>
#include <iterator>

using hostmath::detail::horner;

namespace {

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

}  // namespace

float qx_math_func_host_erfcinvf(float x)
{
    float b;
    if (x > kUpperStart) {
        b = qx_math_func_host_erfinvf(1.0f - x);
    } else if (x > kMiddleStart) {
        const float u = -std::log(x * (2.0f - x)) - kMiddleCentre;
        const float p = horner(u, kMf);
        b = std::fma(-x, p, p);
    } else {
        const float t = std::sqrt(-std::log(x));
        const float r = 1.0f / t;
        b = t * (x > kFarStart ? horner(r, kTf1) : horner(r, kTf2));
    }
    if (x < 0.0f || x > 2.0f) b = as_float(kQuietNan);
    if (x == 0.0f) b = as_float(kPlusInfinity);
    if (x == 2.0f) b = as_float(kMinusInfinity);
    return b;
}
