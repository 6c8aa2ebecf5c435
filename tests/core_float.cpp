// The maths core's binary32 functions against MPFR, bit for bit, in every
// lane form (one lane and 64, with and without fused multiply-adds): special
// arguments, the float inputs nearest a rounding boundary (the full sweep's
// list, tests/data/hard-cases/*f.txt), random inputs over the whole domain and
// the ranges that matter, the fast path alone on the lanes it does not flag,
// and a strided sample of every pattern (CoreFloatSweep).
#include "core_float_check.h"
#include "sweep.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using core_float::Block;
using core_float::Function;
using core_float::kFunctions;
using testbits::f32;
using testbits::u32;

constexpr std::size_t kLog = 0, kExp = 1, kSin = 2, kCos = 3, kCbrt = 4;

// Every form's result for each input, checked against want(x).
template <typename Want>
void check_all_forms(std::size_t index, const std::vector<float>& inputs, Want want)
{
    const Function& f = kFunctions[index];
    const auto fma = core_float::fma_form(index);
    int failures = 0;
    for (std::size_t start = 0; start < inputs.size(); start += 64) {
        Block x, y, y_fma, fast_y;
        hostmath::core::float_detail::Flag flag[64];
        for (std::size_t i = 0; i < 64; ++i) x[i] = inputs[(start + i) % inputs.size()];
        f.base(x, y);
        fma(x, y_fma);
        f.fast(x, fast_y, flag);
        for (std::size_t i = 0; i < 64 && start + i < inputs.size(); ++i) {
            const float w = want(x[i]);
            float one[1], one_fma[1];
            f.one({x[i]}, one);
            f.one_fma({x[i]}, one_fma);
            const float got[] = {y[i], y_fma[i], one[0], one_fma[0], flag[i] == 0 ? fast_y[i] : w};
            const char* forms[] = {"64 lanes", "64 lanes fma", "one lane", "one lane fma", "fast path unflagged"};
            for (std::size_t k = 0; k < 5; ++k) {
                if (accuracy::same_bits(got[k], w) || ++failures > 10) continue;
                ADD_FAILURE() << f.name << "(" << std::hexfloat << x[i] << " = 0x" << std::hex << u32(x[i])
                              << ") " << forms[k] << ": " << std::hexfloat << got[k] << ", want " << w;
            }
        }
    }
    EXPECT_EQ(failures, 0) << f.name;
}

float mpfr_reference(std::size_t index, float x)
{
    const std::uint32_t u = u32(x);
    if ((u & 0x7fffffffu) > 0x7f800000u) return f32(u | 0x400000u);  // NaN quieted, payload kept
    return accuracy::correctly_rounded<float>(kFunctions[index].mpfr, x);
}

// The results fixed by IEEE 754 and C Annex F, and exact ones.
struct Exact {
    std::size_t function;
    std::uint32_t x;
    std::uint32_t want;
};

const Exact kExact[] = {
    {kLog, 0x00000000, 0xff800000}, {kLog, 0x80000000, 0xff800000}, {kLog, 0x3f800000, 0x00000000},
    {kLog, 0x7f800000, 0x7f800000}, {kLog, 0xff800000, 0x7fc00000}, {kLog, 0xbf800000, 0x7fc00000},
    {kLog, 0x80000001, 0x7fc00000}, {kLog, 0x7fa00001, 0x7fe00001}, {kLog, 0xffc12345, 0xffc12345},
    {kExp, 0x00000000, 0x3f800000}, {kExp, 0x80000000, 0x3f800000}, {kExp, 0x7f800000, 0x7f800000},
    {kExp, 0xff800000, 0x00000000}, {kExp, 0x42b17218, 0x7f800000}, {kExp, 0x7f7fffff, 0x7f800000},
    {kExp, 0xc3000000, 0x00000000}, {kExp, 0xff7fffff, 0x00000000}, {kExp, 0x7f812345, 0x7fc12345},
    {kSin, 0x00000000, 0x00000000}, {kSin, 0x80000000, 0x80000000}, {kSin, 0x7f800000, 0x7fc00000},
    {kSin, 0xff800000, 0x7fc00000}, {kSin, 0x00000001, 0x00000001}, {kSin, 0x80000001, 0x80000001},
    {kSin, 0xb97fffff, 0xb97fffff}, {kSin, 0xff800001, 0xffc00001},
    {kCos, 0x00000000, 0x3f800000}, {kCos, 0x80000000, 0x3f800000}, {kCos, 0x7f800000, 0x7fc00000},
    {kCos, 0xff800000, 0x7fc00000}, {kCos, 0x39800000, 0x3f800000}, {kCos, 0x7fc00000, 0x7fc00000},
    {kCbrt, 0x00000000, 0x00000000}, {kCbrt, 0x80000000, 0x80000000}, {kCbrt, 0x7f800000, 0x7f800000},
    {kCbrt, 0xff800000, 0xff800000}, {kCbrt, 0xc1000000, 0xc0000000}, {kCbrt, 0x41d80000, 0x40400000},
    {kCbrt, 0x7f800001, 0x7fc00001}, {kCbrt, 0x50000000, 0x45000000},
};

