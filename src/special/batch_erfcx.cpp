// erfcx and erfcxf over arrays, block by block (batch_loops.h): the pieces of
// erfcx_kernels.h, which the scalar functions also use, evaluated side by side;
// only the system exp is called lane by lane, for the reflected lanes
// (x <= -1).
#include "base/array_loops.h"
#include "special/erfcx_kernels.h"

#include <cmath>

using namespace hostmath::detail;

namespace {

// r from the magnitude on every lane, the exponentials on the reflected ones.
template <typename T>
HOSTMATH_BATCH_INLINE void erfcx_block_of(const T (&x)[kBlock], T (&y)[kBlock])
{
    using Flag = LaneFlag<T>;
    T a[kBlock], r[kBlock], s[kBlock], e[kBlock], exp_square[kBlock];
    Flag near[kBlock], middle_range[kBlock], far[kBlock], reflected_lane[kBlock];

    for (std::size_t i = 0; i < kBlock; ++i) {
        a[i] = std::fabs(x[i]);
        near[i] = erfcx_uses_near_zero(a[i]) ? 1 : 0;
        far[i] = erfcx_uses_asymptotic(a[i]) ? 1 : 0;
        middle_range[i] = near[i] ^ far[i] ^ 1u;
        reflected_lane[i] = erfcx_reflects(x[i]) ? 1 : 0;
        s[i] = erfcx_square_head(a[i]);
        e[i] = erfcx_square_tail(a[i], s[i]);
        r[i] = 0;
        exp_square[i] = 0;
    }
    take_piece(near, r, [&](std::size_t i) { return erfcx_near_zero(x[i]); });
    take_piece(middle_range, r, [&](std::size_t i) { return erfcx_middle(a[i]); });
    take_piece(far, r, [&](std::size_t i) { return erfcx_asymptotic(x[i]); });
    for_flagged_lanes(reflected_lane, [&](std::size_t i) { exp_square[i] = std::exp(s[i]) * std::exp(e[i]); });
    for (std::size_t i = 0; i < kBlock; ++i) {
        const T w = erfcx_reflected(x[i], r[i], exp_square[i]);
        y[i] = reflected_lane[i] != 0 ? w : r[i];
    }
}

void erfcxf_block(const float (&x)[kBlock], float (&y)[kBlock]) { erfcx_block_of(x, y); }

void erfcx_block(const double (&x)[kBlock], double (&y)[kBlock]) { erfcx_block_of(x, y); }

}  // namespace

HOSTMATH_EXPORT(void, qx_math_func_host_batch_erfcxf, (const float* in, float* out, std::size_t n))
{
    for_each_block(in, out, n, 0.0f, erfcxf_block);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_erfcx, (const double* in, double* out, std::size_t n))
{
    for_each_block(in, out, n, 0.0, erfcx_block);
}
