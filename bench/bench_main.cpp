// The entry point of hostmath_bench and the yardsticks: memcpy of kElements
// elements of 2, 4, 8 and 16 bytes, the input sizes of the functions, and a
// call into a shared library that returns its argument (identity_library.cpp),
// for arguments of 2, 4 and 8 bytes.
// The run's context (JSON "context") records the build's x86-64 level, the
// compiler, the C library, the peers' versions and the conversion
// instructions this processor has, for tools/bench-table.
#include "bench_inputs.h"
#include "bench_scalar.h"

#include <cstring>
#include <string>

#if defined(__GLIBC__)
#include <gnu/libc-version.h>
#endif

unsigned short bench_identity_2(unsigned short x);
float bench_identity_4(float x);
double bench_identity_8(double x);

namespace {

void copy(benchmark::State& state, std::size_t bytes_per_element)
{
    const std::size_t bytes = bench::kElements * bytes_per_element;
    std::vector<unsigned char> in(bytes, 1);
    std::vector<unsigned char> out(bytes);
    benchmark::DoNotOptimize(in.data());
    benchmark::DoNotOptimize(out.data());
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), bytes);
        benchmark::ClobberMemory();
    }
    bench::report_elements(state, bench::kElements, bytes_per_element);
}

const bool registered = [] {
    for (std::size_t size : {2, 4, 8, 16}) {
        benchmark::RegisterBenchmark(bench::name("memcpy", std::to_string(size) + " bytes", "memcpy", "any").c_str(),
                                     [size](benchmark::State& state) { copy(state, size); });
    }
    const auto reals = bench::normal_reals<double>();
    std::vector<float> floats(reals.begin(), reals.end());
    std::vector<unsigned short> shorts(reals.size());
    for (std::size_t i = 0; i < shorts.size(); ++i) shorts[i] = static_cast<unsigned short>(i);
    bench::add("call", "2 bytes", "identity", bench::NamedInputs<unsigned short>{"any", shorts}, bench_identity_2);
    bench::add("call", "4 bytes", "identity", bench::NamedInputs<float>{"any", floats}, bench_identity_4);
    bench::add("call", "8 bytes", "identity", bench::NamedInputs<double>{"any", reals}, bench_identity_8);
    return true;
}();

std::string compiler()
{
#if defined(__clang__)
    return "clang " __clang_version__;
#elif defined(__GNUC__)
    return "GCC " __VERSION__;
#else
    return "unknown";
#endif
}

std::string conversion_instructions()
{
#if defined(__x86_64__)
    __builtin_cpu_init();
    std::string s = std::string("F16C ") + (__builtin_cpu_supports("f16c") ? "yes" : "no");
    s += std::string(", AVX-512 BF16 ") + (__builtin_cpu_supports("avx512bf16") ? "yes" : "no");
    return s;
#else
    return "none checked";
#endif
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::AddCustomContext("hostmath_x86_64_level", HOSTMATH_BENCH_X86_64_LEVEL);
    benchmark::AddCustomContext("hostmath_compiler", compiler());
#if defined(__GLIBC__)
    benchmark::AddCustomContext("hostmath_libc", std::string("glibc ") + gnu_get_libc_version());
#endif
    benchmark::AddCustomContext("hostmath_peers", HOSTMATH_BENCH_PEERS);
    benchmark::AddCustomContext("hostmath_conversion_instructions", conversion_instructions());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
