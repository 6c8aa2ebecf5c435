// The processor paths of the library give the same bits: path_digests runs
// once per path, forced by HOSTMATH_TEST_X86_64_LEVEL, and its digests of every
// function compiled per path must equal the baseline path's.  The offsets the
// loader bound show that the variable took effect: the paths the processor
// runs each bind their own copy.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

#if defined(HOSTMATH_TEST_DISPATCHED)

struct PathRun {
    std::string bound;    // the first line: the offsets of the bound copies
    std::string digests;  // the rest
};

PathRun run_path(const std::string& level)
{
    const std::string command = "HOSTMATH_TEST_X86_64_LEVEL=" + level + " " HOSTMATH_PATH_DIGESTS;
    FILE* pipe = popen(command.c_str(), "r");
    PathRun run;
    if (pipe == nullptr) return run;
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << command;
    const std::size_t end = text.find('\n');
    run.bound = text.substr(0, end);
    run.digests = end == std::string::npos ? "" : text.substr(end + 1);
    return run;
}

TEST(Paths, EveryPathGivesTheBaselineBits)
{
    __builtin_cpu_init();
    const bool v3 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") && __builtin_cpu_supports("bmi2");
    const bool v4 = v3 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                    __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl");
    const PathRun baseline = run_path("baseline");
    ASSERT_NE(baseline.digests.find("erfinvf(float) "), std::string::npos) << baseline.digests;
    std::set<std::string> bound{baseline.bound};
    for (const char* level : {"v3", "v4"}) {
        const PathRun run = run_path(level);
        EXPECT_EQ(run.digests, baseline.digests) << "path " << level;
        bound.insert(run.bound);
    }
    // Scalar functions have two copies, array forms three.
    EXPECT_EQ(bound.size(), 1u + (v3 ? 1u : 0u) + (v4 ? 1u : 0u));
}

#else

TEST(Paths, EveryPathGivesTheBaselineBits) { GTEST_SKIP() << "one path in this build"; }

#endif

}  // namespace
