// hostmath/check.h: check a kernel's results against the host reference, in
// C++, with the report of `hostmath check`.
//
//     #include <hostmath/check.h>
//
//     std::vector<float> x = ..., device = ...;      // the kernel's arguments and results
//     hostmath::CheckReport r = hostmath::check(qx_math_func_host_erfinvf, x, device);
//     if (!r.passed()) std::cerr << r;               // the report, as the command prints it
//
// check(function, inputs..., got[, options]) calls function, a scalar
// function of hostmath.h, on each element of the inputs and compares its
// results with got, element by element, as the command's check does: a value
// matches when its distance is at most options.max_ulp (0: the same bits,
// so -0 for +0 is a mismatch then); a NaN against a number and an infinity
// against a finite value never match; options.nan_any accepts any NaN where a
// NaN is expected.  The distance of floating values is the number of
// representable values between expected and got (sign-magnitude order of the
// patterns: -0 and +0 are 0 apart, and so are two NaNs, counted as "other
// bits"); of integers the difference of the values.
//
//   - inputs and got are contiguous ranges: std::vector, std::array, a C
//     array, std::span (C++20), anything with std::data and std::size, all
//     of one length.  Their elements have the function's parameter and
//     result types; a half or bfloat16 range may also hold its patterns as
//     std::uint16_t.  A pair result (__float2bfloat162_rn, say) is a range
//     of the pair type; sincospi and sincospif take one input range and two
//     got ranges, sines then cosines, reported as the pairs (sin, cos).
//   - An overloaded function (max, min) is named with its type:
//     static_cast<double (*)(double, float)>(qx_math_func_host_max).
//   - options (CheckOptions) set max_ulp, nan_any, how many mismatches the
//     report lists (show, 10), the function's name in it (name; the
//     gtest.h assertions set it) and a shape, whose multi-dimensional indices
//     the report then gives (C order).
//
// Header-only, C++17; the command and the Python package use the same code,
// so the three reports agree.  The lower-level parts (the element kinds, the
// distance, the histogram, the accumulated counts) are in namespace
// hostmath::compare.
#ifndef HOSTMATH_CHECK_H
#define HOSTMATH_CHECK_H

