// The caller's floating-point state never changes a result: under each state
// below every family of exports, scalar and array, gives the bits it gives in
// the default state (to nearest, no flushing, exceptions masked) over
// arguments with subnormals, huge values and NaNs, and leaves the control
// bits, the sticky flags and errno exactly as it found them.  With every
// exception unmasked (in a child process, so that a trap fails the test
// instead of ending the run) nothing traps.
#include "hostmath.h"
#include "hostmath/batch.h"
#include "registry_sweep.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cfenv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>
#if defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace {

using registry_sweep::Bits;

// Every export of the registry, scalar and array form, one family each.
const std::vector<registry_sweep::Export>& families() { return registry_sweep::exports(); }

struct State {
    std::uint64_t control = 0;
    std::uint64_t flags = 0;
    bool operator==(const State& o) const { return control == o.control && flags == o.flags; }
};

State state_now()
{
    State s;
#if defined(__x86_64__)
    constexpr unsigned int kMxcsrFlags = 0x3f, kX87Flags = 0x7f;
    unsigned short control_word = 0, status_word = 0;
    __asm__ __volatile__("fnstcw %0" : "=m"(control_word));
    __asm__ __volatile__("fnstsw %0" : "=m"(status_word));
    const unsigned int mxcsr = _mm_getcsr();
    s.control = (mxcsr & ~kMxcsrFlags) | std::uint64_t{control_word} << 32;
    s.flags = (mxcsr & kMxcsrFlags) | std::uint64_t{status_word & kX87Flags} << 32;
#elif defined(__aarch64__)
    __asm__ __volatile__("mrs %0, fpcr" : "=r"(s.control));
    __asm__ __volatile__("mrs %0, fpsr" : "=r"(s.flags));
#else
    s.control = static_cast<std::uint64_t>(std::fegetround());
    s.flags = static_cast<std::uint64_t>(std::fetestexcept(FE_ALL_EXCEPT));
#endif
    return s;
}

constexpr int kErrnoSentinel = 4711;

struct Outcome {
    Bits results;
    bool state_kept = false;
    bool errno_kept = false;
};

// Runs every family in the current state; touches nothing else in between.
std::vector<Outcome> run_families()
{
    std::vector<Outcome> outcomes(families().size());
    for (std::size_t k = 0; k < outcomes.size(); ++k) {
        // Room for every result first: growing the vector during the run can
        // set errno (under qemu the C library's reallocation does), which would
        // be laid to the function's charge.
        outcomes[k].results.reserve(1u << 18);
        errno = kErrnoSentinel;
        const State before = state_now();
        families()[k].run(outcomes[k].results);
        outcomes[k].state_kept = state_now() == before;
        outcomes[k].errno_kept = errno == kErrnoSentinel;
    }
    return outcomes;
}

const std::vector<Outcome>& default_outcomes()
{
    static const std::vector<Outcome> outcomes = [] {
        std::fesetenv(FE_DFL_ENV);
        return run_families();
    }();
    return outcomes;
}

// The families whose results, state or errno differ from the default run.
std::vector<std::string> faults(const std::vector<Outcome>& got)
{
    std::vector<std::string> found;
    for (std::size_t k = 0; k < got.size(); ++k) {
        const Bits& want = default_outcomes()[k].results;
        const Bits& have = got[k].results;
        std::string name = families()[k].name;
        if (have.size() != want.size()) found.push_back(name + ": result count differs");
        for (std::size_t i = 0; i < have.size() && i < want.size(); ++i)
            if (have[i] != want[i]) {
                char text[96];
                std::snprintf(text, sizeof text, ": result %zu is 0x%llx, 0x%llx by default", i,
                              static_cast<unsigned long long>(have[i]), static_cast<unsigned long long>(want[i]));
                found.push_back(name + text);
                break;
            }
        if (!got[k].state_kept) found.push_back(name + ": the floating-point state changed");
        if (!got[k].errno_kept) found.push_back(name + ": errno changed");
    }
    return found;
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
}

void set_flush_to_zero()
{
#if defined(__x86_64__)
    constexpr unsigned int kFlushToZero = 0x8000, kDenormalsAreZero = 0x0040;
    _mm_setcsr(_mm_getcsr() | kFlushToZero | kDenormalsAreZero);
#elif defined(__aarch64__)
    constexpr std::uint64_t kFlushToZero = 1u << 24, kDefaultNan = 1u << 25;
    std::uint64_t fpcr;
    __asm__ __volatile__("mrs %0, fpcr" : "=r"(fpcr));
    fpcr |= kFlushToZero | kDefaultNan;
    __asm__ __volatile__("msr fpcr, %0" : : "r"(fpcr));
#endif
}

struct Setting {
    const char* name;
    void (*enter)();
    int preset_flags;  // raised before the run: they must still be raised after it
};

const Setting kSettings[] = {
    {"upward", [] { std::fesetround(FE_UPWARD); }, 0},
    {"downward", [] { std::fesetround(FE_DOWNWARD); }, 0},
    {"toward zero", [] { std::fesetround(FE_TOWARDZERO); }, 0},
    {"flush to zero", set_flush_to_zero, FE_INVALID | FE_DIVBYZERO},
};

class CallersState : public ::testing::TestWithParam<Setting> {};

TEST_P(CallersState, NeitherChangesResultsNorIsChanged)
{
    default_outcomes();
    GetParam().enter();
    std::feclearexcept(FE_ALL_EXCEPT);
    if (GetParam().preset_flags != 0) std::feraiseexcept(GetParam().preset_flags);
    const std::vector<Outcome> got = run_families();
    std::fesetenv(FE_DFL_ENV);
    const auto found = faults(got);
    EXPECT_TRUE(found.empty()) << GetParam().name << ":\n" << joined(found);
}

INSTANTIATE_TEST_SUITE_P(States, CallersState, ::testing::ValuesIn(kSettings),
                         [](const ::testing::TestParamInfo<Setting>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c != '\0'; ++c)
                                 if (*c != ' ') name += *c;
                             return name;
                         });

// Every exception unmasked: a trap kills the child, which the parent reports.
TEST(CallersStateUnmasked, NothingTraps)
{
    default_outcomes();
    if (feenableexcept(FE_ALL_EXCEPT) == -1) {
        fedisableexcept(FE_ALL_EXCEPT);
        std::fesetenv(FE_DFL_ENV);
        GTEST_SKIP() << "this processor does not trap on floating-point exceptions";
    }
    fedisableexcept(FE_ALL_EXCEPT);
    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::feclearexcept(FE_ALL_EXCEPT);
        feenableexcept(FE_ALL_EXCEPT);
        const std::vector<Outcome> got = run_families();
        fedisableexcept(FE_ALL_EXCEPT);
        const auto found = faults(got);
        std::fputs(joined(found).c_str(), stderr);
        _exit(found.empty() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_FALSE(WIFSIGNALED(status)) << "the child died of signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "results, state or errno differ (listed above)";
}

}  // namespace
