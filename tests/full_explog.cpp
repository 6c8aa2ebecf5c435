// 10^9 random inputs per function (or argv[1]) of hostmath::core::exp and log
// against MPFR, through the 64-lane and one-lane forms (label full: hours).
#include "core_explog.h"
#include "sweep.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    const std::uint64_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000000ull;
    const std::uint64_t first = 1ull << 32;  // blocks apart from those of the 10^7 sweep
    const std::uint64_t blocks = (count + 63) / 64;
    int status = 0;
    for (explog_test::Fn f : {explog_test::Fn::kExp, explog_test::Fn::kLog}) {
        const auto start = std::chrono::steady_clock::now();
        const sweep::Result r = sweep::run(first, first + blocks, [f](std::uint64_t block) {
            return explog_test::check_random_block(f, block);
        });
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%s: %llu random inputs, %llu blocks of 64 with a wrong result, %.0f s\n", explog_test::name(f),
                    static_cast<unsigned long long>(r.checked * 64), static_cast<unsigned long long>(r.failures),
                    seconds);
        for (std::uint64_t block : r.first_failures)
            for (std::uint64_t i = 0; i < 64; ++i)
                std::printf("  block %llu: input %a\n", static_cast<unsigned long long>(block),
                            explog_test::random_input(f, block * 64 + i));
        if (r.failures != 0) status = 1;
    }
    return status;
}
