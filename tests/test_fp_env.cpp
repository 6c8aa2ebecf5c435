// The caller's floating-point state never changes a result: under each state
// below every family of exports, scalar and array, gives the bits it gives in
// the default state (to nearest, no flushing, exceptions masked) over
// arguments with subnormals, huge values and NaNs, and leaves the control
// bits, the sticky flags and errno exactly as it found them.  With every
// exception unmasked (in a child process, so that a trap fails the test
// instead of ending the run) nothing traps.
#include "hostmath.h"
#include "hostmath/batch.h"
#include "test_bits.h"

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

using testbits::f32;
using testbits::f64;

namespace {

using Bits = std::vector<std::uint64_t>;

template <typename T>
std::uint64_t bits(const T& v)
{
    static_assert(sizeof(T) <= sizeof(std::uint64_t), "a result of at most 64 bits");
    std::uint64_t u = 0;
    std::memcpy(&u, &v, sizeof v);
    return u;
}

// ---------------------------------------------------------------------------
// Arguments: a grid over the special functions' range, random patterns, and
// the edges: subnormals, huge values, infinities, quiet and signalling NaNs.
// ---------------------------------------------------------------------------

const std::vector<float>& floats()
{
    static const std::vector<float> v = [] {
        std::vector<float> a;
        for (int i = -1600; i <= 1600; ++i) a.push_back(static_cast<float>(i) * 0.0251f);
        std::mt19937 rng(12);
        for (int i = 0; i < 400; ++i) a.push_back(f32(static_cast<std::uint32_t>(rng())));
        for (std::uint32_t u : {0x00000001u, 0x00012345u, 0x007fffffu, 0x80000002u, 0x807fffffu, 0x00000000u,
                                0x80000000u, 0x7f7fffffu, 0xff7fffffu, 0x7f800000u, 0xff800000u, 0x7fc00000u,
                                0xffc00001u, 0x7f800001u, 0xff812345u, 0x39fec000u})
            a.push_back(f32(u));
        for (float x : {1e20f, -1e20f, 1e30f, -10.16f, 0x1.cdd0d6p-12f, 0x1p-149f, 0x1p-148f, 65519.99f, 65520.0f})
            a.push_back(x);
        return a;
    }();
    return v;
}

const std::vector<double>& doubles()
{
    static const std::vector<double> v = [] {
        std::vector<double> a;
        for (int i = -1600; i <= 1600; ++i) a.push_back(i * 0.0251);
        testbits::DoubleSource source(12);
        for (int i = 0; i < 400; ++i) a.push_back(source());
        for (std::uint64_t u : {0x0000000000000001ull, 0x000fffffffffffffull, 0x8000000000000003ull, 0ull,
                                0x8000000000000000ull, 0x7fefffffffffffffull, 0x7ff0000000000000ull,
                                0xfff0000000000000ull, 0x7ff8000000000000ull, 0xfff8000000000001ull,
                                0x7ff0000000000001ull})
            a.push_back(f64(u));
        for (double x : {4e-310, -4e-310, -1e-310, 1e-39, 1e200, -1e200, 0.1, 0.5, 1.0, -1.0, 2.0, -3.0, -38.0})
            a.push_back(x);
        return a;
    }();
    return v;
}

// Integer patterns, converted to each integer type: rounding and saturation edges.
const std::vector<std::uint64_t>& integers()
{
    static const std::vector<std::uint64_t> v = [] {
        std::vector<std::uint64_t> a;
        for (std::uint64_t u : {0ull, 1ull, 2049ull, 0x7fffull, 0x8000ull, 65519ull, 65520ull, 0xffffull, 16777217ull,
                                0x7fffffffull, 0x80000000ull, 0xffffffffull, 0x20000000000001ull,
                                0x7fffffffffffffffull, 0x8000000000000000ull}) {
            a.push_back(u);
            a.push_back(0 - u);
        }
        std::mt19937_64 rng(12);
        for (int i = 0; i < 200; ++i) a.push_back(rng() >> (i % 64));
        return a;
    }();
    return v;
}

template <typename Record>
std::vector<Record> every_pattern()
{
    std::vector<Record> v(1u << 16);
    for (std::uint32_t u = 0; u < v.size(); ++u) v[u].bits = static_cast<unsigned short>(u);
    return v;
}

const std::vector<__quix_bfloat16>& bfloat16s()
{
    static const std::vector<__quix_bfloat16> v = every_pattern<__quix_bfloat16>();
    return v;
}

const std::vector<__half>& halves()
{
    static const std::vector<__half> v = every_pattern<__half>();
    return v;
}

// ---------------------------------------------------------------------------
// The families: each appends the bits of its functions' results.
// ---------------------------------------------------------------------------

template <typename R, typename A>
void add(Bits& out, R (*f)(A), const std::vector<A>& args)
{
    for (const A& a : args) out.push_back(bits(f(a)));
}

template <typename R, typename I>
void add_integers(Bits& out, R (*f)(I))
{
    for (std::uint64_t u : integers()) out.push_back(bits(f(static_cast<I>(u))));
}

template <typename R, typename A>
void add_batch(Bits& out, void (*f)(const A*, R*, std::size_t), const std::vector<A>& args)
{
    std::vector<R> results(args.size());
    f(args.data(), results.data(), args.size());
    for (const R& r : results) out.push_back(bits(r));
}

// Every pair from a stride through the sample: both operand orders, mixed widths.
template <typename R, typename A, typename B>
void add_pairs(Bits& out, R (*f)(A, B), const std::vector<A>& as, const std::vector<B>& bs)
{
    constexpr std::size_t kStride = 53;
    for (std::size_t i = 0; i < as.size(); i += kStride)
        for (std::size_t j = 0; j < bs.size(); j += kStride) out.push_back(bits(f(as[i], bs[j])));
}

template <typename Real>
void add_sincospi(Bits& out, void (*f)(Real, Real*, Real*), const std::vector<Real>& args)
{
    for (Real x : args) {
        Real s, c;
        f(x, &s, &c);
        out.push_back(bits(s));
        out.push_back(bits(c));
    }
}

struct Family {
    const char* name;
    std::function<void(Bits&)> run;
};

template <typename R, typename A>
using MinMax = R (*)(A, A);

const std::vector<Family>& families()
{
    static const std::vector<Family> table = {
        {"bfloat16 from float and double",
         [](Bits& o) {
             for (auto f : {qx_math_func_host___float2bfloat16, qx_math_func_host___float2bfloat16_rn,
                            qx_math_func_host___float2bfloat16_rz, qx_math_func_host___float2bfloat16_rd,
                            qx_math_func_host___float2bfloat16_ru})
                 add(o, f, floats());
             add(o, qx_math_func_host___float2bfloat162_rn, floats());
             add_pairs(o, qx_math_func_host___floats2bfloat162_rn, floats(), floats());
             add(o, qx_math_func_host___double2bfloat16, doubles());
         }},
        {"bfloat16 from integers",
         [](Bits& o) {
             add_integers(o, qx_math_func_host___ushort2bfloat16_rn);
             add_integers(o, qx_math_func_host___short2bfloat16_rn);
             add_integers(o, qx_math_func_host___int2bfloat16_rn);
             add_integers(o, qx_math_func_host___uint2bfloat16_rn);
             add_integers(o, qx_math_func_host___ll2bfloat16_rn);
             add_integers(o, qx_math_func_host___ull2bfloat16_rn);
         }},
        {"bfloat16 to float and integers",
         [](Bits& o) {
             add(o, qx_math_func_host___bfloat162float, bfloat16s());
             std::vector<__quix_bfloat162> pairs;
             for (const auto& b : bfloat16s()) pairs.emplace_back(b, bfloat16s()[b.bits ^ 0x8001u]);
             add(o, qx_math_func_host___bfloat1622float2, pairs);
             add(o, qx_math_func_host___low2float, pairs);
             add(o, qx_math_func_host___high2float, pairs);
             add(o, qx_math_func_host___bfloat162ushort_rz, bfloat16s());
             add(o, qx_math_func_host___bfloat162short_rz, bfloat16s());
             add(o, qx_math_func_host___bfloat162int_rz, bfloat16s());
             add(o, qx_math_func_host___bfloat162uint_rz, bfloat16s());
             add(o, qx_math_func_host___bfloat162ll_rz, bfloat16s());
             add(o, qx_math_func_host___bfloat162ull_rz, bfloat16s());
         }},
        {"half from float and double",
         [](Bits& o) {
             for (auto f : {qx_math_func_host___float2half, qx_math_func_host___float2half_rn,
                            qx_math_func_host___float2half_rz, qx_math_func_host___float2half_rd,
                            qx_math_func_host___float2half_ru})
                 add(o, f, floats());
             add(o, qx_math_func_host___double2half, doubles());
         }},
        {"half from integers",
         [](Bits& o) {
             add_integers(o, qx_math_func_host___short2half_rn);
             add_integers(o, qx_math_func_host___ushort2half_rn);
             add_integers(o, qx_math_func_host___int2half_rn);
             add_integers(o, qx_math_func_host___uint2half_rn);
             add_integers(o, qx_math_func_host___ll2half_rn);
             add_integers(o, qx_math_func_host___ull2half_rn);
         }},
        {"half to float and integers",
         [](Bits& o) {
             add(o, qx_math_func_host___half2float, halves());
             add(o, qx_math_func_host___half2short_rz, halves());
             add(o, qx_math_func_host___half2ushort_rz, halves());
             add(o, qx_math_func_host___half2int_rz, halves());
             add(o, qx_math_func_host___half2uint_rz, halves());
             add(o, qx_math_func_host___half2ll_rz, halves());
             add(o, qx_math_func_host___half2ull_rz, halves());
         }},
        {"special functions",
         [](Bits& o) {
             for (auto f : {qx_math_func_host_erfinvf, qx_math_func_host_erfcinvf, qx_math_func_host_erfcxf,
                            qx_math_func_host_normcdff})
                 add(o, f, floats());
             for (auto f : {qx_math_func_host_erfinv, qx_math_func_host_erfcinv, qx_math_func_host_erfcx,
                            qx_math_func_host_normcdf})
                 add(o, f, doubles());
         }},
        {"pi-scaled sine and cosine, reciprocal roots",
         [](Bits& o) {
             for (auto f : {qx_math_func_host_sinpif, qx_math_func_host_cospif, qx_math_func_host_rsqrtf,
                            qx_math_func_host_rcbrtf})
                 add(o, f, floats());
             for (auto f : {qx_math_func_host_sinpi, qx_math_func_host_cospi, qx_math_func_host_rsqrt,
                            qx_math_func_host_rcbrt})
                 add(o, f, doubles());
             add_sincospi(o, qx_math_func_host_sincospif, floats());
             add_sincospi(o, qx_math_func_host_sincospi, doubles());
         }},
        {"floating min and max",
         [](Bits& o) {
             for (auto f : {MinMax<float, float>(qx_math_func_host_max), MinMax<float, float>(qx_math_func_host_min)})
                 add_pairs(o, f, floats(), floats());
             for (auto f :
                  {MinMax<double, double>(qx_math_func_host_max), MinMax<double, double>(qx_math_func_host_min)})
                 add_pairs(o, f, doubles(), doubles());
             using Mixed = double (*)(double, float);
             using Mixed2 = double (*)(float, double);
             for (auto f : {Mixed(qx_math_func_host_max), Mixed(qx_math_func_host_min)})
                 add_pairs(o, f, doubles(), floats());
             for (auto f : {Mixed2(qx_math_func_host_max), Mixed2(qx_math_func_host_min)})
                 add_pairs(o, f, floats(), doubles());
         }},
        {"array conversions",
         [](Bits& o) {
             for (auto f : {qx_math_func_host_batch___float2bfloat16_rn, qx_math_func_host_batch___float2bfloat16_rz,
                            qx_math_func_host_batch___float2bfloat16_rd, qx_math_func_host_batch___float2bfloat16_ru})
                 add_batch(o, f, floats());
             add_batch(o, qx_math_func_host_batch___double2bfloat16, doubles());
             add_batch(o, qx_math_func_host_batch___bfloat162float, bfloat16s());
             for (auto f : {qx_math_func_host_batch___float2half_rn, qx_math_func_host_batch___float2half_rz,
                            qx_math_func_host_batch___float2half_rd, qx_math_func_host_batch___float2half_ru})
                 add_batch(o, f, floats());
             add_batch(o, qx_math_func_host_batch___double2half, doubles());
             add_batch(o, qx_math_func_host_batch___half2float, halves());
         }},
        {"array special functions",
         [](Bits& o) {
             for (auto f : {qx_math_func_host_batch_erfinvf, qx_math_func_host_batch_erfcinvf,
                            qx_math_func_host_batch_erfcxf, qx_math_func_host_batch_normcdff})
                 add_batch(o, f, floats());
             for (auto f : {qx_math_func_host_batch_erfinv, qx_math_func_host_batch_erfcinv,
                            qx_math_func_host_batch_erfcx, qx_math_func_host_batch_normcdf})
                 add_batch(o, f, doubles());
             for (auto f : {qx_math_func_host_batch_sinpif, qx_math_func_host_batch_cospif,
                            qx_math_func_host_batch_rsqrtf, qx_math_func_host_batch_rcbrtf})
                 add_batch(o, f, floats());
             for (auto f : {qx_math_func_host_batch_sinpi, qx_math_func_host_batch_cospi, qx_math_func_host_batch_rsqrt,
                            qx_math_func_host_batch_rcbrt})
                 add_batch(o, f, doubles());
         }},
    };
    return table;
}

// ---------------------------------------------------------------------------
// The state: control bits and sticky flags (on x86-64 of the x87 unit too,
// which fesetround and feenableexcept also set).
// ---------------------------------------------------------------------------

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
