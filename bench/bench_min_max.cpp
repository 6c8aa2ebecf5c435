// Minimum and maximum beside std::max/std::min (integers, in the common type
// of the operands, and floating) and std::fmax/std::fmin (floating).  The
// peers inline into the loop and may be vectorized by the compiler; hostmath's
// are calls into the shared library.
#include "bench_domains.h"

#include <algorithm>
#include <cmath>

namespace {

using bench::add;
using bench::Pair;

// max(A, B) and min(A, B), and the peers in the result type R.
template <typename A, typename B>
void selections(const std::string& signature)
{
    using R = std::common_type_t<A, B>;
    const auto inputs = bench::domain<A, B>("max");
    const std::string max = "max" + signature;
    const std::string min = "min" + signature;
    add("min-max", max, "std::max", inputs,
        [](Pair<A, B> p) { return std::max(static_cast<R>(p.first), static_cast<R>(p.second)); });
    add("min-max", min, "std::min", inputs,
        [](Pair<A, B> p) { return std::min(static_cast<R>(p.first), static_cast<R>(p.second)); });
    if constexpr (std::is_floating_point<R>::value) {
        add("min-max", max, "std::fmax", inputs,
            [](Pair<A, B> p) { return std::fmax(static_cast<R>(p.first), static_cast<R>(p.second)); });
        add("min-max", min, "std::fmin", inputs,
            [](Pair<A, B> p) { return std::fmin(static_cast<R>(p.first), static_cast<R>(p.second)); });
    }
}

// The functions with names of their own: umax, llmax, ullmax and the min forms.
template <typename T>
void named_selections(const std::string& max, const std::string& min)
{
    const auto inputs = bench::domain<T, T>(max);
    add("min-max", max, "std::max", inputs, [](Pair<T, T> p) { return std::max(p.first, p.second); });
    add("min-max", min, "std::min", inputs, [](Pair<T, T> p) { return std::min(p.first, p.second); });
}

const bool registered = [] {
    selections<int, int>("(int, int)");
    selections<unsigned int, unsigned int>("(unsigned int, unsigned int)");
    selections<int, unsigned int>("(int, unsigned int)");
    selections<unsigned int, int>("(unsigned int, int)");
    selections<long, long>("(long, long)");
    selections<unsigned long, unsigned long>("(unsigned long, unsigned long)");
    selections<long, unsigned long>("(long, unsigned long)");
    selections<unsigned long, long>("(unsigned long, long)");
    selections<long long, long long>("(long long, long long)");
    selections<unsigned long long, unsigned long long>("(unsigned long long, unsigned long long)");
    selections<long long, unsigned long long>("(long long, unsigned long long)");
    selections<unsigned long long, long long>("(unsigned long long, long long)");
    selections<float, float>("(float, float)");
    selections<double, float>("(double, float)");
    selections<float, double>("(float, double)");
    selections<double, double>("(double, double)");
    named_selections<unsigned int>("umax", "umin");
    named_selections<long long>("llmax", "llmin");
    named_selections<unsigned long long>("ullmax", "ullmin");
    return true;
}();

}  // namespace
