// normcdf and normcdff over arrays, block by block (batch_loops.h): the pieces
// of normcdf_kernels.h, which the scalar functions also use, evaluated side by
// side; only the system exp is called lane by lane, for the lanes of the lower
// tail.
#include "base/array_loops.h"
#include "special/normcdf_kernels.h"

#include <cmath>

using namespace hostmath::detail;

namespace {

// Two ways through a block.  In single precision a vector holds 16 lanes and
// the polynomials are short: each piece some lane needs is evaluated on the
// whole block and selected.  In double precision a vector holds 8 lanes and
// the polynomials are long: the lanes are grouped by piece first, and each
// piece is evaluated only on the vectors that hold its lanes.  Either way the
// lower tail's two exponentials are taken on its lanes only.
template <typename T>
HOSTMATH_BATCH_INLINE void normcdf_block_by_pieces(const T (&x)[kBlock], T (&y)[kBlock])
{
    using Flag = LaneFlag<T>;
    Flag piece[kBlock];
    for (std::size_t i = 0; i < kBlock; ++i) {
        piece[i] = normcdf_piece_of<Flag>(x[i]);
        y[i] = 0;
    }
    for_each_normcdf_piece([&](auto k) {
        Flag lane_of_k[kBlock];
        for (std::size_t i = 0; i < kBlock; ++i) lane_of_k[i] = piece[i] == k.value ? 1 : 0;
        take_piece(lane_of_k, y, [&](std::size_t i) { return normcdf_piece<k.value>(x[i]); });
    });

    Flag tail[kBlock];
    Flag tails = 0;
    for (std::size_t i = 0; i < kBlock; ++i) {
        tail[i] = piece[i] == kLowerTailPiece ? 1 : 0;
        tails += tail[i];
    }
    if (tails == 0) return;
    T u[kBlock], v[kBlock];
    for (std::size_t i = 0; i < kBlock; ++i) normcdf_tail_exponents(x[i], u[i], v[i]);
    for_flagged_lanes(tail, [&](std::size_t i) {
        u[i] = std::exp(u[i]);
        v[i] = std::exp(v[i]);
    });
    take_piece(tail, y, [&](std::size_t i) { return normcdf_tail(x[i], u[i], v[i]); });
}

template <typename T>
HOSTMATH_BATCH_INLINE void normcdf_block_by_groups(const T (&x)[kBlock], T (&y)[kBlock])
{
    using Flag = LaneFlag<T>;
    Flag piece[kBlock];
    for (std::size_t i = 0; i < kBlock; ++i) piece[i] = normcdf_piece_of<Flag>(x[i]);
    LaneGroups<kNormcdfPieces> groups;
    group_by_piece(piece, groups);
    T xs[kBlock], ys[kBlock];
    for (std::size_t j = 0; j < kBlock; ++j) {
        xs[j] = x[groups.lane[j]];
        ys[j] = 0;
    }
    for_each_normcdf_piece([&](auto k) {
        if (groups.start[k.value] < groups.start[k.value + 1])
            evaluate_group(groups.start[k.value], groups.start[k.value + 1], ys,
                           [&](std::size_t j) { return normcdf_piece<k.value>(xs[j]); });
    });

    const std::size_t tail_begin = groups.start[kLowerTailPiece];
    const std::size_t tail_end = groups.start[kLowerTailPiece + 1];
    if (tail_begin < tail_end) {
        T u[kBlock], v[kBlock];
        constexpr std::size_t chunk = hostmath::detail::kChunk<T>;
        for (std::size_t c = tail_begin / chunk * chunk; c < tail_end; c += chunk)
            for (std::size_t l = 0; l < chunk; ++l) normcdf_tail_exponents(xs[c + l], u[c + l], v[c + l]);
        for (std::size_t j = tail_begin; j < tail_end; ++j) {
            u[j] = std::exp(u[j]);
            v[j] = std::exp(v[j]);
        }
        evaluate_group(tail_begin, tail_end, ys, [&](std::size_t j) { return normcdf_tail(xs[j], u[j], v[j]); });
    }
    for (std::size_t j = 0; j < kBlock; ++j) y[groups.lane[j]] = ys[j];
}

void normcdff_block(const float (&x)[kBlock], float (&y)[kBlock])
{
    normcdf_block_by_pieces(x, y);
}

void normcdf_block(const double (&x)[kBlock], double (&y)[kBlock])
{
    normcdf_block_by_groups(x, y);
}

}  // namespace

HOSTMATH_EXPORT(void, qx_math_func_host_batch_normcdff, (const float* in, float* out, std::size_t n))
{
    for_each_block(in, out, n, 0.0f, normcdff_block);
}

HOSTMATH_EXPORT(void, qx_math_func_host_batch_normcdf, (const double* in, double* out, std::size_t n))
{
    for_each_block(in, out, n, 0.0, normcdf_block);
}
