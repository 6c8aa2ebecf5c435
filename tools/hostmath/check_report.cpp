// Formatting the report of `hostmath check`.
#include "check_report.h"

#include <cstdio>

namespace hostmath_cli {
namespace {

using namespace hostmath_compare;

std::string index_text(const std::vector<std::uint64_t>& index)
{
    std::string s = "[";
    for (std::size_t i = 0; i < index.size(); ++i) s += (i ? ", " : "") + std::to_string(index[i]);
    return s + "]";
}

// A histogram bin as the report names it: distances in ulp for floating kinds.
std::string bin_name(std::size_t bin, Kind kind)
{
    const bool distance = bin >= kFirstDistanceBin && bin < kFirstDistanceBin + kDistanceBins;
    return bin_label(bin) + (distance && is_floating(kind) ? " ulp" : "");
}

std::string distance_text(const Outcome& o, Kind kind)
{
    if (o.bin == kNanVsNumber) return "NaN vs number";
    if (o.bin == kOtherBits) return is_floating(kind) ? "0 ulp, other bits" : "0";
    const std::string d = std::to_string(o.distance) + (is_floating(kind) ? " ulp" : "");
    return o.bin == kInfVsFinite ? "inf vs finite, " + d : d;
}

std::string nan_rule(const Rules& r) { return r.nan_any ? "any" : "exact"; }

std::string json_string(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string json_index(const std::vector<std::uint64_t>& index)
{
    std::string s = "[";
    for (std::size_t i = 0; i < index.size(); ++i) s += (i ? "," : "") + std::to_string(index[i]);
    return s + "]";
}

// "VALUE BITS" as {"value": "VALUE", "bits": "BITS"}.
std::string json_value(const std::string& formatted)
{
    const std::size_t space = formatted.rfind(' ');
    return "{\"value\":" + json_string(formatted.substr(0, space)) + ",\"bits\":" +
           json_string(formatted.substr(space + 1)) + "}";
}

std::string joined(const std::vector<std::string>& parts, const char* separator)
{
    std::string s;
    for (std::size_t i = 0; i < parts.size(); ++i) s += (i ? separator : "") + parts[i];
    return s;
}

}  // namespace

std::string text_report(const CheckSummary& s)
{
    const Report& r = s.report;
    std::string out = s.function + ": " + std::to_string(r.elements) + " elements, " + std::to_string(r.identical) +
                      " identical, " + std::to_string(r.mismatches) + " mismatches (max ulp " +
                      std::to_string(s.rules.max_ulp) + ", nan " + nan_rule(s.rules) + ")\n";
    if (r.worst > 0)
        out += "worst distance: " + std::to_string(r.worst) + (is_floating(s.kind) ? " ulp" : "") + " at " +
               index_text(s.worst_index) + "\n";
    out += "histogram:\n";
    for (std::size_t b = 0; b < kBinCount; ++b) {
        if (r.histogram[b] == 0) continue;
        char line[96];
        std::snprintf(line, sizeof line, "  %-28s %llu\n", bin_name(b, s.kind).c_str(),
                      static_cast<unsigned long long>(r.histogram[b]));
        out += line;
    }
    if (s.shown.empty()) return out;
    out += "first " + std::to_string(s.shown.size()) + " of " + std::to_string(r.mismatches) + " mismatches:\n";
    static const char* const names[] = {"x", "y", "z"};
    for (const Mismatch& m : s.shown) {
        out += "  " + index_text(m.index) + "  ";
        for (std::size_t k = 0; k < m.inputs.size() && k < 3; ++k) {
            const std::string value = joined(m.inputs[k], ", ");
            out += std::string(names[k]) + " = " + (m.inputs[k].size() > 1 ? "(" + value + ")" : value) + "  ";
        }
        out += "expected " + m.expected + "  got " + m.got + "  (" + distance_text(m.outcome, s.kind) + ")\n";
    }
    return out;
}

std::string json_report(const CheckSummary& s)
{
    const Report& r = s.report;
    std::string out = "{\"function\":" + json_string(s.function) + ",\"elements\":" + std::to_string(r.elements) + ",\"identical\":" + std::to_string(r.identical) +
                      ",\"mismatches\":" + std::to_string(r.mismatches) + ",\"max_ulp\":" +
                      std::to_string(s.rules.max_ulp) + ",\"nan\":" + json_string(nan_rule(s.rules)) +
                      ",\"passed\":" + (r.passed() ? "true" : "false") + ",\"worst_distance\":" + std::to_string(r.worst) +
                      ",\"worst_index\":" + (r.worst > 0 ? json_index(s.worst_index) : "null") + ",\"histogram\":{";
    bool first = true;
    for (std::size_t b = 0; b < kBinCount; ++b) {
        if (r.histogram[b] == 0) continue;
        out += (first ? "" : ",") + json_string(bin_label(b)) + ":" + std::to_string(r.histogram[b]);
        first = false;
    }
    out += "},\"first_mismatches\":[";
    for (std::size_t i = 0; i < s.shown.size(); ++i) {
        const Mismatch& m = s.shown[i];
        out += (i ? ",{" : "{") + std::string("\"index\":") + json_index(m.index) + ",\"inputs\":[";
        for (std::size_t k = 0; k < m.inputs.size(); ++k) {
            std::vector<std::string> values;
            for (const std::string& v : m.inputs[k]) values.push_back(json_value(v));
            out += (k ? "," : "") + (values.size() > 1 ? "[" + joined(values, ",") + "]" : values[0]);
        }
        const bool no_distance = m.outcome.bin == kNanVsNumber;
        out += "],\"expected\":" + json_value(m.expected) + ",\"got\":" + json_value(m.got) + ",\"distance\":" +
               (no_distance ? "null" : std::to_string(m.outcome.distance)) + ",\"bin\":" +
               json_string(bin_label(m.outcome.bin)) + "}";
    }
    return out + "]}\n";
}

}  // namespace hostmath_cli
