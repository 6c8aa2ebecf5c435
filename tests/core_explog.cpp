// hostmath::core::exp and log against MPFR, bit for bit: the special inputs,
// every hardest-to-round input of tests/data/hard-cases, and random inputs,
// through every lane policy, the fast path alone (on the lanes it does not
// flag) and the accurate path alone.  ExpLogSweep: 10^7 random inputs per
// function (label exhaustive).
#include "core_explog.h"
#include "sweep.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>

namespace {

using explog_test::Fn;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::uint64_t kQuietNan = 0x7ff8000000000000ull;

std::string hex(double x)
{
    char s[40];
    std::snprintf(s, sizeof s, "%a", x);
    return s;
}

// Checks every route of f on x against want (MPFR's value where want is not
// given); reports the first few mismatches of each route.
void check(Fn f, const std::vector<double>& x, std::vector<double> want = {})
{
    if (want.empty())
        for (double xi : x) want.push_back(explog_test::reference(f, xi));
    for (const auto& route : explog_test::all_routes(f, x)) {
        std::size_t failures = 0;
        for (std::size_t i = 0; i < x.size(); ++i) {
            if (route.fast_only && explog_test::is_no_result(route.got[i])) continue;
            if (accuracy::same_bits(route.got[i], want[i])) continue;
            if (++failures <= 5)
                ADD_FAILURE() << explog_test::name(f) << "(" << hex(x[i]) << ") by " << route.name << ": got "
                              << hex(route.got[i]) << ", want " << hex(want[i]);
        }
        EXPECT_EQ(failures, 0u) << explog_test::name(f) << " by " << route.name << " on " << x.size() << " inputs";
        if (route.fast_only && x.size() >= 1000)
            std::printf("%s, %s: %zu of %zu lanes flagged\n", explog_test::name(f), route.name, route.flagged,
                        x.size());
    }
}

TEST(ExpLog, SpecialInputs)
{
    using testbits::f64;
    struct Row {
        Fn f;
        double x;
        std::uint64_t want;  // the expected bits
    };
    const Row rows[] = {
        {Fn::kLog, 0.0, testbits::u64(-kInf)},
        {Fn::kLog, -0.0, testbits::u64(-kInf)},
        {Fn::kLog, kInf, testbits::u64(kInf)},
        {Fn::kLog, -kInf, kQuietNan},
        {Fn::kLog, -1.0, kQuietNan},
        {Fn::kLog, -0x1p-1074, kQuietNan},
        {Fn::kLog, 1.0, 0},
        {Fn::kLog, f64(0x7ff0000000000123ull), 0x7ff8000000000123ull},  // signalling: quieted, payload kept
        {Fn::kLog, f64(0xfff8000000000456ull), 0xfff8000000000456ull},
        {Fn::kExp, -kInf, 0},
        {Fn::kExp, kInf, testbits::u64(kInf)},
        {Fn::kExp, 0.0, testbits::u64(1.0)},
        {Fn::kExp, -0.0, testbits::u64(1.0)},
        {Fn::kExp, f64(0x7ff0000000000123ull), 0x7ff8000000000123ull},
        {Fn::kExp, f64(0xfff8000000000456ull), 0xfff8000000000456ull},
        {Fn::kExp, 1e308, testbits::u64(kInf)},
        {Fn::kExp, -1e308, 0},
    };
    for (const Row& row : rows) check(row.f, {row.x}, {f64(row.want)});
}

// Edges where MPFR gives the value: overflow and underflow thresholds, the
// subnormal range, tiny arguments, extreme inputs of log.
TEST(ExpLog, EdgeInputs)
{
    check(Fn::kExp, {0x1.62e42fefa39efp9, 0x1.62e42fefa39f0p9, 0x1.62e42fefa39eep9, 709.0, 708.0, 0x1.62p9,
                     -0x1.6232bdd7abcd2p9, -0x1.6232bdd7abcd3p9, -0x1.6232bdd7abcd1p9, -708.0, -708.5, -720.0,
                     -0x1.74385446d71c3p9, -0x1.74385446d71c4p9, -0x1.74910d52d3051p9, -0x1.74910d52d3052p9,
                     -0x1.74910d52d3053p9, -745.2, -746.0, -745.0, 0x1p-54, -0x1p-54, 0x1p-53, -0x1p-53, 0x1p-1074,
                     -0x1p-1074, 1.0, -1.0, 0x1.62e42fefa39efp-1, 1e-300});
    check(Fn::kLog, {0x1p-1074, 0x1p-1022, 0x0.fffffffffffffp-1022, 0x1.fffffffffffffp1023, 2.0, 0.5,
                     0x1.0000000000001p0, 0x1.fffffffffffffp-1, 0x1.ffp-1, 0x1.008p0, 0x1.6a09e667f3bcdp0,
                     2.718281828459045, 1e300, 1e-300});
}

TEST(ExpLog, HardCases)
{
    for (Fn f : {Fn::kExp, Fn::kLog}) {
        const std::vector<double> x = accuracy::hard_cases(explog_test::name(f));
        ASSERT_GT(x.size(), 2000u) << explog_test::name(f) << ": tests/data/hard-cases missing";
        check(f, x);
    }
}

TEST(ExpLog, RandomInputs)
{
    constexpr std::uint64_t kCount = 100000;
    for (Fn f : {Fn::kExp, Fn::kLog}) {
        std::vector<double> x(kCount);
        for (std::uint64_t i = 0; i < kCount; ++i) x[i] = explog_test::random_input(f, (1ull << 40) + i);
        check(f, x);
    }
}

// 10^7 random inputs per function on every thread (label exhaustive: CI's
// native stage only).
TEST(ExpLogSweep, TenMillionRandomInputs)
{
    constexpr std::uint64_t kBlocks = 10000000 / 64;
    for (Fn f : {Fn::kExp, Fn::kLog}) {
        const sweep::Result r =
            sweep::run(0, kBlocks, [f](std::uint64_t block) { return explog_test::check_random_block(f, block); });
        EXPECT_EQ(r.failures, 0u) << explog_test::name(f) << ": " << r.failures << " of " << r.checked
                                  << " blocks of 64 wrong; first block "
                                  << (r.first_failures.empty() ? 0 : r.first_failures[0]);
    }
}

}  // namespace
