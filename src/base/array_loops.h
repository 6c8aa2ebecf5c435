// The element loops of the conversions' and of max and min's array forms.
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
template <typename A, typename B, typename R, typename F>
inline void combine_each(const A* a, const B* b, R* out, std::size_t n, F f)
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

#endif  // HOSTMATH_BATCH_LOOPS_H