#include "../hostmath.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <ostream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace hostmath {
namespace compare {

// ---------------------------------------------------------------------------
// Element kinds: the one table of their names and sizes
// ---------------------------------------------------------------------------

enum class Kind { f16, bf16, f32, f64, i8, i16, i32, i64, u8, u16, u32, u64 };

struct KindInfo {
    Kind kind;
    const char* name;   // "float32"; "bfloat16" for bfloat16 patterns
    std::size_t size;   // bytes
    bool floating;
    bool is_signed;     // signed integer
    const char* npy;    // the .npy type code without byte order ("f4"; bfloat16 patterns are "u2")
    const char* raw;    // the command's --dtype name ("f32")
};

inline constexpr KindInfo kKinds[] = {
    {Kind::f16, "float16", 2, true, false, "f2", "f16"},   {Kind::bf16, "bfloat16", 2, true, false, "u2", "bf16"},
    {Kind::f32, "float32", 4, true, false, "f4", "f32"},   {Kind::f64, "float64", 8, true, false, "f8", "f64"},
    {Kind::i8, "int8", 1, false, true, "i1", "i8"},        {Kind::i16, "int16", 2, false, true, "i2", "i16"},
    {Kind::i32, "int32", 4, false, true, "i4", "i32"},     {Kind::i64, "int64", 8, false, true, "i8", "i64"},
    {Kind::u8, "uint8", 1, false, false, "u1", "u8"},      {Kind::u16, "uint16", 2, false, false, "u2", "u16"},
    {Kind::u32, "uint32", 4, false, false, "u4", "u32"},   {Kind::u64, "uint64", 8, false, false, "u8", "u64"},
};

inline constexpr const KindInfo& info(Kind k) { return kKinds[static_cast<std::size_t>(k)]; }

// The kind of a name of the table ("float32", "bfloat16"), or nullptr.
inline const KindInfo* kind_named(const std::string& name)
{
    for (const KindInfo& k : kKinds)
        if (name == k.name) return &k;
    return nullptr;
}

inline constexpr std::size_t size_of(Kind k) { return info(k).size; }
inline constexpr bool is_floating(Kind k) { return info(k).floating; }
inline constexpr bool is_signed_integer(Kind k) { return info(k).is_signed; }

// How a C++ type of hostmath.h lies in arrays: its element kind, its number
// of components (2 for a pair, low or first at the lower address) and its
// spelling in signatures.  Integers go by size and signedness.
template <typename T>
struct TypeOf;

template <Kind K, std::size_t Components = 1>
struct TypeTraits {
    static constexpr Kind kind = K;
    static constexpr std::size_t components = Components;
};

#define HOSTMATH_CHECK_TYPE(T, spelled, ...)            \
    template <>                                         \
    struct TypeOf<T> : TypeTraits<__VA_ARGS__> {        \
        static constexpr const char* name = spelled;    \
    };
HOSTMATH_CHECK_TYPE(float, "float", Kind::f32)
HOSTMATH_CHECK_TYPE(double, "double", Kind::f64)
HOSTMATH_CHECK_TYPE(__half, "__half", Kind::f16)
HOSTMATH_CHECK_TYPE(__quix_bfloat16, "__quix_bfloat16", Kind::bf16)
HOSTMATH_CHECK_TYPE(__quix_bfloat162, "__quix_bfloat162", Kind::bf16, 2)
HOSTMATH_CHECK_TYPE(float2, "float2", Kind::f32, 2)
HOSTMATH_CHECK_TYPE(short, "short", Kind::i16)
HOSTMATH_CHECK_TYPE(unsigned short, "unsigned short", Kind::u16)
HOSTMATH_CHECK_TYPE(int, "int", Kind::i32)
HOSTMATH_CHECK_TYPE(unsigned int, "unsigned int", Kind::u32)
HOSTMATH_CHECK_TYPE(long, "long", sizeof(long) == 8 ? Kind::i64 : Kind::i32)
HOSTMATH_CHECK_TYPE(unsigned long, "unsigned long", sizeof(long) == 8 ? Kind::u64 : Kind::u32)
HOSTMATH_CHECK_TYPE(long long, "long long", Kind::i64)
HOSTMATH_CHECK_TYPE(unsigned long long, "unsigned long long", Kind::u64)
#undef HOSTMATH_CHECK_TYPE

// ---------------------------------------------------------------------------
// Elements as bit patterns
// ---------------------------------------------------------------------------

// The fields of a floating format as masks on its bit pattern.
struct FloatLayout {
    std::uint64_t sign;
    std::uint64_t exponent;  // all exponent bits: the infinity pattern without sign
};

inline FloatLayout layout_of(Kind k)
{
    switch (k) {
    case Kind::f16: return {0x8000u, 0x7c00u};
    case Kind::bf16: return {0x8000u, 0x7f80u};
    case Kind::f32: return {0x80000000u, 0x7f800000u};
    default: return {0x8000000000000000ull, 0x7ff0000000000000ull};
    }
}

inline bool is_nan(Kind k, std::uint64_t bits)
{
    const FloatLayout f = layout_of(k);
    return is_floating(k) && (bits & (f.sign - 1)) > f.exponent;
}

inline bool is_inf(Kind k, std::uint64_t bits)
{
    const FloatLayout f = layout_of(k);
    return is_floating(k) && (bits & (f.sign - 1)) == f.exponent;
}

// Reads one element from memory (host byte order) into the low bits of a word.
inline std::uint64_t load(Kind k, const void* p)
{
    switch (size_of(k)) {
    case 1: { std::uint8_t v; std::memcpy(&v, p, 1); return v; }
    case 2: { std::uint16_t v; std::memcpy(&v, p, 2); return v; }
    case 4: { std::uint32_t v; std::memcpy(&v, p, 4); return v; }
    default: { std::uint64_t v; std::memcpy(&v, p, 8); return v; }
    }
}

// Sign-extends a signed integer element held in the low bits, as a 64-bit
// two's complement pattern (kept unsigned: no signed arithmetic is needed).
inline std::uint64_t widen_signed(Kind k, std::uint64_t bits)
{
    const unsigned width = static_cast<unsigned>(8 * size_of(k));
    if (width == 64) return bits;
    const std::uint64_t sign = std::uint64_t{1} << (width - 1);
    return (bits ^ sign) - sign;  // modular: sets the high bits when the sign bit is set
}

// Returned by distance() for a NaN against a number: there is no distance.
// (The integer pair INT64_MIN, INT64_MAX is that far apart too; classify()
// tells the two apart.)
constexpr std::uint64_t kNoDistance = ~std::uint64_t{0};

// The distance between two elements of kind k.  Two NaNs are 0 apart; a NaN
// and a number give kNoDistance.  Never overflows: the largest floating
// distance (f64, -inf to +inf) is below 2^64.
inline std::uint64_t distance(Kind k, std::uint64_t expected, std::uint64_t got)
{
    if (is_floating(k)) {
        const bool nan_e = is_nan(k, expected), nan_g = is_nan(k, got);
        if (nan_e || nan_g) return nan_e && nan_g ? 0 : kNoDistance;
        const std::uint64_t sign = layout_of(k).sign;
        const std::uint64_t mag_e = expected & (sign - 1), mag_g = got & (sign - 1);
        if ((expected & sign) == (got & sign)) return mag_e > mag_g ? mag_e - mag_g : mag_g - mag_e;
        return mag_e + mag_g;  // opposite sides of zero
    }
    if (is_signed_integer(k)) {
        const std::uint64_t e = widen_signed(k, expected), g = widen_signed(k, got);
        // Compare as signed by flipping the sign bit; the modular difference is then exact.
        const std::uint64_t flip = std::uint64_t{1} << 63;
        return (e ^ flip) > (g ^ flip) ? e - g : g - e;
    }
    return expected > got ? expected - got : got - expected;
}

// ---------------------------------------------------------------------------
// Histogram bins
// ---------------------------------------------------------------------------

// Bin layout: identical; 0 apart but other bits (-0/+0, NaN payload); then one
// bin per power of two, (2^(j-1), 2^j] for j = 0 .. 64 (1, 2, 3-4, 5-8, ...);
// then a NaN against a number and an infinity against a finite value.
constexpr std::size_t kIdentical = 0;
constexpr std::size_t kOtherBits = 1;
constexpr std::size_t kFirstDistanceBin = 2;
constexpr std::size_t kDistanceBins = 65;
constexpr std::size_t kNanVsNumber = kFirstDistanceBin + kDistanceBins;
constexpr std::size_t kInfVsFinite = kNanVsNumber + 1;
constexpr std::size_t kBinCount = kInfVsFinite + 1;

// The bin of a distance d >= 1: kFirstDistanceBin + ceil(log2(d)).
inline std::size_t distance_bin(std::uint64_t d)
{
    std::size_t j = 0;
    for (std::uint64_t span = d - 1; span != 0; span >>= 1) ++j;
    return kFirstDistanceBin + j;
}

// The bin's label: "identical", "0 (other bits)", "1", "2", "3-4", "5-8", ...,
// "NaN vs number", "inf vs finite".
inline std::string bin_label(std::size_t bin)
{
    if (bin == kIdentical) return "identical";
    if (bin == kOtherBits) return "0 (other bits)";
    if (bin == kNanVsNumber) return "NaN vs number";
    if (bin == kInfVsFinite) return "inf vs finite";
    const std::size_t j = bin - kFirstDistanceBin;
    if (j <= 1) return std::to_string(j + 1);
    const std::uint64_t high = j == 64 ? ~std::uint64_t{0} : std::uint64_t{1} << j;
    return std::to_string((std::uint64_t{1} << (j - 1)) + 1) + "-" + std::to_string(high);
}

// What counts as a match.
struct Rules {
    std::uint64_t max_ulp = 0;  // 0: bit-exact (even -0 for +0 is a mismatch)
    bool nan_any = false;       // any NaN is accepted where a NaN is expected
};

struct Outcome {
    std::size_t bin;
    std::uint64_t distance;  // kNoDistance for a NaN against a number
    bool accepted;
};

// Classifies one comparison.  A NaN against a number and an infinity against a
// finite value are mismatches whatever max_ulp says; with exact NaN rules a
// NaN with other bits is one too.
inline Outcome classify(Kind k, std::uint64_t expected, std::uint64_t got, const Rules& rules)
{
    if (expected == got) return {kIdentical, 0, true};
    const bool nan_e = is_nan(k, expected), nan_g = is_nan(k, got);
    if (nan_e != nan_g) return {kNanVsNumber, kNoDistance, false};
    if (nan_e) return {kOtherBits, 0, rules.nan_any};
    const std::uint64_t d = distance(k, expected, got);
    if (is_inf(k, expected) != is_inf(k, got)) return {kInfVsFinite, d, false};
    if (d == 0) return {kOtherBits, 0, rules.max_ulp > 0};  // -0 against +0
    return {distance_bin(d), d, d <= rules.max_ulp};
}

// ---------------------------------------------------------------------------
// Accumulated counts
// ---------------------------------------------------------------------------

// The outcome of many comparisons (one chunk, one thread); merges with others.
struct Tally {
    std::uint64_t elements = 0;
    std::uint64_t identical = 0;
    std::uint64_t mismatches = 0;                 // elements not accepted by the rules
    std::uint64_t worst = 0;                      // largest distance (NaN/inf bins excluded)
    std::uint64_t worst_index = 0;                // lowest index reaching it; valid when worst > 0
    std::array<std::uint64_t, kBinCount> histogram{};
    std::size_t keep = 10;                        // how many mismatch indices to keep
    std::vector<std::uint64_t> first_mismatches;  // lowest indices, ascending, at most keep

