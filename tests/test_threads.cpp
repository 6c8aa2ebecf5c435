// Every export, scalar and array form, called from several threads at once
// gives the results it gives on one thread: the library keeps no state.  CI
// also runs this under ThreadSanitizer.
#include "registry_sweep.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

std::vector<registry_sweep::Bits> run_all()
{
    std::vector<registry_sweep::Bits> out;
    for (const auto& e : registry_sweep::exports()) {
        out.emplace_back();
        e.run(out.back());
    }
    return out;
}

TEST(Threads, ConcurrentCallsMatchSingleThreadedResults)
{
    const auto expected = run_all();
    constexpr int kThreads = 4;
    std::vector<std::vector<registry_sweep::Bits>> results(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) threads.emplace_back([&, t] { results[t] = run_all(); });
    for (auto& th : threads) th.join();
    const auto& exports = registry_sweep::exports();
    for (int t = 0; t < kThreads; ++t)
        for (std::size_t k = 0; k < exports.size(); ++k)
            EXPECT_TRUE(results[t][k] == expected[k]) << exports[k].name << " on thread " << t;
}

}  // namespace
