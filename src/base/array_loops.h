// What the array forms share: the element loop of the conversions, and the
// blocks and passes of the special functions.
#ifndef HOSTMATH_BATCH_LOOPS_H
#define HOSTMATH_BATCH_LOOPS_H

#include "cpu/export.h"
#include "hostmath/batch.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

// On x86-64 each array form is compiled for the baseline, x86-64-v3 and
// x86-64-v4 and picked at load time (dispatch.h); everything here is inlined
// into each copy.

// For a block's code shared by both precisions: inlined into each copy of the
// calling array form, so that it is compiled for that copy's instructions.
#if defined(__GNUC__) || defined(__clang__)
#define HOSTMATH_BATCH_INLINE inline __attribute__((always_inline))
#else
#define HOSTMATH_BATCH_INLINE inline
#endif

namespace hostmath {
namespace detail {

// The 16-bit records are read and written through their bits member: the
// vectoriser handles a 16-bit integer where it would not copy a record.
// Numbers are read and written as they are.
inline unsigned short load(const __quix_bfloat16& b) { return b.bits; }
inline unsigned short load(const __half& h) { return h.bits; }
template <typename Number>
inline Number load(const Number& x)
{
    return x;
}
inline void store(__quix_bfloat16& b, unsigned short bits) { b.bits = bits; }
inline void store(__half& h, unsigned short bits) { h.bits = bits; }
template <typename Number>
inline void store(Number& y, Number value)
{
    y = value;
}

// out[i] = convert(in[i]) for i < n; the arrays do not overlap, which lets the
// compiler vectorise the loop without run-time overlap checks.  Whole runs of
// kRun elements first: a fixed trip count is vectorised even by the cheapest
// vectoriser settings (GCC's at -O2); then the rest.
constexpr std::size_t kRun = 64;

template <typename In, typename Out, typename Convert>
inline void convert_each(const In* __restrict in, Out* __restrict out, std::size_t n, Convert convert)
{
    std::size_t i = 0;
    for (; i + kRun <= n; i += kRun)
        for (std::size_t j = 0; j < kRun; ++j) store(out[i + j], convert(load(in[i + j])));
    for (; i < n; ++i) store(out[i], convert(load(in[i])));
}

// out[i] = f(in[i]) for i < n, for the functions that work in place: out may
// equal in (the compiler checks the overlap before it runs the loop's vector
// form).  The same runs as convert_each.
template <typename T, typename F>
inline void map_each(const T* in, T* out, std::size_t n, F f)
{
    std::size_t i = 0;
    for (; i + kRun <= n; i += kRun)
        for (std::size_t j = 0; j < kRun; ++j) out[i + j] = f(in[i + j]);
    for (; i < n; ++i) out[i] = f(in[i]);
}

// out[i] = f(a[i], b[i]) for i < n; out may equal a or b.
template <typename T, typename F>
inline void combine_each(const T* a, const T* b, T* out, std::size_t n, F f)
{
    std::size_t i = 0;
    for (; i + kRun <= n; i += kRun)
        for (std::size_t j = 0; j < kRun; ++j) out[i + j] = f(a[i + j], b[i + j]);
    for (; i < n; ++i) out[i] = f(a[i], b[i]);
}

}  // namespace detail
}  // namespace hostmath

// The array form NAME (the exported name, spelled out) of a function whose
// kernel for one element is KERNEL: out[i] = KERNEL(in[i]) by LOOP
// (convert_each or map_each).
#define HOSTMATH_EXPORT_EACH(NAME, In, Out, LOOP, KERNEL)                                               \
    HOSTMATH_EXPORT(void, NAME, (const In* in, Out* out, std::size_t n))                                 \
    {                                                                                                   \
        hostmath::detail::LOOP(in, out, n, KERNEL);                                                     \
    }

namespace hostmath {
namespace detail {

// ---------------------------------------------------------------------------
// The special functions work on blocks of kBlock arguments in passes: vector
// passes compute the arguments of the system log, exp and sqrt, the scalar
// passes make those calls for the lanes that need them, and further vector
// passes evaluate the polynomials and pick each lane's result.  A polynomial is
// evaluated over the whole block, or not at all when no lane of the block
// needs it (or, where many pieces share a block, over the vectors that hold
// its lanes once the lanes are grouped by piece); each lane takes the value of
// its own piece.  So every lane goes through exactly the operations of the
// scalar function.
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
// the scalar passes.  The flags are gathered into one bit per lane first, so
// that the walk visits the flagged lanes only, with no branch per lane.
template <typename Flag, typename Call>
inline std::size_t for_flagged_lanes(const Flag (&flag)[kBlock], Call call)
{
    static_assert(kBlock == 64, "one bit per lane of a 64-bit word");
    std::uint64_t bits = 0;
    // (Written with "flag[i] != 0 ? 1 : 0" instead, GCC 12 at -O1 with the
    // undefined-behaviour sanitizer miscompiles this loop.)
    for (std::size_t i = 0; i < kBlock; ++i) bits |= static_cast<std::uint64_t>(flag[i] != 0) << i;
    std::size_t count = 0;
    for (; bits != 0; bits &= bits - 1, ++count) call(static_cast<std::size_t>(__builtin_ctzll(bits)));
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
    unsigned char lane[kBlock];
    unsigned char start[kPieces + 1];
};

template <std::size_t kPieces, typename Index>
inline void group_by_piece(const Index (&piece)[kBlock], LaneGroups<kPieces>& groups)
{
    unsigned char count[kPieces] = {};
    for (std::size_t i = 0; i < kBlock; ++i) ++count[piece[i]];
    unsigned char next[kPieces];
    groups.start[0] = 0;
    for (std::size_t k = 0; k < kPieces; ++k) {
        next[k] = groups.start[k];
        groups.start[k + 1] = static_cast<unsigned char>(groups.start[k] + count[k]);
    }
    for (std::size_t i = 0; i < kBlock; ++i) groups.lane[next[piece[i]]++] = static_cast<unsigned char>(i);
}

// y[j] = value(j) for the positions j in [begin, end) of a grouped block,
// evaluated on the whole chunks that cover them.
template <typename T, typename Value>
inline void evaluate_group(std::size_t begin, std::size_t end, T (&y)[kBlock], Value value)
{
    constexpr std::size_t chunk = kChunk<T>;
    constexpr std::size_t chunks = kBlock / chunk;
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

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_BATCH_LOOPS_H