    // Records the comparison of the element at flat index `index`.
    void add(std::uint64_t index, const Outcome& o)
    {
        ++elements;
        ++histogram[o.bin];
        if (o.bin == kIdentical) ++identical;
        if (o.bin != kNanVsNumber && o.bin != kInfVsFinite &&
            (o.distance > worst || (o.distance == worst && worst > 0 && index < worst_index))) {
            worst = o.distance;
            worst_index = index;
        }
        if (o.accepted) return;
        ++mismatches;
        keep_index(index);
    }

    // Folds in the counts of other elements (another chunk or thread).
    void merge(const Tally& other)
    {
        elements += other.elements;
        identical += other.identical;
        mismatches += other.mismatches;
        for (std::size_t b = 0; b < kBinCount; ++b) histogram[b] += other.histogram[b];
        if (other.worst > worst || (other.worst == worst && worst > 0 && other.worst_index < worst_index)) {
            worst = other.worst;
            worst_index = other.worst_index;
        }
        for (std::uint64_t i : other.first_mismatches) keep_index(i);
    }

    bool passed() const { return mismatches == 0; }

private:
    void keep_index(std::uint64_t index)
    {
        if (keep == 0) return;
        if (first_mismatches.size() == keep && index >= first_mismatches.back()) return;
        first_mismatches.insert(std::upper_bound(first_mismatches.begin(), first_mismatches.end(), index), index);
        if (first_mismatches.size() > keep) first_mismatches.pop_back();
    }
};

// Compares n elements of kind k laid out contiguously in memory, the first at
// flat index `first_index`, into `tally`.  Runs of identical bytes are
// counted in bulk, so an exact match costs little more than a memcmp.
inline void compare_arrays(Kind k, const void* expected, const void* got, std::size_t n,
                           std::uint64_t first_index, const Rules& rules, Tally& tally)
{
    constexpr std::size_t kBlock = 1024;
    const std::size_t size = size_of(k);
    const auto* e = static_cast<const unsigned char*>(expected);
    const auto* g = static_cast<const unsigned char*>(got);
    for (std::size_t start = 0; start < n; start += kBlock) {
        const std::size_t count = std::min(kBlock, n - start);
        const std::size_t offset = start * size;
        if (std::memcmp(e + offset, g + offset, count * size) == 0) {
            tally.elements += count;
            tally.identical += count;
            tally.histogram[kIdentical] += count;
            continue;
        }
        for (std::size_t i = start; i < start + count; ++i)
            tally.add(first_index + i, classify(k, load(k, e + i * size), load(k, g + i * size), rules));
    }
}

// ---------------------------------------------------------------------------
// Formatting
// ---------------------------------------------------------------------------

// "0x" and the pattern in `digits` hexadecimal digits.
inline std::string hex_bits(std::uint64_t bits, int digits)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%0*llx", digits, static_cast<unsigned long long>(bits));
    return buffer;
}

