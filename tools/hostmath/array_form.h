// The one place that decides how the eval and check subcommands apply a
// function to arrays: through its array form where the registry lists one,
// else the scalar function in a loop.
#ifndef HOSTMATH_ARRAY_FORM_H
#define HOSTMATH_ARRAY_FORM_H

#include "cli.h"

#include <cstddef>
#include <vector>

namespace hostmath_cli {

// Applies f to n elements.  The pointers must be aligned for their element
// types (the scalar loop would not need it; the array forms do).
ArrayCall array_form(const Function& f);

// The calls of the array forms, by their types.  Without an array form
// (nullptr) there is no call.
inline ArrayCall array_call(std::nullptr_t) { return {}; }

// out[i] = f(in[i]).
template <typename In, typename Out>
ArrayCall array_call(void (*fn)(const In*, Out*, std::size_t))
{
    return [fn](const void* const* in, void* out, std::size_t n) {
        fn(static_cast<const In*>(in[0]), static_cast<Out*>(out), n);
    };
}

// out[i] = f(a[i], b[i]).
template <typename A, typename B, typename Out>
ArrayCall array_call(void (*fn)(const A*, const B*, Out*, std::size_t))
{
    return [fn](const void* const* in, void* out, std::size_t n) {
        fn(static_cast<const A*>(in[0]), static_cast<const B*>(in[1]), static_cast<Out*>(out), n);
    };
}

// Two results per element into two arrays (sincospi), interleaved into the
// pair layout: first, second, first, second, ...
template <typename In, typename Out>
ArrayCall array_call(void (*fn)(const In*, Out*, Out*, std::size_t))
{
    return [fn](const void* const* in, void* out, std::size_t n) {
        thread_local std::vector<Out> first, second;
        first.resize(n);
        second.resize(n);
        fn(static_cast<const In*>(in[0]), first.data(), second.data(), n);
        Out* pairs = static_cast<Out*>(out);
        for (std::size_t i = 0; i < n; ++i) {
            pairs[2 * i] = first[i];
            pairs[2 * i + 1] = second[i];
        }
    };
}

}  // namespace hostmath_cli

#endif
