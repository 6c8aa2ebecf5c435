#!/usr/bin/python3
"""Constants of hostmath's correctly rounded cube root (src/math/cbrt.h).

Writes src/math/cbrt_data.h (byte for byte the committed file):

  kCbrtPoly     P(s), s = m - 3/2, m in [1, 2]: the polynomial of degree 4 of
                least relative error |P(s) / m^(1/3) - 1| (Remez exchange on
                the relative error), coefficients rounded to doubles.  The
                error of the rounded polynomial is measured on a grid of
                2^18 + 1 points and bounded between them by the second
                derivative (see bound_between_points); the bound is printed
                and stated in the header.
  kCbrtTwoA, kCbrtTwoB
                the quadratic 1 + A r + B r^2 through 2^(r/3) at r = 0, 1, 2,
                coefficients rounded to doubles: the factor that takes
                P(s) ~ m^(1/3) to t^(1/3) for t = 2^r m.
  kCbrtSeries   a1 .. a4 of (1 - sigma)^(-1/3) = 1 + a1 sigma + a2 sigma^2 + ...,
                a_k = (1/3)(4/3)...(k - 2/3) / k!, rounded to doubles.

Usage: tools/core-tables/cbrt_tables.py [output]   (default src/math/cbrt_data.h)
"""
import os
import sys

import mpmath as mp

mp.mp.prec = 160
DEGREE = 4
CENTRE = mp.mpf(3) / 2
HALF = mp.mpf(1) / 2
THIRD = mp.mpf(1) / 3


def f(m):
    return m ** THIRD


def rel_err(c, s):
    m = s + CENTRE
    return mp.polyval(c[::-1], s) / f(m) - 1


def series(k):
    """a_k of (1 - sigma)^(-1/3) = sum a_k sigma^k."""
    a = mp.mpf(1)
    for j in range(k):
        a *= (THIRD + j) / (j + 1)
    return a


def remez(degree):
    """Coefficients c[0..degree] (of s^0 .. s^degree) minimising
    max |P(s) / f(s + 3/2) - 1| on s in [-1/2, 1/2]."""
    n = degree + 2
    # Start at the Chebyshev extrema.
    xs = [-HALF * mp.cos(mp.pi * k / (n - 1)) for k in range(n)]
    for _ in range(40):
        # P(x_i) - f(x_i) = (-1)^i E f(x_i)
        a = mp.matrix(n, n)
        b = mp.matrix(n, 1)
        for i, x in enumerate(xs):
            fx = f(x + CENTRE)
            for j in range(degree + 1):
                a[i, j] = x ** j
            a[i, degree + 1] = -((-1) ** i) * fx
            b[i] = fx
        sol = mp.lu_solve(a, b)
        c = [sol[j] for j in range(degree + 1)]
        # New reference: the extrema of the error between sign changes.
        grid = [-HALF + k * mp.mpf(1) / 4000 for k in range(4001)]
        errs = [rel_err(c, x) for x in grid]
        new = []
        k = 0
        while k < len(grid):
            sign = errs[k] >= 0
            best = k
            while k < len(grid) and (errs[k] >= 0) == sign:
                if abs(errs[k]) > abs(errs[best]):
                    best = k
                k += 1
            new.append(grid[best])
        if len(new) != n:
            break
        # Refine each extremum by golden-section-like local search.
        refined = []
        for x in new:
            lo, hi = max(-HALF, x - mp.mpf(1) / 4000), min(HALF, x + mp.mpf(1) / 4000)
            g = lambda s: -abs(rel_err(c, s))
            for _ in range(60):
                m1, m2 = lo + (hi - lo) / 3, hi - (hi - lo) / 3
                if g(m1) < g(m2):
                    hi = m2
                else:
                    lo = m1
            refined.append((lo + hi) / 2)
        refined[0], refined[-1] = -HALF if abs(new[0] + HALF) < mp.mpf(1) / 2000 else refined[0], \
            HALF if abs(new[-1] - HALF) < mp.mpf(1) / 2000 else refined[-1]
        if max(abs(p - q) for p, q in zip(refined, xs)) < mp.mpf(2) ** -60:
            xs = refined
            break
        xs = refined
    return c


def to_double(x):
    return float(x)  # round to nearest (mpmath rounds correctly)


