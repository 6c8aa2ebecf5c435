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
#include "batch_loops.h"
#include "normcdf_kernels.h"

#include <cmath>

using hostmath::detail::for_each_block;
using hostmath::detail::for_flagged_lanes;
using hostmath::detail::kBlock;
using hostmath::detail::LaneFlag;
using hostmath::detail::take_piece;

namespace {

// Each lane's piece, then each piece some lane needs; the lower tail's two
// exponentials on its lanes only.  The pieces of both precisions are in scope;
// the argument type picks them (the piece numbers are the same).
template <typename T>
HOSTMATH_BATCH_INLINE void normcdf_block_of(const T (&x)[kBlock], T (&y)[kBlock])
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

HOSTMATH_BATCH_CLONES void normcdff_block(const float (&x)[kBlock], float (&y)[kBlock]) { normcdf_block_of(x, y); }

HOSTMATH_BATCH_CLONES void normcdf_block(const double (&x)[kBlock], double (&y)[kBlock]) { normcdf_block_of(x, y); }

}  // namespace

void qx_math_func_host_batch_normcdff(const float* in, float* out, std::size_t n)
{
    for_each_block(in, out, n, 0.0f, normcdff_block);
}

void qx_math_func_host_batch_normcdf(const double* in, double* out, std::size_t n)
{
    for_each_block(in, out, n, 0.0, normcdf_block);
}
