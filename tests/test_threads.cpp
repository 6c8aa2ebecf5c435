// Every family called from several threads at once gives the results it gives
// on one thread: the library keeps no state.  CI also runs this under
// ThreadSanitizer.
#include "hostmath.h"
#include "test_bits.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <thread>
#include <vector>

namespace {

using testbits::f32;
using testbits::f64;
using testbits::u32;
using testbits::u64;

// Each entry maps random input bits to the bits of one family's results.
const std::vector<std::function<std::uint64_t(std::uint64_t)>> kFamilies = {
    [](std::uint64_t r) {
        const float x = f32(static_cast<std::uint32_t>(r));
        return std::uint64_t{qx_math_func_host___float2bfloat16_rd(x).bits} << 16 |
               qx_math_func_host___double2bfloat16(f64(r)).bits;
    },
    [](std::uint64_t r) {
        const __quix_bfloat16 b(__quix_bfloat16_raw{static_cast<unsigned short>(r)});
        return static_cast<std::uint64_t>(qx_math_func_host___bfloat162ll_rz(b)) ^
               qx_math_func_host___ull2bfloat16_rn(r).bits;
    },
    [](std::uint64_t r) {
        const float x = f32(static_cast<std::uint32_t>(r));
        return std::uint64_t{qx_math_func_host___float2half_ru(x).bits} << 16 |
               qx_math_func_host___double2half(f64(r)).bits;
    },
    [](std::uint64_t r) {
        const __half h(__half_raw{static_cast<unsigned short>(r)});
        return std::uint64_t{u32(qx_math_func_host___half2float(h))} ^
               static_cast<std::uint64_t>(qx_math_func_host___half2ll_rz(h)) ^
               qx_math_func_host___int2half_rn(static_cast<int>(r >> 32)).bits;
    },
    [](std::uint64_t r) {
        const double x = static_cast<double>(r >> 11) * 0x1p-52 - 1.0;  // [-1, 1)
        return u64(qx_math_func_host_erfinv(x)) ^ u64(qx_math_func_host_erfcinv(1 + x)) ^
               u32(qx_math_func_host_erfinvf(static_cast<float>(x))) ^
               u32(qx_math_func_host_erfcinvf(static_cast<float>(1 + x)));
    },
    [](std::uint64_t r) {
        const double x = static_cast<double>(r >> 11) * 0x1p-53 * 60 - 30;  // [-30, 30)
        return u64(qx_math_func_host_erfcx(x)) ^ u64(qx_math_func_host_normcdf(x)) ^
               u32(qx_math_func_host_erfcxf(static_cast<float>(x))) ^
               u32(qx_math_func_host_normcdff(static_cast<float>(x)));
    },
    [](std::uint64_t r) {
        const double x = static_cast<double>(r >> 11) * 0x1p-53 * 200 - 100;
        double s = 0, c = 0;
        qx_math_func_host_sincospi(x, &s, &c);
        float sf = 0, cf = 0;
        qx_math_func_host_sincospif(static_cast<float>(x), &sf, &cf);
        return u64(s) ^ u64(c) ^ u32(sf) ^ u32(cf) ^ u64(qx_math_func_host_rsqrt(x)) ^
               u64(qx_math_func_host_rcbrt(x)) ^ u32(qx_math_func_host_rsqrtf(static_cast<float>(x))) ^
               u32(qx_math_func_host_rcbrtf(static_cast<float>(x)));
    },
    [](std::uint64_t r) {
        const float a = f32(static_cast<std::uint32_t>(r)), b = f32(static_cast<std::uint32_t>(r >> 32));
        return static_cast<std::uint64_t>(qx_math_func_host_max(static_cast<long>(r), static_cast<unsigned long>(r >> 7))) ^
               u32(qx_math_func_host_min(a, b)) ^ u64(qx_math_func_host_max(f64(r), a));
    },
};

std::vector<std::uint64_t> run_all(const std::vector<std::uint64_t>& inputs)
{
    std::vector<std::uint64_t> out;
    out.reserve(inputs.size() * kFamilies.size());
    for (std::uint64_t r : inputs)
        for (const auto& family : kFamilies) out.push_back(family(r));
    return out;
}

TEST(Threads, ConcurrentCallsMatchSingleThreadedResults)
{
    std::mt19937_64 rng(2024);
    std::vector<std::uint64_t> inputs(20000);
    for (auto& r : inputs) r = rng();
    const std::vector<std::uint64_t> expected = run_all(inputs);

    constexpr int kThreads = 4;
    std::vector<std::vector<std::uint64_t>> results(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) threads.emplace_back([&, t] { results[t] = run_all(inputs); });
    for (auto& th : threads) th.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_TRUE(results[t] == expected) << "thread " << t;
}

}  // namespace
