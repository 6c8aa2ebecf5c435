// hostmath: evaluates the library's functions from the command line.
//
//   hostmath FUNCTION ARG...   one evaluation
//   hostmath FUNCTION -        one evaluation per line of standard input
//   hostmath --list | --help | --version
//
// Each result line holds the value (shortest round-trip decimal) and its bit
// pattern in hexadecimal, both fields of a pair.  Bad input gets a message on
// standard error and exit status 2.
#include "cli.h"

#include <hostmath/version.h>

#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kUsageError = 2;

const char* const kHelp = R"(usage: hostmath FUNCTION ARG...
       hostmath FUNCTION -          read one argument set per line from standard input
       hostmath --list              list every function with its signature
       hostmath --help | --version

Evaluates a function of libhostmath exactly as the device computes it.
FUNCTION is the device name (erfinvf, __float2half_rd, __bfloat162int_rz, ...);
an overloaded name (min, max) takes its parameter types: 'max(int, unsigned int)'.

Arguments:
  float, double    decimal (0.1), hexadecimal floating literal (0x1.8p-3), inf, -inf,
                   nan, or a raw bit pattern with the prefix bits: (bits:0x3f800000)
  integers         decimal or hexadecimal (-1, 0xff), checked against the type's range
  __half, __quix_bfloat16     the 16-bit pattern (0x3c00)
  __quix_bfloat162, float2    two words: low (first), then high (second)

Output: one line per evaluation, each result as "VALUE BITS"; a pair gives
both fields, low first.  In the standard-input mode a bad line prints "error"
in its place and a message naming the line on standard error; the exit status
is then 2.

Examples:
  hostmath __float2bfloat16_rn 3.14159        -> 3.140625 0x4049
  hostmath __float2half_ru 0x1.8p-3
  hostmath __half2float 0x3c00                -> 1 0x3f800000
  hostmath erfinvf 0.5
  hostmath normcdf -38.4
  hostmath 'max(int, unsigned int)' -1 5      -> 4294967295 0xffffffff
  printf '0.1\n0.2\n' | hostmath erfcinv -
)";

void list_functions()
{
    for (const hostmath_cli::Function& f : hostmath_cli::functions())
        std::cout << f.signature() << " -> " << f.result << "\n";
}

int evaluate_stdin(const hostmath_cli::Function& f)
{
    int status = 0;
    std::string line;
    for (unsigned long number = 1; std::getline(std::cin, line); ++number) {
        try {
            std::cout << hostmath_cli::evaluate(f, hostmath_cli::split_words(line)) << "\n";
        } catch (const hostmath_cli::UsageError& e) {
            std::cout << "error\n";
            std::cerr << "hostmath: line " << number << ": " << e.what() << "\n";
            status = kUsageError;
        }
    }
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << kHelp;
        return kUsageError;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        std::cout << kHelp;
        return 0;
    }
    if (args[0] == "--list") {
        list_functions();
        return 0;
    }
    if (args[0] == "--version") {
        std::cout << "hostmath " << HOSTMATH_VERSION_STRING << "\n";
        return 0;
    }
    try {
        const hostmath_cli::Function& f = hostmath_cli::find_function(args[0]);
        if (args.size() == 2 && args[1] == "-") return evaluate_stdin(f);
        std::cout << hostmath_cli::evaluate(f, {args.begin() + 1, args.end()}) << "\n";
        return 0;
    } catch (const hostmath_cli::UsageError& e) {
        std::cerr << "hostmath: " << e.what() << "\n";
        return kUsageError;
    }
}
