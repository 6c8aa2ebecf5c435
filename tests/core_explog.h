// What tests/core_explog.cpp and tests/full_explog.cpp share: the two
// functions under every lane policy, random inputs drawn from an index (so a
// sweep gives the same inputs on any number of threads), and the check of a
// block of inputs against MPFR.
#ifndef HOSTMATH_TEST_CORE_EXPLOG_H
#define HOSTMATH_TEST_CORE_EXPLOG_H

#include "correctly_rounded.h"
#include "test_bits.h"

#include "math/exp.h"
#include "math/log.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace explog_test {

template <std::size_t kLanes, bool kFma>
using Lanes = hostmath::detail::Lanes<kLanes, kFma>;
using Flag = hostmath::detail::LaneFlag<double>;

enum class Fn { kExp, kLog };

inline const char* name(Fn f) { return f == Fn::kExp ? "exp" : "log"; }
inline accuracy::MpfrFunction mpfr_function(Fn f) { return f == Fn::kExp ? mpfr_exp : mpfr_log; }
inline double accurate(Fn f, double x)
{
    return f == Fn::kExp ? hostmath::core::exp_accurate(x) : hostmath::core::log_accurate(x);
}

template <class L>
void evaluate(Fn f, const double (&x)[L::kCount], double (&y)[L::kCount])
{
    if (f == Fn::kExp) hostmath::core::exp<L>(x, y);
    else hostmath::core::log<L>(x, y);
}

template <class L>
void evaluate_fast(Fn f, const double (&x)[L::kCount], double (&y)[L::kCount], Flag (&flag)[L::kCount])
{
    if (f == Fn::kExp) hostmath::core::exp_fast<L>(x, y, flag);
    else hostmath::core::log_fast<L>(x, y, flag);
}

