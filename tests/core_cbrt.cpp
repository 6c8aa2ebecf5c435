// hostmath::core::cbrt against MPFR, bit for bit: special inputs, every
// hardest-to-round input of tests/data/hard-cases/cbrt.txt and its negative,
// exact cubes, random inputs of every scale; through every lane policy, the
// accurate path alone, and the fast path alone on the lanes it does not flag.
// CbrtSweep (label exhaustive): 10^7 random inputs, or HOSTMATH_CBRT_SWEEP
// blocks of 64 when that variable is set (the long run).
#include "math/cbrt.h"

#include "correctly_rounded.h"
#include "sweep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using hostmath::detail::Lanes;
using testbits::f64;
using testbits::u64;

// The correctly rounded cube root; a NaN argument comes back quieted with its payload.
double expected(double x)
{
    if (x != x) return f64(u64(x) | 0x0008000000000000ull);
    return accuracy::correctly_rounded<double>(mpfr_cbrt, x);
}

// cbrt<L> over the inputs, L::kCount at a time (the last block padded).
template <class L>
std::vector<double> through(const std::vector<double>& in)
{
    std::vector<double> out(in.size());
    for (std::size_t first = 0; first < in.size(); first += L::kCount) {
        double x[L::kCount], y[L::kCount];
        for (std::size_t i = 0; i < L::kCount; ++i) x[i] = first + i < in.size() ? in[first + i] : 1.0;
        hostmath::core::cbrt<L>(x, y);
        for (std::size_t i = 0; i < L::kCount && first + i < in.size(); ++i) out[first + i] = y[i];
    }
    return out;
}

// The fast path alone: its unflagged lanes must be right already.  Returns
// the number of flagged lanes.
template <class L>
std::size_t check_fast_path(const std::vector<double>& in, const std::vector<double>& want, int& failures)
{
    std::size_t flagged = 0;
    for (std::size_t first = 0; first + L::kCount <= in.size(); first += L::kCount) {
        double x[L::kCount], y[L::kCount];
        hostmath::detail::LaneFlag<double> flag[L::kCount];
        for (std::size_t i = 0; i < L::kCount; ++i) x[i] = in[first + i];
        hostmath::core::cbrt_detail::cbrt_fast<L>(x, y, flag);
        for (std::size_t i = 0; i < L::kCount; ++i) {
            if (flag[i] != 0) {
                ++flagged;
            } else if (!accuracy::same_bits(y[i], want[first + i]) && ++failures <= 5) {
                ADD_FAILURE() << "fast path, kHasFma " << L::kHasFma << ": cbrt(" << std::hexfloat << x[i]
                              << ") = " << y[i] << ", want " << want[first + i];
            }
        }
    }
    return flagged;
}

// Every policy, the accurate path and the fast path on the inputs, with and
// without their signs flipped.  Returns the number of lanes the fast path
// flags.
std::size_t check_all(std::vector<double> in, const std::string& what)
{
    const std::size_t count = in.size();
    for (std::size_t i = 0; i < count; ++i) in.push_back(-in[i]);
    std::vector<double> want(in.size()), accurate(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        want[i] = expected(in[i]);
        accurate[i] = hostmath::core::cbrt_detail::cbrt_accurate(in[i]);
    }
    const std::vector<std::pair<const char*, std::vector<double>>> results{
        {"Lanes<1, false>", through<Lanes<1, false>>(in)}, {"Lanes<1, true>", through<Lanes<1, true>>(in)},
        {"Lanes<64, false>", through<Lanes<64, false>>(in)}, {"Lanes<64, true>", through<Lanes<64, true>>(in)},
        {"accurate path", accurate}};
    for (const auto& [policy, got] : results) {
        int failures = 0;
        for (std::size_t i = 0; i < in.size(); ++i) {
            if (accuracy::same_bits(got[i], want[i]) || ++failures > 5) continue;
            ADD_FAILURE() << what << ", " << policy << ": cbrt(" << std::hexfloat << in[i] << ") = " << got[i]
                          << ", want " << want[i];
        }
        EXPECT_EQ(failures, 0) << what << ", " << policy;
    }
    int failures = 0;
    const std::size_t flagged = check_fast_path<Lanes<64, false>>(in, want, failures);
    check_fast_path<Lanes<64, true>>(in, want, failures);
    EXPECT_EQ(failures, 0) << what << ", fast path";
    return flagged;
}

