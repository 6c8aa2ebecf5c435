// normcdf and normcdff over arrays, block by block (batch_loops.h): the pieces
// of normcdf_kernels.h, which the scalar functions also use, evaluated side by
// side; only the system exp is called lane by lane, for the lanes of the lower
// tail.
//
// The selects between pieces become vector code only where the compiler need
// not keep the floating-point exception flags of operations it evaluates
// unconditionally; values and results are not affected.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("no-trapping-math")
#endif
#include "fp_env.h"
#include "batch_loops.h"
#include "normcdf_kernels.h"

#include <cmath>

using hostmath::detail::for_each_block;
using hostmath::detail::evaluate_group;
using hostmath::detail::for_flagged_lanes;
using hostmath::detail::group_by_piece;
using hostmath::detail::kBlock;
using hostmath::detail::LaneFlag;
using hostmath::detail::LaneGroups;
using hostmath::detail::take_piece;

namespace {

// Two ways through a block.  In single precision a vector holds 16 lanes and
// the polynomials are short: each piece some lane needs is evaluated on the
// whole block and selected.  In double precision a vector holds 8 lanes and
// the polynomials are long: the lanes are grouped by piece first, and each
// piece is evaluated only on the vectors that hold its lanes.  Either way the
// lower tail's two exponentials are taken on its lanes only.  The pieces of
// both precisions are in scope; the argument type picks them (the piece
// numbers are the same).
template <typename T>
HOSTMATH_BATCH_INLINE void normcdf_block_by_pieces(const T (&x)[kBlock], T (&y)[kBlock])
{
    using namespace hostmath::detail::normcdff_parts;
    using namespace hostmath::detail::normcdf_parts;
    namespace pieces = hostmath::detail::normcdf_parts;
    using Flag = LaneFlag<T>;
    Flag piece[kBlock];
    for (std::size_t i = 0; i < kBlock; ++i) {
        piece[i] = piece_of<Flag>(x[i]);
        y[i] = 0;
    }
    const auto evaluate = [&](Flag k, auto value) {
        Flag lane_of_k[kBlock];
        for (std::size_t i = 0; i < kBlock; ++i) lane_of_k[i] = piece[i] == k ? 1 : 0;
        take_piece(lane_of_k, y, value);
    };
    evaluate(pieces::kCentralPiece, [&](std::size_t i) { return central(x[i]); });
    evaluate(pieces::kAboutOnePiece, [&](std::size_t i) { return about_one(x[i]); });
    evaluate(pieces::kAboutTwoAndHalfPiece, [&](std::size_t i) { return about_two_and_half(x[i]); });
    evaluate(pieces::kUpperTailPiece, [&](std::size_t i) { return upper_tail(x[i]); });
    evaluate(pieces::kOnePiece, [](std::size_t) { return T(1); });
    evaluate(pieces::kAboutMinusOneAndHalfPiece, [&](std::size_t i) { return about_minus_one_and_half(x[i]); });
    evaluate(pieces::kSecondLowerPiece, [&](std::size_t i) { return second_lower(x[i]); });
    evaluate(pieces::kThirdLowerPiece, [&](std::size_t i) { return third_lower(x[i]); });
    evaluate(pieces::kZeroPiece, [&](std::size_t i) { return zero_or_nan(x[i]); });

    Flag tail[kBlock];
    Flag tails = 0;
    for (std::size_t i = 0; i < kBlock; ++i) {
        tail[i] = piece[i] == pieces::kLowerTailPiece ? 1 : 0;
        tails += tail[i];
    }
    if (tails == 0) return;
    T u[kBlock], v[kBlock];
    for (std::size_t i = 0; i < kBlock; ++i) lower_tail_exponents(x[i], u[i], v[i]);
    for_flagged_lanes(tail, [&](std::size_t i) {
        u[i] = std::exp(u[i]);
        v[i] = std::exp(v[i]);
    });
    take_piece(tail, y, [&](std::size_t i) { return lower_tail(x[i], u[i], v[i]); });
}

template <typename T>
HOSTMATH_BATCH_INLINE void normcdf_block_by_groups(const T (&x)[kBlock], T (&y)[kBlock])
{
    using namespace hostmath::detail::normcdff_parts;
    using namespace hostmath::detail::normcdf_parts;
    namespace pieces = hostmath::detail::normcdf_parts;
    using Flag = LaneFlag<T>;
    constexpr std::size_t kPieces = pieces::kZeroPiece + 1;

    Flag piece[kBlock];
    for (std::size_t i = 0; i < kBlock; ++i) piece[i] = piece_of<Flag>(x[i]);
    LaneGroups<kPieces> groups;
    group_by_piece(piece, groups);
    T xs[kBlock], ys[kBlock];
    for (std::size_t j = 0; j < kBlock; ++j) {
        xs[j] = x[groups.lane[j]];
        ys[j] = 0;
    }
    const auto evaluate = [&](std::size_t k, auto value) {
        if (groups.start[k] < groups.start[k + 1]) evaluate_group(groups.start[k], groups.start[k + 1], ys, value);
    };
    evaluate(pieces::kCentralPiece, [&](std::size_t j) { return central(xs[j]); });
    evaluate(pieces::kAboutOnePiece, [&](std::size_t j) { return about_one(xs[j]); });
    evaluate(pieces::kAboutTwoAndHalfPiece, [&](std::size_t j) { return about_two_and_half(xs[j]); });
    evaluate(pieces::kUpperTailPiece, [&](std::size_t j) { return upper_tail(xs[j]); });
    evaluate(pieces::kOnePiece, [](std::size_t) { return T(1); });
    evaluate(pieces::kAboutMinusOneAndHalfPiece, [&](std::size_t j) { return about_minus_one_and_half(xs[j]); });
    evaluate(pieces::kSecondLowerPiece, [&](std::size_t j) { return second_lower(xs[j]); });
    evaluate(pieces::kThirdLowerPiece, [&](std::size_t j) { return third_lower(xs[j]); });
    evaluate(pieces::kZeroPiece, [&](std::size_t j) { return zero_or_nan(xs[j]); });

    const std::size_t tail_begin = groups.start[pieces::kLowerTailPiece];
    const std::size_t tail_end = groups.start[pieces::kLowerTailPiece + 1];
    if (tail_begin < tail_end) {
        T u[kBlock], v[kBlock];
        constexpr std::size_t chunk = hostmath::detail::kChunk<T>;
        for (std::size_t c = tail_begin / chunk * chunk; c < tail_end; c += chunk)
            for (std::size_t l = 0; l < chunk; ++l) lower_tail_exponents(xs[c + l], u[c + l], v[c + l]);
        for (std::size_t j = tail_begin; j < tail_end; ++j) {
            u[j] = std::exp(u[j]);
            v[j] = std::exp(v[j]);
        }
        evaluate_group(tail_begin, tail_end, ys, [&](std::size_t j) { return lower_tail(xs[j], u[j], v[j]); });
    }
    for (std::size_t j = 0; j < kBlock; ++j) y[groups.lane[j]] = ys[j];
}

HOSTMATH_BATCH_CLONES void normcdff_block(const float (&x)[kBlock], float (&y)[kBlock])
{
    normcdf_block_by_pieces(x, y);
}

HOSTMATH_BATCH_CLONES void normcdf_block(const double (&x)[kBlock], double (&y)[kBlock])
{
    normcdf_block_by_groups(x, y);
}

}  // namespace

void qx_math_func_host_batch_normcdff(const float* in, float* out, std::size_t n)
{
    const hostmath::detail::FpEnvGuard guard;
    for_each_block(in, out, n, 0.0f, normcdff_block);
}

void qx_math_func_host_batch_normcdf(const double* in, double* out, std::size_t n)
{
    const hostmath::detail::FpEnvGuard guard;
    for_each_block(in, out, n, 0.0, normcdf_block);
}
