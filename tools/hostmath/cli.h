// The hostmath command's engine: the table of library functions by their
// device names, the parsing of argument text and the formatting of results.
// Kept apart from main() so that tests and the fuzz target can drive it.
#ifndef HOSTMATH_CLI_H
#define HOSTMATH_CLI_H

#include "hostmath/check.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace hostmath_cli {

// Bad input: the message names the problem and is meant for the user.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// How one argument or result is laid out in an array: its element kind, and
// 2 components for a pair (a trailing axis of length 2, low/first at index 0).
struct ArrayType {
    hostmath::compare::Kind kind;
    std::size_t components;
};

// Applies a function to n elements: in[k] points to the elements of argument
// k, out to room for the results; no alignment is assumed.
using ArrayCall = std::function<void(const void* const* in, void* out, std::size_t n)>;

struct Function {
    std::string name;                 // device name, e.g. "__float2half_rd" or "max"
    std::vector<std::string> params;  // parameter types as C++ spells them
    std::string result;               // result type
    std::size_t arity;                // number of argument words the command takes
    std::function<std::string(const std::vector<std::string>&)> call;  // words in, result line out
    std::vector<ArrayType> param_arrays;  // the array layout of each parameter
    ArrayType result_array;               // and of the result
    ArrayCall each;                       // the scalar function in a loop
    ArrayCall batch;                      // its array form, where the library has one; else empty

    std::string signature() const;  // "max(int, unsigned int)"
};

const std::vector<Function>& functions();

// Finds the function a command-line name designates: a plain name, or for an
// overloaded one a name with its parameter types, "max(long, unsigned long)"
// (spaces optional).  Throws UsageError naming the closest candidates.
const Function& find_function(const std::string& designation);

// Splits a line into whitespace-separated words.
std::vector<std::string> split_words(const std::string& line);

// Evaluates f on argument words; throws UsageError on bad input.
std::string evaluate(const Function& f, const std::vector<std::string>& words);

// A word quoted for a message.  Control bytes (a NUL, say) and bytes from
// 0x80 up are escaped as \xNN, so that the message reaches the user whole and
// a terminal shows it as it is; of a word longer than `limit` bytes only the
// first `limit` are shown, with the word's length.
constexpr std::size_t kQuotedWordLimit = 100;
std::string quoted(const std::string& word, std::size_t limit = kQuotedWordLimit);

// A file name quoted for a message: as quoted(), up to the longest path the
// system opens.
std::string quoted_file(const std::string& path);

// Argument parsing, one word each (exposed for the tests and the fuzz target).
float parse_float(const std::string& word);
double parse_double(const std::string& word);
unsigned short parse_bits16(const std::string& word);
long long parse_signed(const std::string& word, long long min, long long max);
unsigned long long parse_unsigned(const std::string& word, unsigned long long max);

}  // namespace hostmath_cli

#endif
