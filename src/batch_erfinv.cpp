// erfinv, erfinvf, erfcinv and erfcinvf over arrays, block by block
// (batch_loops.h): the pieces of erfinv_kernels.h, which the scalar functions
// also use, evaluated side by side; only the system log and sqrt are called
// lane by lane, for the lanes whose interval calls them.
//
// The selects between pieces become vector code only where the compiler need
// not keep the floating-point exception flags of operations it evaluates
// unconditionally; values and results are not affected.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("no-trapping-math")
#endif
#include "fp_env.h"
#include "batch_loops.h"
#include "erfinv_kernels.h"

#include <cmath>

using hostmath::detail::for_flagged_lanes;
using hostmath::detail::for_each_block;
using hostmath::detail::kBlock;
using hostmath::detail::LaneFlag;
using hostmath::detail::take_piece;

namespace {

HOSTMATH_BATCH_CLONES void erfinvf_block(const float (&x)[kBlock], float (&y)[kBlock])
{
    using namespace hostmath::detail::erfinvf_parts;
    using Flag = LaneFlag<float>;
    float a[kBlock], w[kBlock], root[kBlock], p[kBlock];
    Flag uses_log[kBlock], uses_root[kBlock];

    for (std::size_t i = 0; i < kBlock; ++i) {
        a[i] = std::fabs(x[i]);
        uses_log[i] = a[i] < kSmallEnd ? 0 : 1;
        w[i] = log_argument(a[i]);
        root[i] = 0.0f;
    }
    for_flagged_lanes(uses_log, [&](std::size_t i) { w[i] = -std::log(w[i]); });
    for (std::size_t i = 0; i < kBlock; ++i) uses_root[i] = w[i] < kLogSplit ? 0 : uses_log[i];
    for_flagged_lanes(uses_root, [&](std::size_t i) { root[i] = std::sqrt(w[i]); });

    for (std::size_t i = 0; i < kBlock; ++i) p[i] = central(a[i]);
    take_piece(uses_log, p, [&](std::size_t i) { return log_piece(w[i]); });
    take_piece(uses_root, p, [&](std::size_t i) { return root_piece(root[i]); });
    for (std::size_t i = 0; i < kBlock; ++i) y[i] = result(x[i], a[i], p[i]);
}

HOSTMATH_BATCH_CLONES void erfinv_block(const double (&x)[kBlock], double (&y)[kBlock])
{
    using namespace hostmath::detail::erfinv_parts;
    using Flag = LaneFlag<double>;
    double a[kBlock], w[kBlock], root[kBlock], b[kBlock];
    Flag middle[kBlock], tail[kBlock], uses_log[kBlock], middle_log[kBlock], middle_root[kBlock], uses_root[kBlock];

    for (std::size_t i = 0; i < kBlock; ++i) {
        a[i] = std::fabs(x[i]);
        uses_log[i] = a[i] < kSmallEnd ? 0 : 1;
        middle[i] = a[i] < kTailStart ? uses_log[i] : 0;
        tail[i] = uses_log[i] ^ middle[i];
        const double middle_argument = middle_log_argument(a[i]);
        const double tail_argument = tail_log_argument(a[i]);
        w[i] = middle[i] != 0 ? middle_argument : tail_argument;
        root[i] = 0.0;
    }
    for_flagged_lanes(uses_log, [&](std::size_t i) { w[i] = -std::log(w[i]); });
    // The tail's t = sqrt(-log(1 - a)) is the root of its w as well.
    for (std::size_t i = 0; i < kBlock; ++i) {
        middle_root[i] = w[i] < kLogSplit ? 0 : middle[i];
        middle_log[i] = middle[i] ^ middle_root[i];
        uses_root[i] = middle_root[i] | tail[i];
    }
    for_flagged_lanes(uses_root, [&](std::size_t i) { root[i] = std::sqrt(w[i]); });

    for (std::size_t i = 0; i < kBlock; ++i) b[i] = central(a[i]);
    take_piece(middle_log, b, [&](std::size_t i) { return middle_log_piece(a[i], w[i]); });
    take_piece(middle_root, b, [&](std::size_t i) { return middle_root_piece(a[i], root[i]); });
    take_piece(tail, b, [&](std::size_t i) { return tail_piece(a[i], root[i]); });
    for (std::size_t i = 0; i < kBlock; ++i) y[i] = result(x[i], a[i], b[i]);
}

// Above 0.625 erfcinvf is erfinvf(1 - x): those lanes go through the erfinvf
// block (the others with the cheap argument 0); the rest take logf(x (2 - x))
// or logf(x).
HOSTMATH_BATCH_CLONES void erfcinvf_block(const float (&x)[kBlock], float (&y)[kBlock])
{
    using namespace hostmath::detail::erfcinvf_parts;
    using Flag = LaneFlag<float>;
    float z[kBlock], e[kBlock], l[kBlock], root[kBlock], b[kBlock];
    Flag upper[kBlock], small[kBlock], uses_log[kBlock];

    std::size_t uppers = 0;
    for (std::size_t i = 0; i < kBlock; ++i) {
        upper[i] = x[i] > kUpperStart ? 1 : 0;
        uses_log[i] = upper[i] ^ 1u;
        small[i] = x[i] > kMiddleStart ? 0 : 1;
        const Flag middle = uses_log[i] ^ small[i];
        const float one_minus_x = 1.0f - x[i];
        const float middle_argument = middle_log_argument(x[i]);
        z[i] = upper[i] != 0 ? one_minus_x : 0.0f;
        l[i] = middle != 0 ? middle_argument : x[i];
        root[i] = 0.0f;
        uppers += upper[i];
    }
    if (uppers > 0) erfinvf_block(z, e);
    for_flagged_lanes(uses_log, [&](std::size_t i) { l[i] = std::log(l[i]); });
    for_flagged_lanes(small, [&](std::size_t i) { root[i] = std::sqrt(-l[i]); });

    for (std::size_t i = 0; i < kBlock; ++i) b[i] = middle_piece(x[i], l[i]);
    take_piece(small, b, [&](std::size_t i) { return small_piece(x[i], root[i]); });
    if (uppers > 0)
        for (std::size_t i = 0; i < kBlock; ++i) b[i] = upper[i] != 0 ? e[i] : b[i];
    for (std::size_t i = 0; i < kBlock; ++i) y[i] = result(x[i], b[i]);
}

HOSTMATH_BATCH_CLONES void erfcinv_block(const double (&x)[kBlock], double (&y)[kBlock])
{
    using namespace hostmath::detail::erfcinv_parts;
    using Flag = LaneFlag<double>;
    double z[kBlock], e[kBlock], l[kBlock], t[kBlock], b[kBlock];
    Flag upper[kBlock], small[kBlock], uses_log[kBlock], piece[kBlock];

    std::size_t uppers = 0;
    for (std::size_t i = 0; i < kBlock; ++i) {
        upper[i] = x[i] > kUpperStart ? 1 : 0;
        uses_log[i] = upper[i] ^ 1u;
        small[i] = x[i] > kMiddleStart ? 0 : 1;
        const Flag middle = uses_log[i] ^ small[i];
        const double one_minus_x = 1.0 - x[i];
        const double middle_argument = middle_log_argument(x[i]);
        z[i] = upper[i] != 0 ? one_minus_x : 0.0;
        l[i] = middle != 0 ? middle_argument : x[i];
        t[i] = 1.0;
        piece[i] = small_piece_index<Flag>(x[i]);
        uppers += upper[i];
    }
    if (uppers > 0) erfinv_block(z, e);
    for_flagged_lanes(uses_log, [&](std::size_t i) { l[i] = std::log(l[i]); });
    for_flagged_lanes(small, [&](std::size_t i) { t[i] = std::sqrt(-l[i]); });

    for (std::size_t i = 0; i < kBlock; ++i) b[i] = middle_piece(x[i], l[i]);
    {
        double r[kBlock];
        for (std::size_t i = 0; i < kBlock; ++i) r[i] = 1.0 / t[i];
        // b = t * T_k(1/t) on the lanes of T_k, for each T_k some lane needs.
        const auto evaluate = [&](Flag k, const auto& table) {
            Flag lane_of_k[kBlock];
            for (std::size_t i = 0; i < kBlock; ++i) lane_of_k[i] = piece[i] == k ? small[i] : 0;
            take_piece(lane_of_k, b, [&](std::size_t i) { return t[i] * hostmath::detail::horner(r[i], table); });
        };
        evaluate(0, kT1);
        evaluate(1, kT2);
        evaluate(2, kT3);
        evaluate(3, kT4);
        evaluate(4, kT5);
        evaluate(5, kT6);
        evaluate(6, kT7);
    }
    if (uppers > 0)
        for (std::size_t i = 0; i < kBlock; ++i) b[i] = upper[i] != 0 ? e[i] : b[i];
    for (std::size_t i = 0; i < kBlock; ++i) y[i] = result(x[i], b[i]);
}

}  // namespace

void qx_math_func_host_batch_erfinvf(const float* in, float* out, std::size_t n)
{
    const hostmath::detail::FpEnvGuard guard;
    for_each_block(in, out, n, 0.0f, erfinvf_block);
}

void qx_math_func_host_batch_erfinv(const double* in, double* out, std::size_t n)
{
    const hostmath::detail::FpEnvGuard guard;
    for_each_block(in, out, n, 0.0, erfinv_block);
}

void qx_math_func_host_batch_erfcinvf(const float* in, float* out, std::size_t n)
{
    const hostmath::detail::FpEnvGuard guard;
    for_each_block(in, out, n, 1.0f, erfcinvf_block);
}

void qx_math_func_host_batch_erfcinv(const double* in, double* out, std::size_t n)
{
    const hostmath::detail::FpEnvGuard guard;
    for_each_block(in, out, n, 1.0, erfcinv_block);
}
