// hostmath's rows, expanded from the registry: every exported function as
// "hostmath" (one call per element) and every array form as "hostmath-batch"
// (one call for the whole array), on the input sets of bench_domains.h, which
// the peers' rows in the other files share.
#include "bench_domains.h"
#include "registry.h"

#include <string>
#include <type_traits>
#include <vector>

namespace {

using bench::Pair;
using hostmath::registry::Family;

const char* family_of(Family f)
{
    switch (f) {
    case Family::bfloat16: return "bfloat16";
    case Family::half: return "half";
    case Family::special: return "special";
    case Family::trig:
    case Family::roots: return "trig-roots";
    default: return "min-max";
    }
}

template <typename T>
struct SineAndCosine {
    T sine;
    T cosine;
};

// The scalar function over its domain.
template <typename R, typename A>
void add_scalar(const std::string& family, const std::string& function, R (*f)(A))
{
    bench::add(family, function, "hostmath", bench::domain<A>(function), f);
}

template <typename R, typename A, typename B>
void add_scalar(const std::string& family, const std::string& function, R (*f)(A, B))
{
    bench::add(family, function, "hostmath", bench::domain<A, B>(function),
               [f](Pair<A, B> p) { return f(p.first, p.second); });
}

template <typename T>
void add_scalar(const std::string& family, const std::string& function, void (*f)(T, T*, T*))
{
    bench::add(family, function, "hostmath", bench::domain<T>(function), [f](T x) {
        SineAndCosine<T> r;
        f(x, &r.sine, &r.cosine);
        return r;
    });
}

// The array form over the same sets, the whole array in one call.
template <typename In, typename Out>
void add_batch(const std::string& family, const std::string& function, void (*f)(const In*, Out*, std::size_t))
{
    bench::add_array(family, function, "hostmath-batch", bench::domain<In>(function), true, f);
}

template <typename A, typename B, typename Out>
void add_batch(const std::string& family, const std::string& function,
               void (*f)(const A*, const B*, Out*, std::size_t))
{
    for (const auto& inputs : bench::domain<A, B>(function)) {
        std::vector<A> a;
        std::vector<B> b;
        for (const auto& p : inputs.values) a.push_back(p.first), b.push_back(p.second);
        bench::add_array_call(family, function, "hostmath-batch", inputs.name, a.size(), sizeof(A) + sizeof(B),
                              [a, b, f, out = std::vector<Out>(a.size())]() mutable {
                                  f(a.data(), b.data(), out.data(), a.size());
                                  return out.data();
                              });
    }
}

template <typename T>
void add_batch(const std::string& family, const std::string& function, void (*f)(const T*, T*, T*, std::size_t))
{
    for (const auto& inputs : bench::domain<T>(function)) {
        bench::add_array_call(family, function, "hostmath-batch", inputs.name, inputs.values.size(), sizeof(T),
                              [x = inputs.values, f, s = std::vector<T>(inputs.values.size()),
                               c = std::vector<T>(inputs.values.size())]() mutable {
                                  f(x.data(), s.data(), c.data(), x.size());
                                  return c.data();
                              });
    }
}

const bool registered = [] {
    hostmath::registry::for_each([](auto row) {
        using Row = decltype(row);
        const std::string name = row.info.name;
        // The overloads of max and min by their signatures.
        const std::string function = name == "max" || name == "min" ? name + row.info.params : name;
        add_scalar(family_of(row.info.family), function, Row::scalar);
        if constexpr (Row::has_batch) add_batch(family_of(row.info.family), function, Row::batch);
    });
    return true;
}();

}  // namespace