TEST(Cbrt, SpecialInputs)
{
    check_all({0.0, f64(0x7ff0000000000000ull), f64(0x7ff8000000000000ull), f64(0x7ff0000000000001ull),
               f64(0x7ff4000000000abcull), f64(0x7fffffffffffffffull), 1.0, 8.0, 27.0, 0.125, 0x1p-1074, 0x1p-1071,
               0x1p-1073, 0x1.fffffffffffffp-1023, 0x1p-1022, 0x1.fffffffffffffp+1023, 0x1.fffffffffffffp+2,
               0x1.0000000000001p+0, 0x1.fffffffffffffp-1, 3.0, 10.0},
              "special");
}

TEST(Cbrt, HardestToRound)
{
    const std::vector<double> hard = accuracy::hard_cases("cbrt");
    ASSERT_EQ(hard.size(), 105540u);
    check_all(hard, "hard case");
}

// y^3 exact for y of at most 17 significant bits: cbrt must give y itself.
TEST(Cbrt, ExactCubes)
{
    std::mt19937_64 rng(3);
    std::vector<double> cubes, roots;
    for (int i = 0; i < 20000; ++i) {
        const double k = static_cast<double>(rng() & 0x1ffff) + 1;  // 1 to 2^17
        const int j = static_cast<int>(rng() % 700) - 375;          // k^3 2^(3j) from 2^-1125 up to 2^1023
        const double root = std::ldexp(k, j);
        const double cube = root * root * root;
        if (cube == 0 || std::isinf(cube) || std::ldexp(cube, -3 * j) != k * k * k) continue;  // rounded
        cubes.push_back(cube);
        roots.push_back(root);
    }
    ASSERT_GT(cubes.size(), 15000u);
    for (std::size_t i = 0; i < cubes.size(); ++i)
        ASSERT_EQ(hostmath::core::cbrt_detail::cbrt_accurate(cubes[i]), roots[i]) << std::hexfloat << cubes[i];
    check_all(cubes, "exact cube");
}

TEST(Cbrt, RandomInputs)
{
    testbits::DoubleSource source(11);
    std::mt19937_64 rng(12);
    std::vector<double> in;
    for (int i = 0; i < 60000; ++i) in.push_back(source());
    for (int i = 0; i < 10000; ++i) in.push_back(f64(rng() & 0x000fffffffffffffull));  // subnormals
    // Next to the ends of the reduced range [1, 8): t near 1 and near 8.
    for (int i = 0; i < 10000; ++i) {
        const int e = 3 * static_cast<int>(rng() % 680 - 340);
        const double offset = static_cast<double>(rng() % 4096) * 0x1p-52;
        in.push_back(std::ldexp(i % 2 ? 1 + offset : 8 - 2 * offset - 0x1p-50, e));
    }
    // The fast path settles all but about one lane in 2^11 (and the NaNs,
    // infinities and zeros).
    EXPECT_LT(check_all(in, "random"), in.size() / 100);
}

// Inputs of a sweep, from their index alone (any thread, any order).
double sweep_input(std::uint64_t i)
{
    std::uint64_t z = i * 0x9e3779b97f4a7c15ull + 0x632be59bd9b4e019ull;  // splitmix64
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    z ^= z >> 31;
    // Half raw patterns; half with a uniform exponent, which favours small
    // magnitudes and subnormals less than raw bits do not.
    if (i & 1) return f64(z);
    return f64((z & 0x800fffffffffffffull) | ((z >> 52) % 2047) << 52);
}

TEST(CbrtSweep, RandomInputs)
{
    const char* env = std::getenv("HOSTMATH_CBRT_SWEEP");
    const std::uint64_t blocks = env ? std::strtoull(env, nullptr, 10) : 10000000 / 64;
    const sweep::Result result = sweep::run(0, blocks, [](std::uint64_t block) {
        double x[64], y[64];
        for (std::size_t i = 0; i < 64; ++i) x[i] = sweep_input(block * 64 + i);
        if (block & 1) hostmath::core::cbrt<Lanes<64, true>>(x, y);
        else hostmath::core::cbrt<Lanes<64, false>>(x, y);
        bool ok = true;
        for (std::size_t i = 0; i < 64; ++i) {
            if (accuracy::same_bits(y[i], expected(x[i]))) continue;
            std::printf("cbrt(%a) = %a, want %a\n", x[i], y[i], expected(x[i]));
            ok = false;
        }
        return ok;
    });
    std::printf("%llu inputs checked, %llu failing blocks\n", static_cast<unsigned long long>(result.checked * 64),
                static_cast<unsigned long long>(result.failures));
    EXPECT_EQ(result.failures, 0u);
}

}  // namespace
