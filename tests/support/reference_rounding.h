// An independent statement of rounding to a small binary floating format,
// written from the value: the exact value is scaled so that one unit of the
// target's last place is 1, split into integer and fraction, and rounded in the
// named direction.  It knows nothing of the library's bit tricks; the sweeps
// compare the library against it.
#ifndef HOSTMATH_TEST_REFERENCE_ROUNDING_H
#define HOSTMATH_TEST_REFERENCE_ROUNDING_H

#include <cmath>
#include <cstdint>

namespace reference {

enum class Direction { nearest, toward_zero, down, up };
constexpr Direction kDirections[] = {Direction::nearest, Direction::toward_zero, Direction::down,
                                     Direction::up};

// A conversion from float under test, with the direction it rounds in.
template <typename Record>
struct DirectedConversion {
    const char* name;
    Record (*fn)(float);
    Direction direction;
};

struct Format {
    int precision;      // significand bits, the leading one included
    int min_exponent;   // exponent of the smallest normal number
    int max_exponent;   // exponent of the largest finite binade
    std::uint16_t nan;  // the one NaN pattern the conversions produce
};

constexpr Format kBfloat16{8, -126, 127, 0x7fff};
constexpr Format kHalf{11, -14, 15, 0x7fff};

// The value split at the target's last place: value = (integer + fraction) * 2^scale,
// with 0 <= fraction < 1.  Computing it once serves all four directions.
template <typename Real>
struct Split {
    bool negative;
    bool special;  // NaN, infinity or zero: the pattern is already known
    std::uint16_t special_pattern;
    Real integer;
    Real fraction;
    int exponent;  // exponent of the binade the integer is counted in
};

// Real must hold the value exactly: double for float inputs, long double for
// 64-bit integers (whose significand needs up to 64 bits).
template <typename Real>
Split<Real> split(Real value, const Format& f)
{
    Split<Real> s{};
    s.negative = std::signbit(value);
    const std::uint16_t sign = s.negative ? 0x8000 : 0;
    const int fraction_bits = f.precision - 1;
    const int exponent_shift = fraction_bits;
    if (std::isnan(value)) {
        s.special = true;
        s.special_pattern = f.nan;
        return s;
    }
    const Real magnitude = std::fabs(value);
    if (std::isinf(magnitude)) {
        s.special = true;
        s.special_pattern = static_cast<std::uint16_t>(sign | (((1u << (15 - fraction_bits)) - 1) << exponent_shift));
        return s;
    }
    if (magnitude == 0) {
        s.special = true;
        s.special_pattern = sign;
        return s;
    }
    int e2 = 0;
    std::frexp(magnitude, &e2);  // magnitude = m * 2^e2, 0.5 <= m < 1
    s.exponent = e2 - 1 < f.min_exponent ? f.min_exponent : e2 - 1;
    const Real scaled = std::ldexp(magnitude, fraction_bits - s.exponent);  // exact, below 2^precision
    s.integer = static_cast<Real>(static_cast<std::uint32_t>(scaled));  // floor of a small positive value
    s.fraction = scaled - s.integer;
    return s;
}

template <typename Real>
std::uint16_t round_split(const Split<Real>& s, const Format& f, Direction d)
{
    if (s.special) return s.special_pattern;
    const std::uint16_t sign = s.negative ? 0x8000 : 0;
    const int fraction_bits = f.precision - 1;
    const Real one_ulp_up = s.integer + 1;
    bool up = false;
    switch (d) {
    case Direction::nearest:
        up = s.fraction > Real(0.5) ||
             (s.fraction == Real(0.5) && (static_cast<std::uint32_t>(s.integer) & 1) != 0);
        break;
    case Direction::toward_zero: up = false; break;
    case Direction::down: up = s.negative && s.fraction > 0; break;
    case Direction::up: up = !s.negative && s.fraction > 0; break;
    }
    Real n = up ? one_ulp_up : s.integer;
    int exponent = s.exponent;
    const Real significand_limit = static_cast<Real>(1u << f.precision);
    if (n == significand_limit) {  // rounded up into the next binade
        n /= 2;
        exponent += 1;
    }
    const std::uint16_t max_biased = static_cast<std::uint16_t>((1u << (15 - fraction_bits)) - 1);
    if (exponent > f.max_exponent) {
        // Beyond the largest finite value: infinity when the direction leads
        // away from zero, else the largest finite value of that sign.
        const bool to_infinity = d == Direction::nearest || (d == Direction::up && !s.negative) ||
                                 (d == Direction::down && s.negative);
        const std::uint16_t inf = static_cast<std::uint16_t>(max_biased << fraction_bits);
        return static_cast<std::uint16_t>(sign | (to_infinity ? inf : inf - 1));
    }
    const Real hidden = static_cast<Real>(1u << fraction_bits);
    if (n < hidden)  // subnormal, or zero: exponent field 0
        return static_cast<std::uint16_t>(sign | static_cast<std::uint16_t>(n));
    const int bias = (1 << (14 - fraction_bits)) - 1;
    const std::uint16_t biased = static_cast<std::uint16_t>(exponent + bias);
    return static_cast<std::uint16_t>(sign | (biased << fraction_bits) |
                                      static_cast<std::uint16_t>(n - hidden));
}

template <typename Real>
std::uint16_t round_to_format(Real value, const Format& f, Direction d)
{
    return round_split(split(value, f), f, d);
}

}  // namespace reference

#endif