def bound_between_points(c, h):
    """A bound of h^2/8 * max |e''| for e(s) = P(s) m^(-1/3) - 1 on [-1/2, 1/2]:
    e'' = P'' m^(-1/3) - (2/3) P' m^(-4/3) + (4/9) P m^(-7/3), each factor
    bounded by the sum of the absolute values of its terms (|s| <= 1/2,
    m >= 1)."""
    p0 = sum(abs(c[j]) * HALF ** j for j in range(len(c)))
    p1 = sum(abs(c[j]) * j * HALF ** (j - 1) for j in range(1, len(c)))
    p2 = sum(abs(c[j]) * j * (j - 1) * HALF ** (j - 2) for j in range(2, len(c)))
    second = p2 + mp.mpf(2) / 3 * p1 + mp.mpf(4) / 9 * p0
    return h * h / 8 * second


def hexdouble(x):
    return float(x).hex()


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..", "src", "math",
                                                             "cbrt_data.h")
    c = remez(DEGREE)
    cd = [to_double(x) for x in c]
    cm = [mp.mpf(x) for x in cd]
    steps = 2 ** 18
    h = mp.mpf(1) / steps
    grid_max = max(abs(rel_err(cm, -HALF + k * h)) for k in range(steps + 1))
    bound = grid_max + bound_between_points(cm, h)
    bound_log2 = float(mp.log(bound, 2))

    k1, k2 = mp.mpf(2) ** THIRD, mp.mpf(2) ** (2 * THIRD)
    b = (k2 - 2 * k1 + 1) / 2
    a = k1 - 1 - b
    bd, ad = to_double(b), to_double(a)
    # Relative error of the exact quadratic with rounded coefficients.
    kerr = max(abs((1 + mp.mpf(ad) * r + mp.mpf(bd) * r * r) / mp.mpf(2) ** (r * THIRD) - 1) for r in (1, 2))
    ad_series = [to_double(series(k)) for k in range(1, 5)]

    print("relative error of P: max on the grid 2^%.3f, bound 2^%.3f" % (float(mp.log(grid_max, 2)), bound_log2))
    print("relative error of the rounded quadratic: 2^%.3f" % float(mp.log(kerr, 2)))

    lines = [
        "// Generated by tools/core-tables/cbrt_tables.py; do not edit.",
        "//",
        "// kCbrtPoly: P(s) ~ m^(1/3) for m = 3/2 + s in [1, 2], coefficients of s^0",
        "// to s^%d, the least relative error (Remez), rounded to doubles:" % DEGREE,
        "// |P(s) m^(-1/3) - 1| <= 2^%.2f (grid of 2^18 intervals, bounded between" % bound_log2,
        "// the points by the second derivative), before the rounding of its evaluation.",
        "// kCbrtTwoA, kCbrtTwoB: 1 + A r + B r^2 = 2^(r/3) at r = 0, 1, 2 to a",
        "// relative 2^%.1f (the coefficients' rounding)." % float(mp.log(kerr, 2)),
        "// kCbrtSeries: 1/3, 2/9, 14/81, 35/243 rounded, the coefficients of sigma to",
        "// sigma^4 in (1 - sigma)^(-1/3).",
        "#ifndef HOSTMATH_MATH_CBRT_DATA_H",
        "#define HOSTMATH_MATH_CBRT_DATA_H",
        "",
        "namespace hostmath {",
        "namespace core {",
        "namespace cbrt_detail {",
        "",
        "inline constexpr double kCbrtPoly[%d] = {" % (DEGREE + 1),
    ]
    for x in cd:
        lines.append("    %s," % hexdouble(x))
    lines += [
        "};",
        "inline constexpr double kCbrtTwoA = %s;" % hexdouble(ad),
        "inline constexpr double kCbrtTwoB = %s;" % hexdouble(bd),
        "inline constexpr double kCbrtSeries[4] = {",
    ]
    for x in ad_series:
        lines.append("    %s," % hexdouble(x))
    lines += [
        "};",
        "",
        "}  // namespace cbrt_detail",
        "}  // namespace core",
        "}  // namespace hostmath",
        "",
        "#endif  // HOSTMATH_MATH_CBRT_DATA_H",
        "",
    ]
    with open(out, "w") as fh:
        fh.write("\n".join(lines))


if __name__ == "__main__":
    main()