// The shortest decimal that reads back as v.
template <typename Real>
std::string shortest(Real v)
{
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, r.ptr);
}

// A half's value as a float, exactly; every NaN is shown as "nan" (its
// pattern follows it).
inline float half_value(std::uint16_t bits)
{
    const std::uint32_t sign = static_cast<std::uint32_t>(bits >> 15) << 31;
    const std::uint32_t exponent = (bits >> 10) & 0x1f, fraction = bits & 0x3ffu;
    std::uint32_t u;
    if (exponent == 0x1f) {
        u = fraction != 0 ? 0x7fc00000u : sign | 0x7f800000u;
    } else if (exponent != 0) {
        u = sign | (exponent + 112) << 23 | fraction << 13;
    } else {
        float magnitude = static_cast<float>(fraction) * 0x1p-24f;  // exact: 10 bits times a power of two
        std::memcpy(&u, &magnitude, sizeof u);
        u |= sign;
    }
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

// One element as the command shows it: its value (shortest round-trip
// decimal; bfloat16 and half through float) and its bit pattern,
// "0.5 0x3f000000".
inline std::string format_element(Kind kind, std::uint64_t bits)
{
    const int digits = static_cast<int>(2 * size_of(kind));
    switch (kind) {
    case Kind::f16: return shortest(half_value(static_cast<std::uint16_t>(bits))) + " " + hex_bits(bits, digits);
    case Kind::bf16: {
        const std::uint32_t u = static_cast<std::uint32_t>(bits) << 16;
        float v;
        std::memcpy(&v, &u, sizeof v);
        return shortest(v) + " " + hex_bits(bits, digits);
    }
    case Kind::f32: {
        const auto u = static_cast<std::uint32_t>(bits);
        float v;
        std::memcpy(&v, &u, sizeof v);
        return shortest(v) + " " + hex_bits(bits, digits);
    }
    case Kind::f64: {
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return shortest(v) + " " + hex_bits(bits, digits);
    }
    default: break;
    }
    if (!is_signed_integer(kind)) return std::to_string(bits) + " " + hex_bits(bits, digits);
    const std::uint64_t wide = widen_signed(kind, bits);
    long long value;
    std::memcpy(&value, &wide, sizeof value);
    return std::to_string(value) + " " + hex_bits(bits, digits);
}

// A flat C-order index over `shape` as its multi-dimensional index.
inline std::vector<std::uint64_t> unravel(std::uint64_t flat, const std::vector<std::uint64_t>& shape)
{
    std::vector<std::uint64_t> index(shape.size());
    for (std::size_t d = shape.size(); d-- > 0;) {
        index[d] = shape[d] ? flat % shape[d] : 0;
        flat = shape[d] ? flat / shape[d] : 0;
    }
    return index;
}

// One mismatching element, ready to print; values are "VALUE BITS".
struct Mismatch {
    std::vector<std::uint64_t> index;              // multi-dimensional, C order
    std::vector<std::vector<std::string>> inputs;  // per argument, one value per component
    std::string expected;
    std::string got;
    Outcome outcome;
};

}  // namespace compare

