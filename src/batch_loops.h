// What the array forms share: the instruction-set selection on x86-64 and the
// element loop of the conversions.
#ifndef HOSTMATH_BATCH_LOOPS_H
#define HOSTMATH_BATCH_LOOPS_H

#include "hostmath/batch.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

// On x86-64 each array loop is compiled three times, for the baseline, for
// AVX2 with FMA (x86-64-v3) and for AVX-512 (x86-64-v4), and the loader picks
// the widest the processor runs.  The per-element operations are the same in
// every copy: the vector units compute them lane by lane with the same IEEE
// rounding, and a fused multiply-add is fused in every copy (an instruction, or
// the C library's fma in the baseline one).  Elsewhere the one build serves.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define HOSTMATH_BATCH_CLONES __attribute__((target_clones("default", "arch=x86-64-v3", "arch=x86-64-v4")))
#else
#define HOSTMATH_BATCH_CLONES
#endif

// For a block's code shared by both precisions: inlined into each copy of the
// calling block function, so that it is compiled for that copy's instructions.
#if defined(__GNUC__) || defined(__clang__)
#define HOSTMATH_BATCH_INLINE inline __attribute__((always_inline))
#else
#define HOSTMATH_BATCH_INLINE inline
#endif

namespace hostmath {
namespace detail {

// The 16-bit records are read and written through their bits member: the
// vectoriser handles a 16-bit integer where it would not copy a record.
inline unsigned short load(const __quix_bfloat16& b) { return b.bits; }
inline unsigned short load(const __half& h) { return h.bits; }
inline float load(const float& x) { return x; }
inline double load(const double& x) { return x; }
inline void store(__quix_bfloat16& b, unsigned short bits) { b.bits = bits; }
inline void store(__half& h, unsigned short bits) { h.bits = bits; }
inline void store(float& y, float value) { y = value; }

// out[i] = convert(in[i]) for i < n; the arrays do not overlap, which lets the
// compiler vectorise the loop without run-time overlap checks.
template <typename In, typename Out, typename Convert>
inline void convert_each(const In* __restrict in, Out* __restrict out, std::size_t n, Convert convert)
{
    for (std::size_t i = 0; i < n; ++i) store(out[i], convert(load(in[i])));
}

// ---------------------------------------------------------------------------
// The special functions work on blocks of kBlock arguments in passes: vector
// passes compute the arguments of the system log, exp and sqrt, the scalar
// passes make those calls for the lanes that need them, and further vector
// passes evaluate the polynomials and pick each lane's result.  A polynomial is
// evaluated over the whole block, or not at all when no lane of the block
// needs it; each lane takes the value of its own piece.  So every lane goes
// through exactly the operations of the scalar function.
// ---------------------------------------------------------------------------

constexpr std::size_t kBlock = 64;

// A lane flag (0 or 1) of the lane's own width, so that selects on it vectorise.
template <typename T>
using LaneFlag = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;

// Runs block(x, y) over in[0..n) kBlock arguments at a time: x is a copy of
// the arguments, padded past the end of the array with pad (an argument that
// takes a cheap path), y receives the results.  The copy lets out equal in.
template <typename T, typename Block>
inline void for_each_block(const T* in, T* out, std::size_t n, T pad, Block block)
{
    T x[kBlock];
    T y[kBlock];
    for (std::size_t start = 0; start < n; start += kBlock) {
        const std::size_t count = std::min(kBlock, n - start);
        std::memcpy(x, in + start, count * sizeof(T));
        std::fill(x + count, x + kBlock, pad);
        block(x, y);
        std::memcpy(out + start, y, count * sizeof(T));
    }
}

// Calls call(i) for each flagged lane i, in order, and returns their number:
// the scalar passes.  A block with every lane or no lane flagged needs no list;
// otherwise the list of lanes is built without a branch per lane.
template <typename Flag, typename Call>
inline std::size_t for_flagged_lanes(const Flag (&flag)[kBlock], Call call)
{
    Flag flagged = 0;
    for (std::size_t i = 0; i < kBlock; ++i) flagged += flag[i];
    const std::size_t count = static_cast<std::size_t>(flagged);
    if (count == kBlock) {
        for (std::size_t i = 0; i < kBlock; ++i) call(i);
    } else if (count > 0) {
        unsigned char lanes[kBlock];
        std::size_t m = 0;
        for (std::size_t i = 0; i < kBlock; ++i) {
            lanes[m] = static_cast<unsigned char>(i);
            m += flag[i];
        }
        for (std::size_t j = 0; j < count; ++j) call(lanes[j]);
    }
    return count;
}

// p[i] = piece(i) on the flagged lanes, the others kept; nothing to do when no
// lane is flagged.  piece is evaluated on every lane into a scratch array, then
// selected: two plain loops, which the compiler vectorises where one loop with
// a conditional piece it does not.
template <typename T, typename Flag, typename Piece>
inline void take_piece(const Flag (&flag)[kBlock], T (&p)[kBlock], Piece piece)
{
    Flag flagged = 0;
    for (std::size_t i = 0; i < kBlock; ++i) flagged += flag[i];
    if (flagged == 0) return;
    T v[kBlock];
    for (std::size_t i = 0; i < kBlock; ++i) v[i] = piece(i);
    for (std::size_t i = 0; i < kBlock; ++i) p[i] = flag[i] != 0 ? v[i] : p[i];
}

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_BATCH_LOOPS_H
