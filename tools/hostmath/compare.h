// Comparing a device's results with the host reference, element by element.
//
// Elements are raw bit patterns (held in the low bits of a 64-bit word) with a
// kind that says how to read them.  For the floating kinds the distance is the
// number of representable values between expected and got, counted along the
// sign-magnitude order of the patterns, so -0 and +0 are 0 apart; for the
// integer kinds it is the absolute difference.  A Report accumulates the
// outcome of many comparisons (one chunk, one thread) and merges with others.
//
// Self-contained, C++17 and the standard library only: the command and the
// Python module share this file.
#ifndef HOSTMATH_COMPARE_H
#define HOSTMATH_COMPARE_H

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace hostmath_compare {

enum class Kind { f16, bf16, f32, f64, i8, i16, i32, i64, u8, u16, u32, u64 };

// Bytes per element.
inline std::size_t size_of(Kind k)
{
    switch (k) {
    case Kind::i8: case Kind::u8: return 1;
    case Kind::f16: case Kind::bf16: case Kind::i16: case Kind::u16: return 2;
    case Kind::f32: case Kind::i32: case Kind::u32: return 4;
    default: return 8;
    }
}

inline bool is_floating(Kind k) { return k == Kind::f16 || k == Kind::bf16 || k == Kind::f32 || k == Kind::f64; }
inline bool is_signed_integer(Kind k) { return k == Kind::i8 || k == Kind::i16 || k == Kind::i32 || k == Kind::i64; }

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
// (The integer pair INT64_MIN, INT64_MAX is that far apart too; compare()
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
inline Outcome compare(Kind k, std::uint64_t expected, std::uint64_t got, const Rules& rules)
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
// Accumulated report
// ---------------------------------------------------------------------------

struct Report {
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

    // Folds in a report of other elements (another chunk or thread).
    void merge(const Report& other)
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
// flat index `first_index`, into `report`.  Runs of identical bytes are
// counted in bulk, so an exact match costs little more than a memcmp.
inline void compare_arrays(Kind k, const void* expected, const void* got, std::size_t n,
                           std::uint64_t first_index, const Rules& rules, Report& report)
{
    constexpr std::size_t kBlock = 1024;
    const std::size_t size = size_of(k);
    const auto* e = static_cast<const unsigned char*>(expected);
    const auto* g = static_cast<const unsigned char*>(got);
    for (std::size_t start = 0; start < n; start += kBlock) {
        const std::size_t count = std::min(kBlock, n - start);
        const std::size_t offset = start * size;
        if (std::memcmp(e + offset, g + offset, count * size) == 0) {
            report.elements += count;
            report.identical += count;
            report.histogram[kIdentical] += count;
            continue;
        }
        for (std::size_t i = start; i < start + count; ++i)
            report.add(first_index + i, compare(k, load(k, e + i * size), load(k, g + i * size), rules));
    }
}

}  // namespace hostmath_compare

#endif