// ---------------------------------------------------------------------------
// The report
// ---------------------------------------------------------------------------

// The outcome of a check and what the report shows: the counts, the worst
// distance with its index, the histogram and the first mismatches.
struct CheckReport {
    std::string function;  // the signature, "erfinvf(float)"
    compare::Kind kind = compare::Kind::f32;  // of the result's elements
    compare::Rules rules;
    compare::Tally tally;
    std::vector<std::uint64_t> worst_index;  // of tally.worst_index
    std::vector<compare::Mismatch> shown;

    bool passed() const { return tally.passed(); }
    explicit operator bool() const { return passed(); }
    std::uint64_t elements() const { return tally.elements; }
    std::uint64_t mismatches() const { return tally.mismatches; }
    std::uint64_t worst() const { return tally.worst; }

    // The report of `hostmath check`, for people ...
    std::string text() const;
    // ... and as JSON, as `hostmath check --json` writes it (one line).
    std::string json() const;

    friend std::ostream& operator<<(std::ostream& out, const CheckReport& r) { return out << r.text(); }
};

namespace compare {
namespace report_detail {

inline std::string index_text(const std::vector<std::uint64_t>& index, const char* separator = ", ")
{
    std::string s = "[";
    for (std::size_t i = 0; i < index.size(); ++i) s += (i ? separator : "") + std::to_string(index[i]);
    return s + "]";
}

// A histogram bin as the report names it: distances in ulp for floating kinds.
inline std::string bin_name(std::size_t bin, Kind kind)
{
    const bool distance = bin >= kFirstDistanceBin && bin < kFirstDistanceBin + kDistanceBins;
    return bin_label(bin) + (distance && is_floating(kind) ? " ulp" : "");
}

inline std::string distance_text(const Outcome& o, Kind kind)
{
    if (o.bin == kNanVsNumber) return "NaN vs number";
    if (o.bin == kOtherBits) return is_floating(kind) ? "0 ulp, other bits" : "0";
    const std::string d = std::to_string(o.distance) + (is_floating(kind) ? " ulp" : "");
    return o.bin == kInfVsFinite ? "inf vs finite, " + d : d;
}

inline std::string nan_rule(const Rules& r) { return r.nan_any ? "any" : "exact"; }

inline std::string json_string(const std::string& s)
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

// "VALUE BITS" as {"value": "VALUE", "bits": "BITS"}.
inline std::string json_value(const std::string& formatted)
{
    const std::size_t space = formatted.rfind(' ');
    return "{\"value\":" + json_string(formatted.substr(0, space)) + ",\"bits\":" +
           json_string(formatted.substr(space + 1)) + "}";
}

inline std::string joined(const std::vector<std::string>& parts, const char* separator)
{
    std::string s;
    for (std::size_t i = 0; i < parts.size(); ++i) s += (i ? separator : "") + parts[i];
    return s;
}

}  // namespace report_detail
}  // namespace compare

