// Every float through the array forms of the float conversions, and a 32nd
// of them through the other array forms of a float argument, 2^16 floats per
// call, compared bit for bit with the scalar functions; 2 * 10^7 random doubles
// through the two double conversions, half of them over all patterns and
// binades, half over the float range, where both conversions round.
#include "registry.h"
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

// The argument and result types of a function of one argument.
template <typename F>
struct Unary;
template <typename R, typename A>
struct Unary<R (*)(A)> {
    using Arg = A;
    using Result = R;
};

constexpr std::uint64_t kStride = 32;

// Every float through every array form of a float argument: all 2^16 chunks
// for the conversions, every 32nd chunk (2^27 floats, every binade of both
// signs) for the eight others, which cost 10 to 30 ns a value: all 2^32 would
// take the CI run's time.
TEST(ExhaustiveBatch, EveryFloatArrayForm)
{
    hostmath::registry::for_each([&](auto row) {
        using Row = decltype(row);
        if constexpr (Row::array == hostmath::registry::Array::map) {
            using S = Unary<std::remove_const_t<decltype(Row::scalar)>>;
            if constexpr (std::is_same_v<typename S::Arg, float>) {
                const bool conversion = row.info.family == hostmath::registry::Family::bfloat16 ||
                                        row.info.family == hostmath::registry::Family::half;
                sweep_floats(Entry<float, typename S::Result>{row.info.name, Row::batch, Row::scalar},
                             conversion ? 1 : kStride);
            }
        }
    });
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