TEST(CoreFloat, SpecialArguments)
{
    for (std::size_t index = 0; index < 5; ++index) {
        std::vector<float> inputs;
        std::vector<std::uint32_t> wants;
        for (const Exact& e : kExact) {
            if (e.function != index) continue;
            inputs.push_back(f32(e.x));
            wants.push_back(e.want);
        }
        check_all_forms(index, inputs, [&](float x) {
            for (std::size_t i = 0; i < inputs.size(); ++i)
                if (u32(inputs[i]) == u32(x)) return f32(wants[i]);
            return f32(0);
        });
    }
}

// Arguments at the edges of each path and of the formats, against MPFR.
TEST(CoreFloat, EdgeArguments)
{
    const std::uint32_t common[] = {0x00000001, 0x007fffff, 0x00800000, 0x7f7fffff, 0x3f800000, 0x3f7fffff,
                                    0x3f800001, 0x33800000, 0x33000000, 0xb3800000, 0x80000001, 0xff7fffff,
                                    0x4d000000, 0x4cffffff, 0xcd000000, 0x39800000, 0x397fffff, 0x40490fdb,
                                    0x3fc90fdb, 0x40c90fdb, 0x4b800000, 0x5a000000, 0x7e000000, 0x42b17217,
                                    0x42b17218, 0xc2cff1b4, 0xc2cff1b5, 0xc2ce8ed0, 0xc2aeac50, 0x43160000,
                                    0x43160001, 0xc3160000, 0xc3160001, 0x3f317218, 0x3f3504f3, 0x3fb504f3};
    std::vector<float> inputs;
    for (std::uint32_t u : common) {
        inputs.push_back(f32(u));
        inputs.push_back(f32(u ^ 0x80000000u));
    }
    // Float multiples of pi/2 and pi: the reduction's hardest neighbourhoods.
    for (int k = 1; k < 2000; k += 37) inputs.push_back(static_cast<float>(k * 1.5707963267948966));
    for (std::size_t index = 0; index < 5; ++index)
        check_all_forms(index, inputs, [index](float x) { return mpfr_reference(index, x); });
}

// The float inputs whose value lies nearest a rounding boundary, found by the
// full sweep; each one is a case for the accurate path.
TEST(CoreFloat, HardestToRound)
{
    for (std::size_t index = 0; index < 5; ++index) {
        std::vector<float> inputs;
        for (double v : accuracy::hard_cases(kFunctions[index].name)) inputs.push_back(static_cast<float>(v));
        EXPECT_GE(inputs.size(), 100u) << kFunctions[index].name;
        check_all_forms(index, inputs, [index](float x) { return mpfr_reference(index, x); });
    }
}

// Random bit patterns, and random values in each function's busy range.
TEST(CoreFloat, RandomArguments)
{
    std::mt19937 rng(20240611);
    for (std::size_t index = 0; index < 5; ++index) {
        std::vector<float> inputs;
        for (int n = 0; n < 50000; ++n) inputs.push_back(f32(static_cast<std::uint32_t>(rng())));
        std::uniform_real_distribution<float> near_one(0.5f, 2.0f), exp_range(-104.0f, 89.0f),
            trig_range(-0x1p25f, 0x1p25f), small(-8.0f, 8.0f);
        for (int n = 0; n < 50000; ++n) {
            float v;
            switch (index) {
            case kLog: v = near_one(rng); break;
            case kExp: v = exp_range(rng); break;
            case kSin:
            case kCos: v = (n & 1) != 0 ? trig_range(rng) : small(rng); break;
            default: v = f32((static_cast<std::uint32_t>(rng()) & 0x807fffffu) | 0x3f800000u);  // [1, 2) both signs
            }
            inputs.push_back(v);
        }
        check_all_forms(index, inputs, [index](float x) { return mpfr_reference(index, x); });
    }
}

// Every 256th pattern of all 2^32 (the full sweep, tests/full_core_float.cpp,
// checks them all), the baseline and fma 64-lane forms, and the accurate
// path's own rounding test on the flagged lanes.
TEST(CoreFloatSweep, EveryNthPattern)
{
    constexpr std::uint64_t kStride = 256;
    for (std::size_t index = 0; index < 5; ++index) {
        const Function& f = kFunctions[index];
        const auto fma = core_float::fma_form(index);
        std::atomic<std::uint64_t> uncertain{0};
        const sweep::Result result = sweep::run(
            0, (std::uint64_t{1} << 32) / (64 * kStride),
            [&](std::uint64_t block) {
                Block x;
                for (std::uint64_t i = 0; i < 64; ++i)
                    x[i] = f32(static_cast<std::uint32_t>((block * 64 + i) * kStride + (block % kStride)));
                const core_float::Tally tally = core_float::check_block(f, x, f.base, fma);
                uncertain += tally.uncertain;
                return tally.wrong == 0;
            });
        EXPECT_EQ(result.failures, 0u) << f.name;
        EXPECT_EQ(uncertain.load(), 0u) << f.name;
    }
}

}  // namespace