inline std::string CheckReport::text() const
{
    using namespace compare;
    using namespace compare::report_detail;
    const Tally& r = tally;
    std::string out = function + ": " + std::to_string(r.elements) + " elements, " + std::to_string(r.identical) +
                      " identical, " + std::to_string(r.mismatches) + " mismatches (max ulp " +
                      std::to_string(rules.max_ulp) + ", nan " + nan_rule(rules) + ")\n";
    if (r.worst > 0)
        out += "worst distance: " + std::to_string(r.worst) + (is_floating(kind) ? " ulp" : "") + " at " +
               index_text(worst_index) + "\n";
    out += "histogram:\n";
    for (std::size_t b = 0; b < kBinCount; ++b) {
        if (r.histogram[b] == 0) continue;
        char line[96];
        std::snprintf(line, sizeof line, "  %-28s %llu\n", bin_name(b, kind).c_str(),
                      static_cast<unsigned long long>(r.histogram[b]));
        out += line;
    }
    if (shown.empty()) return out;
    out += "first " + std::to_string(shown.size()) + " of " + std::to_string(r.mismatches) + " mismatches:\n";
    static const char* const names[] = {"x", "y", "z"};
    for (const Mismatch& m : shown) {
        out += "  " + index_text(m.index) + "  ";
        for (std::size_t k = 0; k < m.inputs.size() && k < 3; ++k) {
            const std::string value = joined(m.inputs[k], ", ");
            out += std::string(names[k]) + " = " + (m.inputs[k].size() > 1 ? "(" + value + ")" : value) + "  ";
        }
        out += "expected " + m.expected + "  got " + m.got + "  (" + distance_text(m.outcome, kind) + ")\n";
    }
    return out;
}

