// The report of `hostmath check`, as text for people and as JSON for CI.
#ifndef HOSTMATH_CHECK_REPORT_H
#define HOSTMATH_CHECK_REPORT_H

#include "compare.h"

#include <cstdint>
#include <string>
#include <vector>

namespace hostmath_cli {

// One mismatching element, ready to print; values are "VALUE BITS".
struct Mismatch {
    std::vector<std::uint64_t> index;              // multi-dimensional, C order
    std::vector<std::vector<std::string>> inputs;  // per argument, one value per component
    std::string expected;
    std::string got;
    hostmath_compare::Outcome outcome;
};

struct CheckSummary {
    std::string function;  // the signature
    hostmath_compare::Kind kind;
    hostmath_compare::Rules rules;
    hostmath_compare::Report report;
    std::vector<std::uint64_t> worst_index;  // of report.worst_index
    std::vector<Mismatch> shown;
};

std::string text_report(const CheckSummary& s);
std::string json_report(const CheckSummary& s);

}  // namespace hostmath_cli

#endif
