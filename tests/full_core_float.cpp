// Every float, all 2^32 patterns, through logf, expf, sinf, cosf and cbrtf of
// the maths core: the baseline 64-lane form and the fma one (compiled for
// AVX2 and FMA where the processor has them), bit for bit against the
// correctly rounded value (core_float_check.h), and the accurate path's own
// rounding test on every lane the fast path flags.  This is the proof that
// the float functions are correctly rounded.
//
//   full_core_float [FUNCTION...] [--hard-cases DIR]
//
// With --hard-cases, writes DIR/<function>.txt: the 256 inputs whose value
// lies nearest a rounding boundary (measured with MPFR at 160 bits), one
// hexadecimal double per line, nearest first (tests/data/hard-cases holds them).
#include "core_float_check.h"
#include "sweep.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

namespace {

using core_float::Block;
using core_float::Function;

// How far f(x) lies from the nearest midpoint between floats, in ulps of the
// result (0 to 1/2), with MPFR at 160 bits.
double distance_to_midpoint(const Function& f, float x)
{
    mpfr_t in, out, t;
    mpfr_inits2(160, in, out, t, static_cast<mpfr_ptr>(nullptr));
    mpfr_set_flt(in, x, MPFR_RNDN);
    f.mpfr(out, in, MPFR_RNDN);
    double d = 1;
    if (mpfr_regular_p(out)) {
        const long exponent = std::max<long>(mpfr_get_exp(out) - 24, -149);  // the result's ulp
        mpfr_abs(t, out, MPFR_RNDN);
        mpfr_mul_2si(t, t, -exponent, MPFR_RNDN);
        mpfr_frac(t, t, MPFR_RNDN);
        mpfr_sub_d(t, t, 0.5, MPFR_RNDN);
        d = std::fabs(mpfr_get_d(t, MPFR_RNDN));
    }
    mpfr_clears(in, out, t, static_cast<mpfr_ptr>(nullptr));
    return d;
}

// Whether the reference double's margin holds a rounding boundary: the
// inputs worth measuring.
bool near_boundary(const Function& f, float x)
{
    if ((testbits::u32(x) & 0x7fffffffu) >= 0x7f800000u) return false;
    const double y = f.system(x);
    if (!std::isfinite(y) || y == 0) return false;
    return testbits::u32(static_cast<float>(y - std::fabs(y) * 0x1p-46)) !=
           testbits::u32(static_cast<float>(y + std::fabs(y) * 0x1p-46));
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::size_t> chosen;
    const char* hard_dir = nullptr;
    for (int a = 1; a < argc; ++a) {
        if (std::strcmp(argv[a], "--hard-cases") == 0 && a + 1 < argc) {
            hard_dir = argv[++a];
            continue;
        }
        for (std::size_t i = 0; i < 5; ++i)
            if (std::strcmp(argv[a], core_float::kFunctions[i].name) == 0) chosen.push_back(i);
    }
    if (chosen.empty())
        for (std::size_t i = 0; i < 5; ++i) chosen.push_back(i);

    int status = 0;
    for (std::size_t index : chosen) {
        const Function& f = core_float::kFunctions[index];
        const auto fma = core_float::fma_form(index);
        const auto start = std::chrono::steady_clock::now();
        std::atomic<std::uint64_t> uncertain{0};
        std::mutex hard_mutex;
        std::vector<std::pair<double, float>> hard;
        const sweep::Result result = sweep::run(0, std::uint64_t{1} << 26, [&](std::uint64_t block) {
            Block x;
            for (std::uint64_t i = 0; i < 64; ++i) x[i] = testbits::f32(static_cast<std::uint32_t>(block * 64 + i));
            const core_float::Tally tally = core_float::check_block(f, x, f.base, fma);
            uncertain += tally.uncertain;
            if (hard_dir != nullptr)
                for (float v : x)
                    if (near_boundary(f, v)) {
                        const double d = distance_to_midpoint(f, v);
                        const std::lock_guard<std::mutex> lock(hard_mutex);
                        hard.emplace_back(d, v);
                    }
            return tally.wrong == 0;
        });
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%s: %llu blocks of 64 inputs, %llu blocks with a wrong result, %llu uncertain accurate results, "
                    "%.0f s\n",
                    f.name, static_cast<unsigned long long>(result.checked),
                    static_cast<unsigned long long>(result.failures), static_cast<unsigned long long>(uncertain.load()),
                    seconds);
        std::fflush(stdout);
        if (result.failures != 0 || uncertain.load() != 0) status = 1;
        if (hard_dir != nullptr) {
            std::sort(hard.begin(), hard.end(), [](const auto& a, const auto& b) {
                return a.first != b.first ? a.first < b.first : testbits::u32(a.second) < testbits::u32(b.second);
            });
            if (hard.size() > 256) hard.resize(256);
            const std::string path = std::string(hard_dir) + "/" + f.name + ".txt";
            if (FILE* file = std::fopen(path.c_str(), "w")) {
                for (const auto& h : hard) std::fprintf(file, "%a\n", static_cast<double>(h.second));
                std::fclose(file);
                std::printf("%s: %zu hardest inputs in %s, the nearest %.3g ulp from a midpoint\n", f.name,
                            hard.size(), path.c_str(), hard.empty() ? 0.0 : hard.front().first);
            } else {
                std::printf("cannot write %s\n", path.c_str());
                status = 1;
            }
        }
    }
    return status;
}
