// hostmath: evaluates the library's functions from the command line.
//
//   hostmath FUNCTION ARG...   one evaluation
//   hostmath FUNCTION -        one evaluation per line of standard input
//   hostmath eval | check ...  a function over whole array files
//   hostmath --list | --help | --version
//
// Each result line holds the value (shortest round-trip decimal) and its bit
// pattern in hexadecimal, both fields of a pair.  Bad input gets a message on
// standard error and exit status 2; so does output that cannot be written.
#include "array_command.h"
#include "cli.h"

#include <hostmath/version.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr int kUsageError = 2;

const char* const kHelp = R"(usage: hostmath FUNCTION ARG...
       hostmath FUNCTION -          read one argument set per line from standard input
       hostmath eval FUNCTION --in X [--in Y] --out R [--force]
       hostmath check FUNCTION --in X [--in Y] --got DEVICE [--max-ulp N] [--nan exact|any]
                      [--show N] [--json]
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
is then 2.  A line holds at most 1 MiB: a longer one is a bad line, read to
its end.  The first failed write (a closed pipe) ends the run with status 2.

Examples:
  hostmath __float2bfloat16_rn 3.14159        -> 3.140625 0x4049
  hostmath __float2half_ru 0x1.8p-3
  hostmath __half2float 0x3c00                -> 1 0x3f800000
  hostmath erfinvf 0.5
  hostmath normcdf -38.4
  hostmath 'max(int, unsigned int)' -1 5      -> 4294967295 0xffffffff
  printf '0.1\n0.2\n' | hostmath erfcinv -

Arrays (eval, check):
  eval applies FUNCTION element by element to whole arrays and writes the
  device's results to R; check computes them and compares them with DEVICE.
  Files are .npy (C order, little-endian, any shape; versions 1.0, 2.0, 3.0),
  or with --raw flat little-endian data.  Element types follow the signature:
  float32, float64, int*, uint*; __half as float16; __quix_bfloat16 as uint16
  bit patterns; a pair (__quix_bfloat162, float2, the two results of sincospi)
  as a trailing axis of length 2, low/first at index 0.  Two-argument
  functions take two inputs of the same shape.
  --raw                 raw files; the element types come from the signature
  --dtype T[,T...]      with --raw, the types stated: one for every input, or
                        one per file (inputs, then --got or --out); T is one of
                        f16 bf16 f32 f64 i8 i16 i32 i64 u8 u16 u32 u64
  -j N                  threads (default: all)
  --force               eval: replace an --out file the user may not write
  --max-ulp N           accept distances up to N (default 0: bit-exact)
  --nan exact|any       any: accept any NaN where a NaN is expected
  --show N              list the first N mismatches (default 10)
  --json                the report as one JSON object
  The distance of floating results counts the representable values between
  expected and got (-0 and +0 are 0 apart, "other bits", as NaN payloads
  are); of integers, the difference.  A NaN against a number and an infinity
  against a finite value are mismatches at any --max-ulp; so is a NaN with
  other bits unless --nan any.  check exits 0 when every element is within
  --max-ulp, 1 when not, 2 on bad usage, bad files or I/O errors.
  The output of eval appears under its name only when complete; a file it
  replaces keeps its mode.  SIGINT, SIGTERM and SIGHUP remove the partial
  output; an input that changes while it is read is an error (status 2).
  Limits: an .npy header of 1 MiB; an input that is not a regular file (a
  pipe) is read into memory, up to 256 MiB.

  hostmath eval erfinvf --in x.npy --out ref.npy
  hostmath check __float2bfloat16_rn --in x.npy --got device.npy --json
  hostmath check 'max(int, unsigned int)' --in a.npy --in b.npy --got m.npy
)";

void list_functions()
{
    for (const hostmath_cli::Function& f : hostmath_cli::functions())
        std::cout << f.signature() << " -> " << f.result << "\n";
}

// Reports output that could not be written (a full disk, a closed pipe).
int output_failed(int error)
{
    std::cerr << "hostmath: cannot write the output: " << std::strerror(error ? error : EIO) << "\n";
    return kUsageError;
}

// Flushes standard output; on failure reports it and turns the status into
// an error.  A stream that failed earlier has left its cause in errno.
int finish_output(int status)
{
    if (std::cout) {
        errno = 0;
        std::cout.flush();
    }
    return std::cout ? status : output_failed(errno);
}

// The longest line of standard input the command holds: longer lines are
// errors, read to their end without being kept.
constexpr std::size_t kLineLimit = std::size_t{1} << 20;

enum class LineRead { line, too_long, no_memory, end };

// Reads one line of standard input, without its newline, into `line`.
LineRead read_line(std::string& line)
{
    line.clear();
    LineRead result = LineRead::end;
    for (int c; (c = getc_unlocked(stdin)) != EOF;) {
        if (result == LineRead::end) result = LineRead::line;
        if (c == '\n') break;
        if (result != LineRead::line) continue;
        if (line.size() == kLineLimit) result = LineRead::too_long;
        try {
            if (result == LineRead::line) line += static_cast<char>(c);
        } catch (const std::bad_alloc&) {
            result = LineRead::no_memory;
        }
        if (result != LineRead::line) std::string().swap(line);  // give the memory back
    }
    return result;
}

// One evaluation per line; a line that cannot be evaluated prints "error" in
// its place and makes the status 2.  Stops at the first failed write.
int evaluate_stdin(const hostmath_cli::Function& f)
{
    int status = 0;
    std::string line;
    LineRead read;
    for (unsigned long number = 1; (read = read_line(line)) != LineRead::end; ++number) {
        std::string problem;
        try {
            if (read == LineRead::line)
                std::cout << hostmath_cli::evaluate(f, hostmath_cli::split_words(line)) << "\n";
            else if (read == LineRead::too_long)
                problem = "longer than the limit of " + std::to_string(kLineLimit) + " bytes";
            else
                problem = "out of memory";
        } catch (const hostmath_cli::UsageError& e) {
            problem = e.what();
        } catch (const std::bad_alloc&) {
            problem = "out of memory";
        }
        if (!problem.empty()) {
            std::cout << "error\n";
            std::cerr << "hostmath: line " << number << ": " << problem << "\n";
            status = kUsageError;
        }
        if (!std::cout) return output_failed(errno);
    }
    if (std::ferror(stdin)) {
        std::cerr << "hostmath: cannot read standard input: " << std::strerror(errno ? errno : EIO) << "\n";
        return kUsageError;
    }
    return finish_output(status);
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
        return finish_output(0);
    }
    if (args[0] == "--list") {
        list_functions();
        return finish_output(0);
    }
    if (args[0] == "--version") {
        std::cout << "hostmath " << HOSTMATH_VERSION_STRING << "\n";
        return finish_output(0);
    }
    try {
        if (args[0] == "eval" || args[0] == "check") return finish_output(hostmath_cli::run_array_command(args));
        const hostmath_cli::Function& f = hostmath_cli::find_function(args[0]);
        if (args.size() == 2 && args[1] == "-") return evaluate_stdin(f);
        std::cout << hostmath_cli::evaluate(f, {args.begin() + 1, args.end()}) << "\n";
        return finish_output(0);
    } catch (const hostmath_cli::UsageError& e) {
        std::cerr << "hostmath: " << e.what() << "\n";
        return kUsageError;
    } catch (const std::exception& e) {  // out of memory, no threads
        std::cerr << "hostmath: " << e.what() << "\n";
        return kUsageError;
    }
}
