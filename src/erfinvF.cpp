// erfinvf(x): the y with erf(y) = x, for x in [-1, 1], in single precision.
//
// Method: on a = |x|, two intervals, each a polynomial evaluated by Horner's
// scheme with one fused multiply-add per step, all in single precision:
//   a < 0.375     Q1(a*a) * a
//   otherwise     P(w) * a, w = -logf(1 - a*a) with 1 - a*a fused:
//                 Q2a(w - 2.5) for w < 5, else Q2b(sqrtf(w) - 3)
// Every boundary belongs to the interval above it.  Arguments are not screened:
// a >= 1, infinities and NaN run through the sqrt branch, and the NaN (a > 1)
// and infinity (a = 1) results replace the computed value at the end.  The sign
// of x is copied onto the result bit by bit, for every result.
// Largest error over every float argument, against the double function:
// 3.46 ulp at x = 0x1.ab4138p-1 (Q2a); 1.56 ulp in Q1, 2.49 in Q2b.
#include "internal.h"

#include <cstdint>
#include <iterator>

using hostmath::detail::bits_of;
using hostmath::detail::horner;

namespace {

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

static_assert(std::size(kQ1) == 7 && std::size(kQ2a) == 9 && std::size(kQ2b) == 9,
              "polynomial degrees 6, 8, 8");

}  // namespace

float qx_math_func_host_erfinvf(float x)
{
    const float a = std::fabs(x);
    float p;
    if (a < kSmallEnd) {
        p = horner(a * a, kQ1);
    } else {
        const float w = -std::log(std::fma(-a, a, 1.0f));
        p = w < kLogSplit ? horner(w - kCentreA, kQ2a) : horner(std::sqrt(w) - kCentreB, kQ2b);
    }
    float b = p * a;
    if (a > 1.0f) b = as_float(kQuietNan);
    if (a == 1.0f) b = as_float(kPlusInfinity);
    return as_float((bits_of(b) & ~kSignBit) | (bits_of(x) & kSignBit));
}