inline std::string CheckReport::json() const
{
    using namespace compare;
    using namespace compare::report_detail;
    const Tally& r = tally;
    std::string out = "{\"function\":" + json_string(function) + ",\"elements\":" + std::to_string(r.elements) +
                      ",\"identical\":" + std::to_string(r.identical) + ",\"mismatches\":" +
                      std::to_string(r.mismatches) + ",\"max_ulp\":" + std::to_string(rules.max_ulp) +
                      ",\"nan\":" + json_string(nan_rule(rules)) + ",\"passed\":" + (r.passed() ? "true" : "false") +
                      ",\"worst_distance\":" + std::to_string(r.worst) + ",\"worst_index\":" +
                      (r.worst > 0 ? index_text(worst_index, ",") : "null") + ",\"histogram\":{";
    bool first = true;
    for (std::size_t b = 0; b < kBinCount; ++b) {
        if (r.histogram[b] == 0) continue;
        out += (first ? "" : ",") + json_string(bin_label(b)) + ":" + std::to_string(r.histogram[b]);
        first = false;
    }
    out += "},\"first_mismatches\":[";
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const Mismatch& m = shown[i];
        out += (i ? ",{" : "{") + std::string("\"index\":") + index_text(m.index, ",") + ",\"inputs\":[";
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

// ---------------------------------------------------------------------------
// check
// ---------------------------------------------------------------------------

struct CheckOptions {
    std::uint64_t max_ulp = 0;         // the largest distance accepted; 0: the same bits
    bool nan_any = false;              // any NaN is accepted where a NaN is expected
    std::size_t show = 10;             // how many mismatches the report lists
    std::string name;                  // the function's name in the report; empty: "function"
    std::vector<std::uint64_t> shape;  // the elements' shape (C order) for the indices; empty: one axis
};

namespace check_detail {

using compare::Kind;
using compare::TypeOf;

template <typename Range>
auto range_data(const Range& r)
{
    using std::data;
    return data(r);
}

template <typename Range>
std::size_t range_size(const Range& r)
{
    using std::size;
    return static_cast<std::size_t>(size(r));
}

template <typename Range>
using ElementOf = std::remove_cv_t<std::remove_pointer_t<decltype(range_data(std::declval<const Range&>()))>>;

// Whether a range of E may hold values of type T: T itself, or the patterns
// of a 16-bit record.
template <typename T, typename E>
constexpr bool holds()
{
    constexpr bool record = std::is_same_v<T, __half> || std::is_same_v<T, __quix_bfloat16>;
    return std::is_same_v<T, E> || (record && std::is_same_v<E, std::uint16_t>);
}

// Element i of a range, as a value of type T.
template <typename T, typename Range>
T element(const Range& r, std::size_t i)
{
    using E = ElementOf<Range>;
    static_assert(holds<T, E>(),
                  "a range's elements must have the function's parameter or result type (or, for half and "
                  "bfloat16, std::uint16_t patterns)");
    if constexpr (std::is_same_v<T, E>) return range_data(r)[i];
    else if constexpr (std::is_same_v<T, __half>) return __half_raw{range_data(r)[i]};
    else return __quix_bfloat16_raw{range_data(r)[i]};
}

// The patterns of a value's components.
template <typename T>
std::array<std::uint64_t, TypeOf<T>::components> patterns(const T& v)
{
    constexpr std::size_t part = compare::size_of(TypeOf<T>::kind);
    std::array<std::uint64_t, TypeOf<T>::components> out{};
    const auto* bytes = reinterpret_cast<const unsigned char*>(&v);
    for (std::size_t c = 0; c < out.size(); ++c) out[c] = compare::load(TypeOf<T>::kind, bytes + c * part);
    return out;
}

template <typename T>
std::vector<std::string> formatted(const T& v)
{
    std::vector<std::string> out;
    for (std::uint64_t bits : patterns(v)) out.push_back(compare::format_element(TypeOf<T>::kind, bits));
    return out;
}

// What a function of hostmath.h checks: its parameters, one result per
// element (sincospi's two outputs as one pair), and how to compute it.
template <typename F>
struct Signature;

template <typename R, typename... A>
struct Signature<R (*)(A...)> {
    using Result = R;
    static constexpr std::size_t inputs = sizeof...(A);
    static constexpr std::size_t outputs = 1;
    using Params = std::tuple<A...>;
    template <typename... X>
    static R call(R (*f)(A...), X... x)
    {
        return f(x...);
    }
};

template <typename T>
struct SinCos {
    T sin;
    T cos;
};

template <typename T>
struct Signature<void (*)(T, T*, T*)> {
    using Result = SinCos<T>;
    static constexpr std::size_t inputs = 1;
    static constexpr std::size_t outputs = 2;
    using Params = std::tuple<T>;
    static Result call(void (*f)(T, T*, T*), T x)
    {
        Result r{};
        f(x, &r.sin, &r.cos);
        return r;
    }
};

template <typename R>
struct ResultType : TypeOf<R> {};
template <typename T>
struct ResultType<SinCos<T>> {
    static constexpr Kind kind = TypeOf<T>::kind;
    static constexpr std::size_t components = 2;
};

template <typename R>
std::array<std::uint64_t, ResultType<R>::components> result_patterns(const R& r)
{
    if constexpr (std::is_same_v<R, SinCos<float>> || std::is_same_v<R, SinCos<double>>) {
        return {patterns(r.sin)[0], patterns(r.cos)[0]};
    } else {
        return patterns(r);
    }
}

template <typename F, typename... Ranges, std::size_t... I, std::size_t... O>
CheckReport run(F function, const std::tuple<const Ranges&...>& ranges, const CheckOptions& options,
                std::index_sequence<I...>, std::index_sequence<O...>)
{
    using S = Signature<F>;
    using R = typename S::Result;
    constexpr std::size_t n_in = S::inputs;
    constexpr Kind kind = ResultType<R>::kind;
    constexpr std::size_t components = ResultType<R>::components;
    const std::size_t n = range_size(std::get<0>(ranges));
    const std::size_t sizes[] = {range_size(std::get<I>(ranges))..., range_size(std::get<n_in + O>(ranges))...};
    for (std::size_t s : sizes)
        if (s != n) throw std::invalid_argument("hostmath::check: the inputs and got differ in length");
    std::uint64_t shape_elements = 1;
    for (std::uint64_t d : options.shape) shape_elements *= d;
    if (!options.shape.empty() && shape_elements != n)
        throw std::invalid_argument("hostmath::check: options.shape does not hold the elements");

    auto expected_at = [&](std::size_t i) {
        return S::call(function, element<std::tuple_element_t<I, typename S::Params>>(std::get<I>(ranges), i)...);
    };
    // The got patterns of element i: one range of R, or sincospi's two of its part type.
    auto got_at = [&](std::size_t i) {
        if constexpr (S::outputs == 1) {
            return patterns(element<R>(std::get<n_in>(ranges), i));
        } else {
            using T = std::tuple_element_t<0, typename S::Params>;
            return std::array<std::uint64_t, 2>{patterns(element<T>(std::get<n_in + O>(ranges), i))[0]...};
        }
    };

    CheckReport report;
    std::string params;
    ((params += (I ? ", " : "") + std::string(TypeOf<std::tuple_element_t<I, typename S::Params>>::name)), ...);
    report.function = (options.name.empty() ? std::string("function") : options.name) + "(" + params + ")";
    report.kind = kind;
    report.rules = {options.max_ulp, options.nan_any};
    report.tally.keep = options.show;
    std::vector<std::uint64_t> expected(n * components), got(n * components);
    for (std::size_t i = 0; i < n; ++i) {
        const auto e = result_patterns(expected_at(i));
        const auto g = got_at(i);
        for (std::size_t c = 0; c < components; ++c) {
            expected[i * components + c] = e[c];
            got[i * components + c] = g[c];
        }
    }
    for (std::size_t i = 0; i < expected.size(); ++i)
        report.tally.add(i, compare::classify(kind, expected[i], got[i], report.rules));

    std::vector<std::uint64_t> shape = options.shape.empty() ? std::vector<std::uint64_t>{n} : options.shape;
    if (components == 2) shape.push_back(2);
    report.worst_index = compare::unravel(report.tally.worst_index, shape);
    for (std::uint64_t flat : report.tally.first_mismatches) {
        const std::size_t i = static_cast<std::size_t>(flat / components);
        compare::Mismatch m;
        m.index = compare::unravel(flat, shape);
        (m.inputs.push_back(formatted(element<std::tuple_element_t<I, typename S::Params>>(std::get<I>(ranges), i))),
         ...);
        m.expected = compare::format_element(kind, expected[flat]);
        m.got = compare::format_element(kind, got[flat]);
        m.outcome = compare::classify(kind, expected[flat], got[flat], report.rules);
        report.shown.push_back(std::move(m));
    }
    return report;
}

template <typename F, typename... Args, std::size_t... K>
CheckReport dispatch(F function, const std::tuple<const Args&...>& args, std::index_sequence<K...>)
{
    using S = Signature<F>;
    constexpr std::size_t ranges = S::inputs + S::outputs;
    constexpr bool with_options = sizeof...(Args) == ranges + 1;
    static_assert(sizeof...(Args) == ranges || with_options,
                  "hostmath::check(function, inputs..., got[, options]): one range per parameter and per result "
                  "(sincospi: sines and cosines)");
    CheckOptions options;
    if constexpr (with_options) {
        static_assert(std::is_same_v<std::decay_t<std::tuple_element_t<ranges, std::tuple<Args...>>>, CheckOptions>,
                      "the last argument of hostmath::check after the ranges is a CheckOptions");
        options = std::get<ranges>(args);
    }
    return run(function, std::tuple<const std::tuple_element_t<K, std::tuple<Args...>>&...>(std::get<K>(args)...),
               options, std::make_index_sequence<S::inputs>{}, std::make_index_sequence<S::outputs>{});
}

}  // namespace check_detail

// Checks got against function(inputs...), element by element (see the top of
// this file).  Throws std::invalid_argument when the ranges differ in length.
template <typename R, typename... A, typename... Args>
CheckReport check(R (*function)(A...), const Args&... args)
{
    using S = check_detail::Signature<R (*)(A...)>;
    return check_detail::dispatch(function, std::tuple<const Args&...>(args...),
                                  std::make_index_sequence<S::inputs + S::outputs>{});
}

}  // namespace hostmath

#endif  // HOSTMATH_CHECK_H
