// erfinv(x): the y with erf(y) = x, for x in [-1, 1], in double precision.
//
// Method: on a = |x|, three intervals, each a polynomial evaluated by Horner's
// scheme with one fused multiply-add per step:
//   a < 0.375            a * P1(a*a)
//   a < 1 - 2^-16        a * P(w), w = -log(1 - a*a) with 1 - a*a fused:
//                        P2a(w - 3.125) for w < 6.25, else P2b(sqrt(w) - 3.25)
//   otherwise            t * P(1/t), t = sqrt(-log(1 - a)):
//                        P3a below 1 - 2^-32, P3b from there on
// Every boundary belongs to the interval above it.  Arguments are not screened:
// a > 1, infinities and NaN run through the last interval, and the NaN (a > 1)
// and infinity (a = 1) results replace the computed value at the end.  The sign
// of x is copied onto the result bit by bit, for every result.
// Largest error measured against MPFR, 120000 arguments per piece: 3.55 ulp
// at x = 0x1.fb56e78e86545p-2 (P2a); 1.72 ulp in P1, 2.82 in P2b, 3.16 in P3a,
// 2.04 in P3b.
// The tables, pieces and the body on lanes live in erfinv.h; the array form
// runs the same body on blocks of 64 lanes.
#include "cpu/export.h"
#include "special/erfinv.h"

using hostmath::detail::Erfinv;

HOSTMATH_EXPORT(double, qx_math_func_host_erfinv, (double x))
{
    return hostmath::detail::one_lane<Erfinv, kFma>(x);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_erfinv, (const double* in, double* out, std::size_t n))
{
    hostmath::detail::each_block<Erfinv, kFma>(in, out, n);
}
