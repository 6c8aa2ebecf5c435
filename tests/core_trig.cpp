// The maths core's binary64 sine and cosine against MPFR, bit for bit: the
// special arguments, every hardest-to-round argument (and its negative), random
// arguments of every scale, near multiples of pi/2 and beyond 2^54, for each
// lane policy, and the fast path alone on the lanes it does not flag.  The
// Sweep test (label exhaustive) runs HOSTMATH_TRIG_SWEEP arguments per
// function, 10^7 by default.
#include "math/cos.h"
#include "math/sin.h"

#include "correctly_rounded.h"
#include "sweep.h"
#include "test_bits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using hostmath::detail::Lanes;
using testbits::f64;
using testbits::u64;

struct Function {
    const char* name;
    accuracy::MpfrFunction reference;
    bool cosine;
};
const Function kFunctions[] = {{"sin", mpfr_sin, false}, {"cos", mpfr_cos, true}};

template <class L>
void evaluate(bool cosine, const double (&x)[L::kCount], double (&y)[L::kCount])
{
    if (cosine) hostmath::core::cos<L>(x, y);
    else hostmath::core::sin<L>(x, y);
}

template <class L>
void fast_path(bool cosine, const double (&x)[L::kCount], double (&y)[L::kCount], std::uint64_t (&flag)[L::kCount])
{
    if (cosine) hostmath::core::trig::sin_cos_fast<L, true>(x, y, flag);
    else hostmath::core::trig::sin_cos_fast<L, false>(x, y, flag);
}

// The correctly rounded value; a NaN argument comes back quieted.
double reference(const Function& f, double x)
{
    if (x != x) return f64(u64(x) | 0x0008000000000000ull);
    return accuracy::correctly_rounded(f.reference, x);
}

// Counts of what a batch check found.
struct Tally {
    std::size_t failures = 0;
    std::size_t fast_failures = 0;
    std::size_t flagged = 0;
};

void report(const char* what, const Function& f, double x, double got, double want)
{
    std::printf("%s %s(%a): got %a, want %a\n", what, f.name, x, got, want);
}

// Checks policy L on the inputs against want, the full function and the fast
// path's unflagged lanes.
template <class L>
void check_policy(const Function& f, const std::vector<double>& in, const std::vector<double>& want, Tally& tally)
{
    constexpr std::size_t n = L::kCount;
    for (std::size_t start = 0; start < in.size(); start += n) {
        double x[n], y[n], fy[n];
        std::uint64_t flag[n];
        for (std::size_t i = 0; i < n; ++i) x[i] = in[(start + i) % in.size()];
        evaluate<L>(f.cosine, x, y);
        fast_path<L>(f.cosine, x, fy, flag);
        for (std::size_t i = 0; i < n && start + i < in.size(); ++i) {
            const double w = want[start + i];
            if (!accuracy::same_bits(y[i], w) && tally.failures++ < 5) report("wrong", f, x[i], y[i], w);
            if (flag[i] != 0) ++tally.flagged;
            else if (!accuracy::same_bits(fy[i], w) && tally.fast_failures++ < 5) report("fast path", f, x[i], fy[i], w);
        }
    }
}

// Every policy on the inputs; returns the share of lanes the fast path flagged.
double check_all(const Function& f, const std::vector<double>& in)
{
    std::vector<double> want(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) want[i] = reference(f, in[i]);
    Tally one, one_fma, wide, wide_fma;
    check_policy<Lanes<1, false>>(f, in, want, one);
    check_policy<Lanes<1, true>>(f, in, want, one_fma);
    check_policy<Lanes<64, false>>(f, in, want, wide);
    check_policy<Lanes<64, true>>(f, in, want, wide_fma);
    for (const Tally* t : {&one, &one_fma, &wide, &wide_fma}) {
        EXPECT_EQ(t->failures, 0u) << f.name << " of " << in.size() << " inputs";
        EXPECT_EQ(t->fast_failures, 0u) << f.name << ": fast path, unflagged lanes";
    }
    return in.empty() ? 0.0 : static_cast<double>(one.flagged) / static_cast<double>(in.size());
}

constexpr double kPi = 0x1.921fb54442d18p+1;

