// The hostmath command's engine: the table of library functions by their
// device names, the parsing of argument text and the formatting of results.
// Kept apart from main() so that tests and the fuzz target can drive it.
#ifndef HOSTMATH_CLI_H
#define HOSTMATH_CLI_H

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace hostmath_cli {

// Bad input: the message names the problem and is meant for the user.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Function {
    std::string name;                 // device name, e.g. "__float2half_rd" or "max"
    std::vector<std::string> params;  // parameter types as C++ spells them
    std::string result;               // result type
    std::size_t arity;                // number of argument words the command takes
    std::function<std::string(const std::vector<std::string>&)> call;  // words in, result line out

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

// Argument parsing, one word each (exposed for the tests and the fuzz target).
float parse_float(const std::string& word);
double parse_double(const std::string& word);
unsigned short parse_bits16(const std::string& word);
long long parse_signed(const std::string& word, long long min, long long max);
unsigned long long parse_unsigned(const std::string& word, unsigned long long max);

}  // namespace hostmath_cli

#endif
