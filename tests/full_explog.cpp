// 10^9 random inputs per function (or argv[1]) of hostmath::core::exp and log
// through the 64-lane and one-lane forms (label full: an hour or more).
//
// The reference is MPFR's correctly rounded value, found faster where it is
// safe: where long double has a 64-bit significand, the C library's long
// double exp or log (within a few units of 2^-64 relative) rounded to double
// is taken when it lies farther than 2^-60 relative from both midpoints next
// to it; MPFR decides the other inputs (near midpoints, specials, |x| >= 700
// for exp, subnormal x for log).
#include "core_explog.h"
#include "sweep.h"

#include <cfloat>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

using explog_test::Fn;

double fast_reference(Fn f, double x)
{
#if LDBL_MANT_DIG == 64
    if (f == Fn::kExp ? std::fabs(x) < 700 : x >= 0x1p-1022 && x <= DBL_MAX) {
        const long double y = f == Fn::kExp ? std::exp(static_cast<long double>(x)) : std::log(static_cast<long double>(x));
        const double yd = static_cast<double>(y);  // RN
        if (yd != 0) {
            const long double below = std::nextafter(yd, -INFINITY), above = std::nextafter(yd, INFINITY);
            const long double tolerance = std::fabs(static_cast<long double>(yd)) * 0x1p-60L;
            if (std::fabs(y - (below + yd) / 2) > tolerance && std::fabs(y - (above + yd) / 2) > tolerance)
                return yd;
        }
    }
#endif
    return explog_test::reference(f, x);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::uint64_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000000ull;
    const std::uint64_t first = 1ull << 32;  // blocks apart from those of the 10^7 sweep
    const std::uint64_t blocks = (count + 63) / 64;
    int status = 0;
    for (Fn f : {Fn::kExp, Fn::kLog}) {
        const auto start = std::chrono::steady_clock::now();
        const sweep::Result r = sweep::run(first, first + blocks, [f](std::uint64_t block) {
            return explog_test::check_random_block(f, block, fast_reference);
        });
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%s: %llu random inputs, %llu blocks of 64 with a wrong result, %.0f s\n", explog_test::name(f),
                    static_cast<unsigned long long>(r.checked * 64), static_cast<unsigned long long>(r.failures),
                    seconds);
        for (std::uint64_t block : r.first_failures)
            for (std::uint64_t i = 0; i < 64; ++i)
                std::printf("  block %llu: input %a\n", static_cast<unsigned long long>(block),
                            explog_test::random_input(f, block * 64 + i));
        std::fflush(stdout);
        if (r.failures != 0) status = 1;
    }
    return status;
}