// A small generator for the sweeps: one per argument, from its index.
struct SplitMix {
    std::uint64_t state;
    std::uint64_t operator()()
    {
        std::uint64_t z = (state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
};

// Random arguments: bit patterns, binades, log-uniform magnitudes up to 2^54,
// [-2pi, 2pi], next to multiples of pi/2 (a few ulps from the double nearest
// k pi/2, k up to 2^52), beyond 2^54 up to the largest double, and integers
// near 2^52.
double random_argument(std::uint64_t kind, SplitMix& rng)
{
    const std::uint64_t bits = rng();
    const double sign = (bits & 1) ? -1.0 : 1.0;
    const double unit = static_cast<double>(rng() >> 11) * 0x1p-53;
    switch (kind % 7) {
    case 0:
        return f64(rng());
    case 1:
        return f64((bits & 0x8000000000000000ull) | (rng() % 2047) << 52 | (rng() & 0xfffffffffffffull));
    case 2:
        return sign * std::exp2(-30.0 + 84.0 * unit);
    case 3:
        return sign * 2 * kPi * unit;
    case 4: {
        const double near = std::floor(std::exp2(52.0 * unit)) * (kPi / 2);
        return sign * f64(u64(near) + (bits >> 1) % 9 - 4);
    }
    case 5:
        return sign * std::exp2(54.0 + 970.0 * unit);
    default:
        return sign * (1.0 + unit) * 0x1p52;
    }
}

TEST(CoreTrig, SpecialArguments)
{
    const double inf = f64(0x7ff0000000000000ull), qnan = f64(0x7ff8000000000000ull);
    const double payload = f64(0x7ff8000000012345ull), signaling = f64(0x7ff0000000012345ull);
    const double negative_payload = f64(0xfff8000000000abcull);
    struct Case {
        double x, sin, cos;
    };
    const Case cases[] = {
        {0.0, 0.0, 1.0},
        {-0.0, -0.0, 1.0},
        {inf, qnan, qnan},
        {-inf, qnan, qnan},
        {payload, payload, payload},
        {signaling, payload, payload},  // quieted, payload kept
        {negative_payload, negative_payload, negative_payload},
        {0x1p-1074, 0x1p-1074, 1.0},
        {-0x1p-1022, -0x1p-1022, 1.0},
        {0x1.fffffffffffffp-28, 0x1.fffffffffffffp-28, 1.0},
    };
    for (const Case& c : cases) {
        double x1[1] = {c.x}, y1[1];
        double x64[64], y64[64];
        for (double& v : x64) v = c.x;
        hostmath::core::sin<Lanes<1, false>>(x1, y1);
        EXPECT_TRUE(accuracy::same_bits(y1[0], c.sin)) << "sin(" << c.x << ")";
        hostmath::core::sin<Lanes<64, true>>(x64, y64);
        EXPECT_TRUE(accuracy::same_bits(y64[17], c.sin)) << "sin(" << c.x << "), 64 lanes";
        hostmath::core::cos<Lanes<1, true>>(x1, y1);
        EXPECT_TRUE(accuracy::same_bits(y1[0], c.cos)) << "cos(" << c.x << ")";
        hostmath::core::cos<Lanes<64, false>>(x64, y64);
        EXPECT_TRUE(accuracy::same_bits(y64[63], c.cos)) << "cos(" << c.x << "), 64 lanes";
    }
    // Finite edges against MPFR: the tiny-argument thresholds, the end of the
    // fast path's range, the largest double, the double nearest pi/2 and the
    // double nearest a multiple of pi/2 below 2^54.
    std::vector<double> edges = {0x1p-27, 0x1.0000000000001p-27, 0x1.fffffffffffffp-27, 0x1p-26, 0x1p-9,
                                 0x1.fffffffffffffp-10, kPi / 2, kPi, 0x1.fffffffffffffp+53, 0x1p54,
                                 0x1.0000000000001p54, 0x1.fffffffffffffp+1023, 0x1p+1023, 0x1.6ac5b262ca1ffp+849};
    for (std::size_t i = 0, n = edges.size(); i < n; ++i) edges.push_back(-edges[i]);
    for (const Function& f : kFunctions) check_all(f, edges);
}

TEST(CoreTrig, HardestCases)
{
    for (const Function& f : kFunctions) {
        std::vector<double> in = accuracy::hard_cases(f.name);
        ASSERT_GT(in.size(), 39000u) << f.name;
        for (std::size_t i = 0, n = in.size(); i < n; ++i) in.push_back(-in[i]);
        const double flagged = check_all(f, in);
        std::printf("%s: %zu hardest cases and negatives, %.1f%% to the accurate path\n", f.name, in.size(),
                    100 * flagged);
    }
}

TEST(CoreTrig, RandomArguments)
{
    for (const Function& f : kFunctions) {
        SplitMix rng{f.cosine ? 2u : 1u};
        std::vector<double> in(60000);
        for (std::size_t i = 0; i < in.size(); ++i) in[i] = random_argument(i, rng);
        const double flagged = check_all(f, in);
        std::printf("%s: %zu random arguments, %.2f%% to the accurate path\n", f.name, in.size(), 100 * flagged);
        // Sorted by magnitude, so that blocks of 64 lanes share a range and
        // take the shorter reductions.
        std::sort(in.begin(), in.end(), [](double a, double b) { return std::fabs(a) < std::fabs(b); });
        check_all(f, in);
    }
}

TEST(CoreTrigSweep, RandomArguments)
{
    std::uint64_t count = 10000000;
    if (const char* text = std::getenv("HOSTMATH_TRIG_SWEEP")) count = std::strtoull(text, nullptr, 10);
    for (const Function& f : kFunctions) {
        const sweep::Result result = sweep::run(0, count, [&](std::uint64_t i) {
            SplitMix rng{i * 2 + (f.cosine ? 1 : 0) + 0x5eed0000000000ull};
            const double x1[1] = {random_argument(i, rng)};
            double y1[1], fy[1];
            std::uint64_t flag[1];
            if (i & 1) evaluate<Lanes<1, true>>(f.cosine, x1, y1);
            else evaluate<Lanes<1, false>>(f.cosine, x1, y1);
            fast_path<Lanes<1, false>>(f.cosine, x1, fy, flag);
            const double want = reference(f, x1[0]);
            return accuracy::same_bits(y1[0], want) && (flag[0] != 0 || accuracy::same_bits(fy[0], want));
        });
        EXPECT_EQ(result.failures, 0u) << f.name << ": " << result.checked << " arguments";
        for (std::uint64_t i : result.first_failures) std::printf("%s: sweep index %llu fails\n", f.name,
                                                                   static_cast<unsigned long long>(i));
        std::printf("%s: %llu random arguments checked\n", f.name, static_cast<unsigned long long>(result.checked));
    }
}

}  // namespace
