// libFuzzer target: the command's argument handling must reject or evaluate
// any input without crashing.  The first line names the function, the rest is
// one argument line as the standard-input mode reads it.  The whole input is
// also read as an .npy file header.
#include "cli.h"
#include "npy.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string name = input.substr(0, newline);
    const std::string line = newline == std::string::npos ? "" : input.substr(newline + 1);
    try {
        const hostmath_cli::Function& f = hostmath_cli::find_function(name);
        hostmath_cli::evaluate(f, hostmath_cli::split_words(line));
    } catch (const hostmath_cli::UsageError&) {
    }
    for (const std::string& word : hostmath_cli::split_words(line)) {
        try {
            hostmath_cli::parse_double(word);
        } catch (const hostmath_cli::UsageError&) {
        }
        try {
            hostmath_cli::parse_signed(word, -32768, 32767);
        } catch (const hostmath_cli::UsageError&) {
        }
    }
    try {
        hostmath_cli::parse_npy(data, size, "fuzz");
    } catch (const hostmath_cli::UsageError&) {
    }
    return 0;
}
