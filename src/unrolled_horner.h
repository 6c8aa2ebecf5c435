// Horner's scheme with its loop unrolled in full, for the pieces shared with
// the array forms.
#ifndef HOSTMATH_UNROLLED_HORNER_H
#define HOSTMATH_UNROLLED_HORNER_H

#include <cmath>
#include <cstddef>

namespace hostmath {
namespace detail {

// The operations of horner() in internal.h, p = c[0]; p = fma(t, p, c[k]) for
// the rest, with the loop unrolled whatever the degree.  A loop over many
// arguments then becomes straight vector code with one chain of fused
// multiply-adds per vector, several vectors in flight; compilers unroll
// horner()'s loop on their own only up to about 16 coefficients, and a loop
// left inside keeps one vector at a time waiting on each multiply-add.
template <typename T, std::size_t N>
inline T horner_unrolled(T t, const T (&c)[N])
{
    static_assert(N >= 2, "a polynomial of degree 0 needs no evaluation");
    T p = c[0];
#pragma GCC unroll 32
    for (std::size_t k = 1; k < N; ++k) p = std::fma(t, p, c[k]);
    return p;
}

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_UNROLLED_HORNER_H
