// The eval and check subcommands: a function over whole array files.
//
//   hostmath eval FUNCTION --in X [--in Y] --out R [--force]
//   hostmath check FUNCTION --in X [--in Y] --got DEVICE [--max-ulp N]
//                  [--nan exact|any] [--show N] [--json]
//   both: [--raw [--dtype T[,T...]]] [-j N]
#ifndef HOSTMATH_ARRAY_COMMAND_H
#define HOSTMATH_ARRAY_COMMAND_H

#include <string>
#include <vector>

namespace hostmath_cli {

// Exit statuses of the subcommands.
constexpr int kExitMatch = 0;
constexpr int kExitMismatch = 1;  // check: some element outside the rules
constexpr int kExitError = 2;     // bad usage, a bad file, an I/O error

// Runs `hostmath eval ...` or `hostmath check ...`; args[0] is the
// subcommand.  Reports on standard output, messages on standard error.
int run_array_command(const std::vector<std::string>& args);

}  // namespace hostmath_cli

#endif
