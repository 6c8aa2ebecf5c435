// Double-double and triple-double helpers of the maths core's exp and log:
// a polynomial on the lane policy's multiply-add for the fast paths, and for
// the accurate paths (compiled once, for the baseline) products and sums of
// double doubles, a triple-double accumulator and its correct rounding.
//
// Every exact product here is Dekker's (two_prod on Lanes<1, false>): the
// accurate paths never call the C library's fma.  Operands stay far below
// 2^995 in magnitude, so the split cannot overflow.
#ifndef HOSTMATH_MATH_DD_H
#define HOSTMATH_MATH_DD_H

#include "base/bits.h"
#include "base/lanes.h"

#include <cstddef>
#include <cstdint>

namespace hostmath {
namespace core {
namespace dd {

// c[K] + t c[K+1] + ... + t^(N-1-K) c[N-1] by Horner's rule on mul_add<L>
// (fused or not: the error bounds of the callers cover both).  Unrolled by
// the template, so that the lane loops that call it have no inner loop.
template <class L, std::size_t K = 0, std::size_t N>
HOSTMATH_ALWAYS_INLINE double polynomial(double t, const double (&c)[N])
{
    if constexpr (K + 1 == N) return c[K];
    else return detail::mul_add<L>(polynomial<L, K + 1>(t, c), t, c[K]);
}

// Lane flags (0 or 1).  One lane compares; many lanes use integer arithmetic
// only, since GCC 12 does not vectorise a comparison turned into a 64-bit
// integer on SSE2.
// a >= b, unsigned: the borrow of a - b, inverted.
template <class L>
HOSTMATH_ALWAYS_INLINE std::uint64_t at_least(std::uint64_t a, std::uint64_t b)
{
    if constexpr (L::kCount == 1) return a >= b;
    else return 1 ^ (((~a & b) | (~(a ^ b) & (a - b))) >> 63);
}
// Whether two doubles differ (for the rounding test's two sums: NaN only on a
// lane that is flagged anyway).
template <class L>
HOSTMATH_ALWAYS_INLINE std::uint64_t differ(double a, double b)
{
    if constexpr (L::kCount == 1) {
        return a != b;
    } else {
        const std::uint64_t d = detail::bits_of(a) ^ detail::bits_of(b);
        return (d | (0 - d)) >> 63;
    }
}

// a * b = p + e exactly, without the fused multiply-add.
inline double exact_product(double a, double b, double& e)
{
    return detail::two_prod<detail::Lanes<1, false>>(a, b, e);
}

// hi + lo with |lo| <= ulp(hi)/2.
struct DD {
    double hi;
    double lo;
};

// Relative error below 3 2^-106 (the exact product of the high parts, the
// cross products rounded, the product of the low parts left out).
inline DD mul(DD a, DD b)
{
    double e;
    const double p = exact_product(a.hi, b.hi, e);
    e += a.hi * b.lo + a.lo * b.hi;
    DD r;
    r.hi = detail::fast_two_sum(p, e, r.lo);
    return r;
}

inline DD mul(DD a, double b)
{
    double e;
    const double p = exact_product(a.hi, b, e);
    e += a.lo * b;
    DD r;
    r.hi = detail::fast_two_sum(p, e, r.lo);
    return r;
}

// Relative error below 3 2^-106 for operands of one sign or of very different
// magnitudes, which is how the polynomials use it.
inline DD add(DD a, DD b)
{
    double e1, e2;
    const double s = detail::two_sum(a.hi, b.hi, e1);
    const double t = detail::two_sum(a.lo, b.lo, e2);
    e1 += t;
    double hi = detail::fast_two_sum(s, e1, e1);
    e1 += e2;
    DD r;
    r.hi = detail::fast_two_sum(hi, e1, r.lo);
    return r;
}

// Horner's rule in double-double: the polynomial whose coefficient of degree
// n - first is coefficient(n), for n = first .. last, at r (a double or a
// double double), from the top.
template <typename X, typename Coefficient>
inline DD horner(int first, int last, X r, Coefficient coefficient)
{
    DD s = coefficient(last);
    for (int n = last - 1; n >= first; --n) s = add(mul(s, r), coefficient(n));
    return s;
}

// A sum of doubles kept as h + m + l: each term is added with two exact
// two_sums, only the last word is rounded, so the sum of terms that fall in
// decreasing magnitude is kept to about 2^-150 of the largest partial sum.
struct TD {
    double h = 0, m = 0, l = 0;

    void add(double x)
    {
        double e1, e2;
        h = detail::two_sum(h, x, e1);
        m = detail::two_sum(m, e1, e2);
        l += e2;
    }
    void add(DD x)
    {
        add(x.hi);
        add(x.lo);
    }
    // The terms in turn.
    template <typename First, typename... Rest>
    void add(First first, Rest... rest)
    {
        add(first);
        (add(rest), ...);
    }
    // Exact: the same value with |m| <~ ulp(h), |l| <~ ulp(m).
    void renormalize()
    {
        for (int pass = 0; pass < 2; ++pass) {
            h = detail::two_sum(h, m, m);
            m = detail::two_sum(m, l, l);
        }
    }
};

// h + m + l rounded to nearest, ties to even, for a value that is not itself a
// midpoint beyond the precision kept (the accurate paths' values are not):
// RN(h + m) corrected when h + m is a midpoint and l says on which side the
// value lies.  For normal results.
inline double round_nearest(const TD& v)
{
    double e1, e2, e3;
    const double s = detail::two_sum(v.h, v.m, e1);
    const double t = detail::two_sum(e1, v.l, e2);
    double r = detail::two_sum(s, t, e3);  // r + e3 + e2 is the value, r = RN(s + t)
    if (e3 != 0 && e2 != 0 && r != 0) {
        // The double next to r on the side of e3; s + t was a midpoint if e3
        // is half the gap, and then e2 picks the side.
        const std::uint64_t b = detail::bits_of(r);
        const bool away = (e3 > 0) == (r > 0);
        const double next = detail::double_from_bits(away ? b + 1 : b - 1);
        if (e3 == (next - r) * 0.5 && (e2 > 0) == (e3 > 0)) r = next;
    }
    return r;
}

// 2^n for n in [-1022, 1023].
inline double power_of_two(int n)
{
    return detail::double_from_bits(static_cast<std::uint64_t>(n + 1023) << 52);
}

}  // namespace dd
}  // namespace core
}  // namespace hostmath

#endif  // HOSTMATH_MATH_DD_H
