// erfinv, erfinvf, erfcinv and erfcinvf over arrays, block by block
// (batch_loops.h): the pieces of erfinv_kernels.h, which the scalar functions
// also use, evaluated side by side; only the system log and sqrt are called
// lane by lane, for the lanes whose interval calls them.
#include "base/array_loops.h"
#include "special/erfinv_kernels.h"

#include <cmath>

using namespace hostmath::detail;

namespace {

// The central piece on every lane, the log and sqrt on the lanes whose interval
// calls them; in double precision the tail's t = sqrt(-log(1 - a)) is the
// root of its own w.
template <typename T>
HOSTMATH_BATCH_INLINE void erfinv_block_of(const T (&x)[kBlock], T (&y)[kBlock])
{
    using P = ErfinvTable<T>;
    using Flag = LaneFlag<T>;
    T a[kBlock], w[kBlock], root[kBlock], b[kBlock];
    Flag middle[kBlock], tail[kBlock], uses_log[kBlock], middle_log[kBlock], middle_root[kBlock], uses_root[kBlock];

    for (std::size_t i = 0; i < kBlock; ++i) {
        a[i] = std::fabs(x[i]);
        uses_log[i] = a[i] < P::kSmallEnd ? 0 : 1;
        const T middle_argument = erfinv_log_argument(a[i]);
        if constexpr (P::kHasTail) {
            middle[i] = a[i] < P::kTailStart ? uses_log[i] : 0;
            const T tail_argument = erfinv_tail_log_argument(a[i]);
            w[i] = middle[i] != 0 ? middle_argument : tail_argument;
        } else {
            middle[i] = uses_log[i];
            w[i] = middle_argument;
        }
        tail[i] = uses_log[i] ^ middle[i];
        root[i] = 0;
    }
    for_flagged_lanes(uses_log, [&](std::size_t i) { w[i] = -std::log(w[i]); });
    for (std::size_t i = 0; i < kBlock; ++i) {
        middle_root[i] = w[i] < P::kLogSplit ? 0 : middle[i];
        middle_log[i] = middle[i] ^ middle_root[i];
        uses_root[i] = middle_root[i] | tail[i];
    }
    for_flagged_lanes(uses_root, [&](std::size_t i) { root[i] = std::sqrt(w[i]); });

    for (std::size_t i = 0; i < kBlock; ++i) b[i] = erfinv_central(a[i]);
    take_piece(middle_log, b, [&](std::size_t i) { return erfinv_log_piece(a[i], w[i]); });
    take_piece(middle_root, b, [&](std::size_t i) { return erfinv_root_piece(a[i], root[i]); });
    if constexpr (P::kHasTail) take_piece(tail, b, [&](std::size_t i) { return erfinv_tail_piece(a[i], root[i]); });
    for (std::size_t i = 0; i < kBlock; ++i) y[i] = erfinv_result(x[i], a[i], b[i]);
}

void erfinvf_block(const float (&x)[kBlock], float (&y)[kBlock]) { erfinv_block_of(x, y); }

void erfinv_block(const double (&x)[kBlock], double (&y)[kBlock]) { erfinv_block_of(x, y); }

// Above 0.625 erfcinv is erfinv(1 - x): those lanes go through the erfinv
// block of the precision (the others with the cheap argument 0); the rest take
// log(x (2 - x)) or log(x), and the small range each polynomial T_k some lane
// needs, on its lanes.
template <typename T>
HOSTMATH_BATCH_INLINE void erfcinv_block_of(const T (&x)[kBlock], T (&y)[kBlock],
                                            void (*erfinv_block)(const T (&)[kBlock], T (&)[kBlock]))
{
    using Flag = LaneFlag<T>;
    T z[kBlock], e[kBlock], l[kBlock], t[kBlock], r[kBlock], b[kBlock];
    Flag upper[kBlock], small[kBlock], uses_log[kBlock], piece[kBlock];

    std::size_t uppers = 0;
    for (std::size_t i = 0; i < kBlock; ++i) {
        upper[i] = x[i] > T(kErfcinvUpperStart) ? 1 : 0;
        uses_log[i] = upper[i] ^ 1u;
        small[i] = x[i] > T(kErfcinvMiddleStart) ? 0 : 1;
        const Flag middle = uses_log[i] ^ small[i];
        const T one_minus_x = T(1) - x[i];
        const T middle_argument = erfcinv_middle_log_argument(x[i]);
        z[i] = upper[i] != 0 ? one_minus_x : T(0);
        l[i] = middle != 0 ? middle_argument : x[i];
        t[i] = 1;
        piece[i] = erfcinv_small_index<Flag>(x[i]);
        uppers += upper[i];
    }
    if (uppers > 0) erfinv_block(z, e);
    for_flagged_lanes(uses_log, [&](std::size_t i) { l[i] = std::log(l[i]); });
    for_flagged_lanes(small, [&](std::size_t i) { t[i] = std::sqrt(-l[i]); });

    for (std::size_t i = 0; i < kBlock; ++i) {
        b[i] = erfcinv_middle_piece(x[i], l[i]);
        r[i] = T(1) / t[i];
    }
    for_each_erfcinv_small<T>([&](auto k) {
        Flag lane_of_k[kBlock];
        for (std::size_t i = 0; i < kBlock; ++i) lane_of_k[i] = piece[i] == k.value ? small[i] : 0;
        take_piece(lane_of_k, b,
                   [&](std::size_t i) { return t[i] * ErfcinvTable<T>::template small_polynomial<k.value>(r[i]); });
    });
    if (uppers > 0)
        for (std::size_t i = 0; i < kBlock; ++i) b[i] = upper[i] != 0 ? e[i] : b[i];
    for (std::size_t i = 0; i < kBlock; ++i) y[i] = erfcinv_result(x[i], b[i]);
}

void erfcinvf_block(const float (&x)[kBlock], float (&y)[kBlock])
{
    erfcinv_block_of(x, y, erfinvf_block);
}

void erfcinv_block(const double (&x)[kBlock], double (&y)[kBlock])
{
    erfcinv_block_of(x, y, erfinv_block);
}

}  // namespace

HOSTMATH_EXPORT(void, qx_math_func_host_batch_erfinvf, (const float* in, float* out, std::size_t n))
{
    for_each_block(in, out, n, 0.0f, erfinvf_block);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_erfinv, (const double* in, double* out, std::size_t n))
{
    for_each_block(in, out, n, 0.0, erfinv_block);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_erfcinvf, (const float* in, float* out, std::size_t n))
{
    for_each_block(in, out, n, 1.0f, erfcinvf_block);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_erfcinv, (const double* in, double* out, std::size_t n))
{
    for_each_block(in, out, n, 1.0, erfcinv_block);
}