inline std::uint64_t mix(std::uint64_t z)
{
    z += 0x9e3779b97f4a7c15ull;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

inline double uniform(std::uint64_t bits, double a, double b)
{
    return a + (b - a) * (static_cast<double>(bits >> 11) * 0x1p-53);
}

// Input number `index` of f's random sweep: a mix of every bit pattern,
// random binades, and the ranges where each function is delicate.
inline double random_input(Fn f, std::uint64_t index)
{
    const std::uint64_t r = mix(index ^ (f == Fn::kExp ? 0x6578700000000000ull : 0x6c6f670000000000ull));
    const std::uint64_t v = mix(r);
    const std::uint64_t binade = (v & 0xfffffffffffffull) | (((r >> 8) % 2047) << 52);
    switch (r % 8) {
    case 0: return testbits::f64(v);  // any pattern
    case 1: return testbits::f64(binade | (r >> 7 & 1) << 63);
    }
    if (f == Fn::kExp) {
        switch (r % 8) {
        case 2:
        case 3: return uniform(v, -746.0, 710.0);
        case 4: return uniform(v, -1.0, 1.0) * testbits::f64(static_cast<std::uint64_t>(1023 - (r >> 8) % 64) << 52);
        case 5: return uniform(v, -746.0, -707.0);  // subnormal results and their edge
        case 6: return uniform(v, 700.0, 710.0);     // near overflow
        default: return uniform(v, -40.0, 40.0);
        }
    }
    switch (r % 8) {
    case 2:
    case 3: return testbits::f64(binade);  // positive, any binade
    case 4: return 1.0 + uniform(v, -1.0, 1.0) * testbits::f64(static_cast<std::uint64_t>(1023 - (r >> 8) % 54) << 52);
    case 5: return testbits::f64(v & 0xfffffffffffffull);  // subnormal
    case 6: return uniform(v, 0.5, 2.0);
    default: return testbits::f64(v & ~(1ull << 63));  // positive patterns, infinities and NaNs included
    }
}

// The results of f on x through the lane policy L, in blocks of L::kCount.
template <class L>
std::vector<double> evaluate_all(Fn f, const std::vector<double>& x)
{
    std::vector<double> y(x.size());
    for (std::size_t start = 0; start < x.size(); start += L::kCount) {
        double in[L::kCount], out[L::kCount];
        for (std::size_t i = 0; i < L::kCount; ++i) in[i] = start + i < x.size() ? x[start + i] : 1.0;
        evaluate<L>(f, in, out);
        for (std::size_t i = 0; i < L::kCount && start + i < x.size(); ++i) y[start + i] = out[i];
    }
    return y;
}

// The fast path's results through L, NaN where it flags the lane (a flagged
// lane is not checked; an unflagged one must be right).
template <class L>
std::vector<double> evaluate_fast_all(Fn f, const std::vector<double>& x, std::size_t& flagged)
{
    std::vector<double> y(x.size());
    for (std::size_t start = 0; start < x.size(); start += L::kCount) {
        double in[L::kCount], out[L::kCount];
        Flag flag[L::kCount];
        for (std::size_t i = 0; i < L::kCount; ++i) in[i] = start + i < x.size() ? x[start + i] : 1.0;
        evaluate_fast<L>(f, in, out, flag);
        for (std::size_t i = 0; i < L::kCount && start + i < x.size(); ++i) {
            y[start + i] = flag[i] != 0 ? testbits::f64(0x7ff4000000000000ull) : out[i];  // a signalling NaN: no result
            flagged += flag[i] != 0;
        }
    }
    return y;
}

inline bool is_no_result(double y) { return testbits::u64(y) == 0x7ff4000000000000ull; }

// One way of computing f, and how many of the checked inputs it got wrong.
struct Route {
    const char* name;
    std::vector<double> got;
    bool fast_only;  // lanes without a result are skipped
    std::size_t flagged = 0;
};

// Every route of f (each lane policy, the fast path alone under each, the
// accurate path alone) on x.
inline std::vector<Route> all_routes(Fn f, const std::vector<double>& x)
{
    std::vector<Route> routes;
    routes.push_back({"Lanes<1,false>", evaluate_all<Lanes<1, false>>(f, x), false});
    routes.push_back({"Lanes<1,true>", evaluate_all<Lanes<1, true>>(f, x), false});
    routes.push_back({"Lanes<64,false>", evaluate_all<Lanes<64, false>>(f, x), false});
    routes.push_back({"Lanes<64,true>", evaluate_all<Lanes<64, true>>(f, x), false});
    std::vector<double> acc(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) acc[i] = accurate(f, x[i]);
    routes.push_back({"accurate path", acc, false});
    std::size_t flagged = 0;
    routes.push_back({"fast path, Lanes<1,false>", evaluate_fast_all<Lanes<1, false>>(f, x, flagged), true, 0});
    routes.back().flagged = flagged;
    flagged = 0;
    routes.push_back({"fast path, Lanes<64,true>", evaluate_fast_all<Lanes<64, true>>(f, x, flagged), true, 0});
    routes.back().flagged = flagged;
    return routes;
}

// The correctly rounded value of f at x from MPFR (a NaN argument quieted,
// payload kept).
inline double reference(Fn f, double x)
{
    return x != x ? x + x : accuracy::correctly_rounded<double>(mpfr_function(f), x);
}

// The sweeps' unit: block `block` of 64 random inputs of f through the
// 64-lane forms and the one-lane form, against want(f, x) (MPFR's value by
// default); returns whether all agree.
template <typename Want = double (*)(Fn, double)>
bool check_random_block(Fn f, std::uint64_t block, Want want_of = reference)
{
    double x[64], wide[64], wide_fma[64], want[64];
    for (std::size_t i = 0; i < 64; ++i) x[i] = random_input(f, block * 64 + i);
    evaluate<Lanes<64, false>>(f, x, wide);
    evaluate<Lanes<64, true>>(f, x, wide_fma);
    bool ok = true;
    for (std::size_t i = 0; i < 64; ++i) {
        const double xi[1] = {x[i]};
        double one[1];
        evaluate<Lanes<1, false>>(f, xi, one);
        want[i] = want_of(f, x[i]);
        ok = ok && accuracy::same_bits(wide[i], want[i]) && accuracy::same_bits(wide_fma[i], want[i]) &&
             accuracy::same_bits(one[0], want[i]);
    }
    return ok;
}

}  // namespace explog_test

#endif  // HOSTMATH_TEST_CORE_EXPLOG_H
