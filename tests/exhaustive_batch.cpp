// Every float through the eight float conversions' array forms, and an eighth
// of them through the four single-precision special functions' array forms,
// 2^16 floats per call,
// compared bit for bit with the scalar functions; 2 * 10^7 random doubles
// through the two double conversions, half of them over all patterns and
// binades, half over the float range, where both conversions round.
#include "hostmath/batch.h"
#include "sweep.h"
#include "test_bits.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr std::uint64_t kChunk = 1u << 16;

template <typename In, typename Out>
struct Entry {
    const char* name;
    void (*batch)(const In*, Out*, std::size_t);
    Out (*scalar)(In);
};

template <typename In, typename Out>
bool chunk_matches(const Entry<In, Out>& f, const std::vector<In>& in, std::vector<Out>& out)
{
    f.batch(in.data(), out.data(), in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        const Out expected = f.scalar(in[i]);
        if (std::memcmp(&out[i], &expected, sizeof(Out)) != 0) return false;
    }
    return true;
}

std::vector<float> floats_of_chunk(std::uint64_t chunk)
{
    std::vector<float> in(kChunk);
    for (std::uint64_t i = 0; i < kChunk; ++i) in[i] = testbits::f32(static_cast<std::uint32_t>(chunk * kChunk + i));
    return in;
}

// Sweeps the 2^16 chunks of the float patterns, or every chunk_stride-th of
// them; a failing chunk is reported by the first float in it.
template <typename Out>
void sweep_floats(const Entry<float, Out>& f, std::uint64_t chunk_stride = 1)
{
    const std::uint64_t chunks = (1ull << 32) / kChunk;
    const auto result = sweep::run(
        0, chunks,
        [&](std::uint64_t chunk) {
            std::vector<Out> out(kChunk);
            return chunk_matches(f, floats_of_chunk(chunk), out);
        },
        chunk_stride);
    EXPECT_EQ(result.checked * chunk_stride, chunks) << f.name;
    EXPECT_EQ(result.failures, 0u) << f.name;
    for (auto chunk : result.first_failures) ADD_FAILURE() << f.name << ": chunk from float bits 0x" << std::hex << chunk * kChunk;
}

TEST(ExhaustiveBatch, FloatToBfloat16)
{
    sweep_floats(Entry<float, __quix_bfloat16>{"__float2bfloat16_rn", qx_math_func_host_batch___float2bfloat16_rn,
                                               qx_math_func_host___float2bfloat16_rn});
    sweep_floats(Entry<float, __quix_bfloat16>{"__float2bfloat16_rz", qx_math_func_host_batch___float2bfloat16_rz,
                                               qx_math_func_host___float2bfloat16_rz});
    sweep_floats(Entry<float, __quix_bfloat16>{"__float2bfloat16_rd", qx_math_func_host_batch___float2bfloat16_rd,
                                               qx_math_func_host___float2bfloat16_rd});
    sweep_floats(Entry<float, __quix_bfloat16>{"__float2bfloat16_ru", qx_math_func_host_batch___float2bfloat16_ru,
                                               qx_math_func_host___float2bfloat16_ru});
}

TEST(ExhaustiveBatch, FloatToHalf)
{
    sweep_floats(Entry<float, __half>{"__float2half_rn", qx_math_func_host_batch___float2half_rn,
                                      qx_math_func_host___float2half_rn});
    sweep_floats(Entry<float, __half>{"__float2half_rz", qx_math_func_host_batch___float2half_rz,
                                      qx_math_func_host___float2half_rz});
    sweep_floats(Entry<float, __half>{"__float2half_rd", qx_math_func_host_batch___float2half_rd,
                                      qx_math_func_host___float2half_rd});
    sweep_floats(Entry<float, __half>{"__float2half_ru", qx_math_func_host_batch___float2half_ru,
                                      qx_math_func_host___float2half_ru});
}

// Every eighth chunk of 2^16 consecutive floats (2^29 floats, every binade of
// both signs): the special functions cost about 20 ns a value, and all 2^32
// would take the CI run's time.
TEST(ExhaustiveBatch, SingleSpecialFunctions)
{
    constexpr std::uint64_t kStride = 8;
    sweep_floats(Entry<float, float>{"erfinvf", qx_math_func_host_batch_erfinvf, qx_math_func_host_erfinvf}, kStride);
    sweep_floats(Entry<float, float>{"erfcinvf", qx_math_func_host_batch_erfcinvf, qx_math_func_host_erfcinvf},
                 kStride);
    sweep_floats(Entry<float, float>{"erfcxf", qx_math_func_host_batch_erfcxf, qx_math_func_host_erfcxf}, kStride);
    sweep_floats(Entry<float, float>{"normcdff", qx_math_func_host_batch_normcdff, qx_math_func_host_normcdff},
                 kStride);
}

TEST(ExhaustiveBatch, RandomDoubles)
{
    constexpr std::uint64_t kBlocks = 2000;
    constexpr std::uint64_t kPerBlock = 10000;
    const auto result = sweep::run(0, kBlocks, [](std::uint64_t block) {
        std::vector<double> in(kPerBlock);
        if (block < kBlocks / 2) {
            testbits::DoubleSource source(block);
            for (auto& x : in) x = source();
        } else {
            std::mt19937_64 rng(block);
            for (auto& x : in) {
                const std::uint64_t r = rng();
                const std::uint64_t exponent = 1023 - 160 + (r >> 1) % 290;
                x = testbits::f64((r & 1) << 63 | exponent << 52 | (rng() & 0xfffffffffffffull));
            }
        }
        std::vector<__quix_bfloat16> b(kPerBlock);
        std::vector<__half> h(kPerBlock);
        return chunk_matches(Entry<double, __quix_bfloat16>{"__double2bfloat16", qx_math_func_host_batch___double2bfloat16,
                                                            qx_math_func_host___double2bfloat16},
                             in, b) &&
               chunk_matches(Entry<double, __half>{"__double2half", qx_math_func_host_batch___double2half,
                                                   qx_math_func_host___double2half},
                             in, h);
    });
    EXPECT_EQ(result.checked * kPerBlock, 20000000u);
    EXPECT_EQ(result.failures, 0u);
    for (auto block : result.first_failures) ADD_FAILURE() << "random doubles of block " << block;
}

}  // namespace
