// The lane policy: how many arguments one evaluation of a kernel computes side
// by side, and what the processor path it is compiled for offers.
//
// Every floating-point kernel (the maths core, the special functions) is
// written once, as a template over a policy L, on arrays of L::kCount lanes:
// plain loops over the lanes for the work every lane does, which the compiler
// turns into vector code, and for_flagged_lanes for the rare work of a few
// lanes (special arguments, the accurate path of a correctly rounded
// function), which runs lane by lane.  The exported scalar function is the
// one-lane case, where every loop runs once and folds away; the array form is
// the many-lane case.  Both run the same operations on every lane, so they give
// the same bits by construction.
#ifndef HOSTMATH_BASE_LANES_H
#define HOSTMATH_BASE_LANES_H

#include "base/bits.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace hostmath {
namespace detail {

// Whether the code being compiled may use the fused multiply-add instruction:
// decided by the processor path (cpu/dispatch.h), which instantiates each
// kernel once per path; this is the value for a build with a single path.
#if defined(__FMA__) || defined(__aarch64__)
constexpr bool kBuildHasFma = true;
#else
constexpr bool kBuildHasFma = false;
#endif

// kLanes arguments side by side (1 to 64); kFma: the path has the fused
// multiply-add instruction, so std::fma is one instruction, not a call.
template <std::size_t kLanes, bool kFma = kBuildHasFma>
struct Lanes {
    static_assert(kLanes >= 1 && kLanes <= 64, "a lane mask is one 64-bit word");
    static constexpr std::size_t kCount = kLanes;
    static constexpr bool kHasFma = kFma;
    // How the kernels on bit patterns pick between two values: a conditional
    // for one lane, masks in the loops over many (bits.h).
    using Select = std::conditional_t<kLanes == 1, ScalarSelect, MaskSelect>;
};

// The arrays a kernel works on: one element per lane.
template <class L, typename T>
using LaneArray = T[L::kCount];

// A lane flag (0 or 1) of the width of the lane's value, so that selects on
// it vectorise.
template <typename T>
using LaneFlag = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;

// Whether any lane is flagged.
template <class L, typename Flag>
HOSTMATH_ALWAYS_INLINE bool any_lane(const Flag (&flag)[L::kCount])
{
    Flag flagged = 0;
    for (std::size_t i = 0; i < L::kCount; ++i) flagged |= flag[i];
    return flagged != 0;
}

// Calls call(i) for each flagged lane i, in order, and returns their number.
// The flags are gathered into one bit per lane first, so that the walk visits
// the flagged lanes only, with no branch per lane.
template <class L, typename Flag, typename Call>
HOSTMATH_ALWAYS_INLINE std::size_t for_flagged_lanes(const Flag (&flag)[L::kCount], Call call)
{
    if constexpr (L::kCount == 1) {
        if (flag[0] == 0) return 0;
        call(std::size_t{0});
        return 1;
    } else {
        // Most blocks flag no lane: one vectorised test of them all first (the
        // gathering below does not vectorise on every path).
        if (!any_lane<L>(flag)) return 0;
        std::uint64_t bits = 0;
        // (Written with "flag[i] != 0 ? 1 : 0" instead, GCC 12 at -O1 with the
        // undefined-behaviour sanitizer miscompiles this loop.)
        for (std::size_t i = 0; i < L::kCount; ++i) bits |= static_cast<std::uint64_t>(flag[i] != 0) << i;
        std::size_t count = 0;
        for (; bits != 0; bits &= bits - 1, ++count) call(static_cast<std::size_t>(__builtin_ctzll(bits)));
        return count;
    }
}

// p[i] = piece(i) on the flagged lanes, the others kept; nothing is evaluated
// when no lane is flagged.  piece runs on every lane into a scratch array,
// then is selected: two plain loops, which the compiler vectorises where one
// loop with a conditional piece it does not.
template <class L, typename T, typename Flag, typename Piece>
HOSTMATH_ALWAYS_INLINE void take_piece(const Flag (&flag)[L::kCount], T (&p)[L::kCount], Piece piece)
{
    if (!any_lane<L>(flag)) return;
    if constexpr (L::kCount == 1) {
        p[0] = piece(std::size_t{0});
    } else {
        T v[L::kCount];
        for (std::size_t i = 0; i < L::kCount; ++i) v[i] = piece(i);
        for (std::size_t i = 0; i < L::kCount; ++i) p[i] = flag[i] != 0 ? v[i] : p[i];
    }
}

// ---------------------------------------------------------------------------
// Running a kernel: a struct with
//     template <class L, typename T>
//     static void run(const T (&x)[L::kCount], T (&y)[L::kCount]);
//     static constexpr double kPad;  // an argument that takes a cheap path
// as the exported scalar function (one lane) and as the array form (blocks).
// ---------------------------------------------------------------------------

// The kernel on one lane: the exported scalar function.
template <class Kernel, bool kFma, typename T>
HOSTMATH_ALWAYS_INLINE T one_lane(T x)
{
    const T in[1] = {x};
    T out[1];
    Kernel::template run<Lanes<1, kFma>>(in, out);
    return out[0];
}

// The lanes of an array form's block.
constexpr std::size_t kBlockLanes = 64;

// The kernel over in[0..n), kBlockLanes arguments at a time: x is a copy of
// the arguments, padded past the end of the array with the kernel's pad, y
// receives the results.  The copy lets out equal in.
template <class Kernel, bool kFma, typename T>
HOSTMATH_ALWAYS_INLINE void each_block(const T* in, T* out, std::size_t n)
{
    using L = Lanes<kBlockLanes, kFma>;
    T x[kBlockLanes];
    T y[kBlockLanes];
    for (std::size_t start = 0; start < n; start += kBlockLanes) {
        const std::size_t count = n - start < kBlockLanes ? n - start : kBlockLanes;
        std::memcpy(x, in + start, count * sizeof(T));
        for (std::size_t i = count; i < kBlockLanes; ++i) x[i] = T(Kernel::kPad);
        Kernel::template run<L>(x, y);
        std::memcpy(out + start, y, count * sizeof(T));
    }
}

// ---------------------------------------------------------------------------
// Grouping a block's lanes by piece, for functions with many pieces: each
// piece is then evaluated only on whole vectors around its own lanes, not on
// the whole block.
// ---------------------------------------------------------------------------

// Lanes evaluated together: 64 bytes of arguments.
template <typename T>
constexpr std::size_t kChunk = 64 / sizeof(T);

// lane[start[k] .. start[k + 1]) are the lanes of piece k, in order.
template <std::size_t kPieces>
struct LaneGroups {
    unsigned char lane[kBlockLanes];
    unsigned char start[kPieces + 1];
};

template <std::size_t kPieces, typename Index>
inline void group_by_piece(const Index (&piece)[kBlockLanes], LaneGroups<kPieces>& groups)
{
    unsigned char count[kPieces] = {};
    for (std::size_t i = 0; i < kBlockLanes; ++i) ++count[piece[i]];
    unsigned char next[kPieces];
    groups.start[0] = 0;
    for (std::size_t k = 0; k < kPieces; ++k) {
        next[k] = groups.start[k];
        groups.start[k + 1] = static_cast<unsigned char>(groups.start[k] + count[k]);
    }
    for (std::size_t i = 0; i < kBlockLanes; ++i) groups.lane[next[piece[i]]++] = static_cast<unsigned char>(i);
}

// y[j] = value(j) for the positions j in [begin, end) of a grouped block,
// evaluated on the whole chunks that cover them.
template <typename T, typename Value>
inline void evaluate_group(std::size_t begin, std::size_t end, T (&y)[kBlockLanes], Value value)
{
    constexpr std::size_t chunk = kChunk<T>;
    constexpr std::size_t chunks = kBlockLanes / chunk;
    for (std::size_t k = begin / chunk; k < chunks && k * chunk < end; ++k) {
        T v[chunk];
        for (std::size_t l = 0; l < chunk; ++l) v[l] = value(k * chunk + l);
        T* const out = y + k * chunk;
        for (std::size_t l = 0; l < chunk; ++l) {
            const std::size_t j = k * chunk + l;
            out[l] = j >= begin && j < end ? v[l] : out[l];
        }
    }
}

// ---------------------------------------------------------------------------
// Exact operations for the maths core: sums and products split into the
// rounded result and its exact error, with or without the fused multiply-add
// instruction.  Each holds in round-to-nearest, barring overflow.
// ---------------------------------------------------------------------------

// a + b = s + e exactly, for |a| >= |b| (or a = 0).
template <typename T>
HOSTMATH_ALWAYS_INLINE T fast_two_sum(T a, T b, T& e)
{
    const T s = a + b;
    e = b - (s - a);
    return s;
}

// a + b = s + e exactly, for any a and b.
template <typename T>
HOSTMATH_ALWAYS_INLINE T two_sum(T a, T b, T& e)
{
    const T s = a + b;
    const T a1 = s - b;
    const T b1 = s - a1;
    e = (a - a1) + (b - b1);
    return s;
}

// a * b = p + e exactly: one fused multiply-add where the path has the
// instruction, else Veltkamp's split and Dekker's product (neither operand
// above 2^995 in magnitude, so that the split cannot overflow).  Never the C
// library's fma: on a path without the instruction that is a slow call.
template <class L>
HOSTMATH_ALWAYS_INLINE double two_prod(double a, double b, double& e)
{
    const double p = a * b;
    if constexpr (L::kHasFma) {
        e = std::fma(a, b, -p);
    } else {
        constexpr double kSplit = 0x1p27 + 1;
        const double ca = kSplit * a, cb = kSplit * b;
        const double ah = ca - (ca - a), bh = cb - (cb - b);
        const double al = a - ah, bl = b - bh;
        e = ((ah * bh - p) + ah * bl + al * bh) + al * bl;
    }
    return p;
}

// a * b + c: fused (one rounding) where the path has the instruction, a
// product and a sum (two roundings) elsewhere.  For the core's own
// polynomials, whose error bounds cover both; never for an operation whose
// rounding the result depends on.
template <class L, typename T>
HOSTMATH_ALWAYS_INLINE T mul_add(T a, T b, T c)
{
    if constexpr (L::kHasFma) return std::fma(a, b, c);
    else return a * b + c;
}

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_BASE_LANES_H
