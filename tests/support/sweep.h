// One harness for the long sweeps: runs a check over a range of 64-bit indices
// on every hardware thread and keeps the count and the first failing indices.
#ifndef HOSTMATH_TEST_SWEEP_H
#define HOSTMATH_TEST_SWEEP_H

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace sweep {

struct Result {
    std::uint64_t checked = 0;
    std::uint64_t failures = 0;
    std::vector<std::uint64_t> first_failures;  // at most kKeep, in no particular order
};

constexpr std::size_t kKeep = 8;

// Calls ok(i) for i = begin, begin + stride, ... below end; ok returns true
// when the input passes.
template <typename Check>
Result run(std::uint64_t begin, std::uint64_t end, Check ok, std::uint64_t stride = 1)
{
    const std::uint64_t count = end > begin ? (end - begin + stride - 1) / stride : 0;
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    const std::uint64_t chunk = 1u << 16;
    std::atomic<std::uint64_t> next{0};
    std::atomic<std::uint64_t> failures{0};
    std::mutex keep_mutex;
    Result result;
    auto worker = [&] {
        for (;;) {
            const std::uint64_t first = next.fetch_add(chunk);
            if (first >= count) return;
            const std::uint64_t last = std::min(count, first + chunk);
            std::uint64_t local_failures = 0;
            for (std::uint64_t k = first; k < last; ++k) {
                const std::uint64_t i = begin + k * stride;
                if (ok(i)) continue;
                ++local_failures;
                std::lock_guard<std::mutex> lock(keep_mutex);
                if (result.first_failures.size() < kKeep) result.first_failures.push_back(i);
            }
            failures += local_failures;
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);
    for (auto& t : pool) t.join();
    result.checked = count;
    result.failures = failures;
    return result;
}

}  // namespace sweep

#endif
