// The accurate paths of the binary64 sine and cosine (sin.h, cos.h): correctly
// rounded for every double, in integer arithmetic.
//
// Special arguments first: NaN comes back quieted (x + x keeps the payload),
// an infinity gives the positive quiet NaN, |x| < 2^-27 gives x (sine) or 1
// (cosine), as the fast path argues (trig_reduce.h).
//
// Reduction, for every finite x = m 2^e (m < 2^53): x 2N/pi = m 2^(e+8) 2/pi,
// with N = 256.  The bits of 2/pi of weight 2^-i with i <= e - 2 only add
// multiples of 4N, a whole turn, so they are skipped: a window of W = 320 bits
// of 2/pi from bit max(1, e - 1) on, times m, is the reduced argument in fixed
// point, the integer part k mod 4N above the binary point and the fraction
// below.  The bits left out of the window weigh less than 2^-257 in the
// fraction F = t - round(t); tools/core-tables/trig_tables.py --closest shows
// that no finite double has |F| < 2^-61.5 (the nearest a double comes to a
// multiple of pi/(2N)), so F is known to 2^-195 relative.  Below 2^-9 the
// argument is its own reduction (k = 0, r = x).
//
// Numbers are 192-bit: "floating" ones as a normalised 192-bit mantissa w and
// an exponent ex (value w 2^(ex-192)), fixed-point ones as a 192-bit integer
// in units of 2^-192.  r = F pi/(2N) (|r| <= pi/(4N) < 2^-8.35) is floating, to
// 2^-189 relative.  With z = r^2 in fixed point, the series
//     1 - sin(r)/r = z/3! - z^2/5! + ... - z^7/15!   (truncation 2^-181.9)
//     1 - cos(r)   = z/2! - z^2/4! + ... - z^7/14!   (truncation 2^-177.8)
// are summed by Horner's rule on positive terms, each product truncated (one
// unit of 2^-192).  With a = j pi/(2N), j = k mod N, and the quadrant k / N:
//     j = 0:  +-sin r (floating, so tiny r keep their precision) or +-cos r;
//     j > 0:  sin(a + r) = S_j - S_j (1 - cos r) + C_j sin r, or
//             cos(a + r) = C_j - C_j (1 - cos r) - S_j sin r,
// from the fixed-point table S_j = sin(j pi/(2N)), C_j = S_(N-j); both results
// are then above sin(pi/(4N)) > 2^-8.4, and every term is known to a few units
// of 2^-192, the truncation of the cosine's series (2^-177.8) the largest: the
// result is thus within 2^-169 of the exact value, relatively,
// in every case, and is rounded to nearest from its 192 bits: a wrong rounding
// would need the exact value within 2^-169 relative of a double or of a
// midpoint between two, 115 identical bits after the rounding bit.  The
// hardest cases known (tests/data/hard-cases, arguments of every magnitude)
// come to 2^-73 half-ulps of one for the sine (0x1.e0000000001c2p-20) and
// 2^-89 for the cosine (0x1.8000000000009p-23, where cos is nearly 1 - x^2/2).
// That no other double comes within 2^-115 is not proven, but a failure would
// need a coincidence of probability about 2^-115 per argument.
#include "math/sin.h"
#include "math/cos.h"

#include "base/bits.h"
#include "math/trig_data.h"

#include <cstdint>

namespace hostmath {
namespace core {
namespace trig {
namespace {

__extension__ typedef unsigned __int128 U128;

constexpr int kLogN = trig_data::kLogN;
constexpr std::uint64_t kN = trig_data::kN;

// A 192-bit unsigned integer, least significant word first.
struct U192 {
    std::uint64_t w[3];
};

// A table entry (most significant word first) as a U192.
U192 from_table(const std::uint64_t (&t)[3]) { return U192{{t[2], t[1], t[0]}}; }

U192 add(const U192& a, const U192& b)
{
    U192 r;
    U128 carry = 0;
    for (int i = 0; i < 3; ++i) {
        carry += static_cast<U128>(a.w[i]) + b.w[i];
        r.w[i] = static_cast<std::uint64_t>(carry);
        carry >>= 64;
    }
    return r;
}

// a - b modulo 2^192.
U192 sub(const U192& a, const U192& b)
{
    U192 r;
    std::uint64_t borrow = 0;
    for (int i = 0; i < 3; ++i) {
        const U128 d = static_cast<U128>(a.w[i]) - b.w[i] - borrow;
        r.w[i] = static_cast<std::uint64_t>(d);
        borrow = static_cast<std::uint64_t>(d >> 64) & 1;
    }
    return r;
}

// floor(a b / 2^192): the fixed-point product, or the top of a floating one.
U192 mul(const U192& a, const U192& b)
{
    std::uint64_t p[6] = {0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        U128 carry = 0;
        for (int j = 0; j < 3; ++j) {
            const U128 t = static_cast<U128>(a.w[i]) * b.w[j] + p[i + j] + carry;
            p[i + j] = static_cast<std::uint64_t>(t);
            carry = t >> 64;
        }
        p[i + 3] = static_cast<std::uint64_t>(carry);
    }
    return U192{{p[3], p[4], p[5]}};
}

// a / 2^n, truncated, for any n >= 0.
U192 shift_right(const U192& a, int n)
{
    if (n >= 192) return U192{{0, 0, 0}};
    const int words = n / 64, bits = n % 64;
    U192 r{{0, 0, 0}};
    for (int i = 0; i + words < 3; ++i) {
        std::uint64_t v = a.w[i + words] >> bits;
        if (bits != 0 && i + words + 1 < 3) v |= a.w[i + words + 1] << (64 - bits);
        r.w[i] = v;
    }
    return r;
}

int leading_zeros(const U192& a)
{
    for (int i = 2; i >= 0; --i)
        if (a.w[i] != 0) return (2 - i) * 64 + __builtin_clzll(a.w[i]);
    return 192;
}

// a 2^n modulo 2^192, for 0 <= n < 64.
U192 shift_left_small(const U192& a, int n)
{
    if (n == 0) return a;
    return U192{{a.w[0] << n, (a.w[1] << n) | (a.w[0] >> (64 - n)), (a.w[2] << n) | (a.w[1] >> (64 - n))}};
}

// A positive number w 2^(ex-192), w normalised (top bit set) where it is a
// result.
struct Floating {
    U192 w;
    int ex;
};

// A nonzero value normalised: the shift that sets the top bit.
Floating normalised(const U192& w, int ex)
{
    const int z = leading_zeros(w);
    U192 r = w;
    int left = z;
    while (left >= 64) {
        r = U192{{0, r.w[0], r.w[1]}};
        left -= 64;
    }
    return Floating{shift_left_small(r, left), ex - z};
}

// The reduced argument: k mod 4N, |r| as a floating number, and r's sign.
struct Reduced {
    std::uint64_t k;
    Floating r;
    bool negative;
};

constexpr int kWindowBits = 320;  // five words of 2/pi
constexpr int kWindowWords = kWindowBits / 64;

Reduced reduce(std::uint64_t magnitude_bits)
{
    const int biased = static_cast<int>(magnitude_bits >> 52);  // >= 1: no subnormal reaches here
    const std::uint64_t m = (magnitude_bits & 0xfffffffffffffull) | (std::uint64_t{1} << 52);
    const int e = biased - 1075;  // x = m 2^e
    if (e < -61) {
        // |x| < 2^-9 < pi/(4N): r = x, exactly.
        return Reduced{0, Floating{U192{{0, 0, m << 11}}, e + 53}, false};
    }
    // The window of 2/pi: bits i0 .. i0 + W - 1, as a W-bit integer.
    const int i0 = e - 1 > 1 ? e - 1 : 1;
    const int offset = i0 - 1, first = offset / 64, bits = offset % 64;
    std::uint64_t window[kWindowWords];  // least significant word first
    for (int k = 0; k < kWindowWords; ++k) {
        const int at = first + (kWindowWords - 1 - k);
        std::uint64_t v = trig_data::kTwoOverPiBits[at] << bits;
        if (bits != 0) v |= trig_data::kTwoOverPiBits[at + 1] >> (64 - bits);
        window[k] = v;
    }
    // P = m * window, six words; t = P / 2^s.
    std::uint64_t p[kWindowWords + 1];
    U128 carry = 0;
    for (int k = 0; k < kWindowWords; ++k) {
        carry += static_cast<U128>(m) * window[k];
        p[k] = static_cast<std::uint64_t>(carry);
        carry >>= 64;
    }
    p[kWindowWords] = static_cast<std::uint64_t>(carry);
    const int s = i0 + kWindowBits - 1 - e - kLogN;  // 310 .. 373
    auto bit = [&](int at) -> std::uint64_t { return at < 64 * (kWindowWords + 1) ? (p[at / 64] >> (at % 64)) & 1 : 0; };
    std::uint64_t k = 0;
    for (int b = kLogN + 1; b >= 0; --b) k = (k << 1) | bit(s + b);
    // The fraction P mod 2^s, or 2^s minus it when t rounds up.
    const bool up = bit(s - 1) != 0;
    std::uint64_t frac[kWindowWords + 1];
    for (int w = 0; w <= kWindowWords; ++w) {
        const int low = 64 * w;
        frac[w] = low >= s ? 0 : (s - low >= 64 ? p[w] : p[w] & ((std::uint64_t{1} << (s - low)) - 1));
    }
    if (up) {
        k = (k + 1) & (4 * kN - 1);
        std::uint64_t borrow = 0;  // 2^s - frac = (~frac + 1) masked to s bits
        for (int w = 0; w <= kWindowWords; ++w) {
            const U128 d = static_cast<U128>(0) - frac[w] - borrow;
            frac[w] = static_cast<std::uint64_t>(d);
            borrow = static_cast<std::uint64_t>(d >> 64) & 1;
        }
        for (int w = 0; w <= kWindowWords; ++w) {
            const int low = 64 * w;
            if (low >= s) frac[w] = 0;
            else if (s - low < 64) frac[w] &= (std::uint64_t{1} << (s - low)) - 1;
        }
    }
    // Its top 192 bits: |F| = mantissa 2^(length - s - 192).
    int length = 0;
    for (int w = kWindowWords; w >= 0; --w)
        if (frac[w] != 0) {
            length = 64 * w + 64 - __builtin_clzll(frac[w]);
            break;
        }
    U192 mantissa{{0, 0, 0}};
    const int drop = length - 192;  // >= 240 - 192 by the closest approach
    for (int i = 0; i < 3; ++i) {
        const int at = drop + 64 * i;  // bit position of word i's lowest bit
        const int word = at / 64, shift = at % 64;
        std::uint64_t v = word <= kWindowWords ? frac[word] >> shift : 0;
        if (shift != 0 && word + 1 <= kWindowWords) v |= frac[word + 1] << (64 - shift);
        mantissa.w[i] = v;
    }
    // r = F pi/(2N), with pi/(2N) = kPiOverTwoNFixed 2^-199.
    const U192 product = mul(mantissa, from_table(trig_data::kPiOverTwoNFixed));
    return Reduced{k, normalised(product, length - s - 7), up};
}

// sum over n = 1 .. 7 of (-1)^(n+1) z^n c_n, by Horner's rule on positive
// terms (c_n > z c_(n+1)).
U192 series(const U192& z, const std::uint64_t (&c)[trig_data::kSeriesTerms][3])
{
    U192 acc = from_table(c[trig_data::kSeriesTerms - 1]);
    for (int n = trig_data::kSeriesTerms - 2; n >= 0; --n) acc = sub(from_table(c[n]), mul(z, acc));
    return mul(z, acc);
}

// The nearest double to a floating number, with the sign given.
double rounded(const Floating& f, bool negative)
{
    // The 53 leading bits, one more when the 139 below them are at least half
    // an ulp (bit 138); no tie occurs (the sine of a nonzero double is
    // irrational), and how close to one a result may be is discussed above.
    const std::uint64_t top = f.w.w[2] >> 11;
    const bool up = (f.w.w[2] & 0x400) != 0;
    const std::uint64_t biased = static_cast<std::uint64_t>(f.ex - 1 + 1023);
    const std::uint64_t bits = ((biased - 1) << 52) + top + (up ? 1 : 0);
    return detail::double_from_bits(bits | (negative ? detail::Format<double>::kSign : 0));
}

// sin(|x|) (kCosine false) or cos(|x|) for 2^-27 <= |x| < infinity, negated
// when negate.
double evaluate(std::uint64_t magnitude_bits, bool cosine, bool negate)
{
    const Reduced red = reduce(magnitude_bits);
    const std::uint64_t quadrant = ((red.k >> kLogN) + (cosine ? 1 : 0)) & 3;
    const std::uint64_t j = red.k & (kN - 1);
    const bool negative = negate != (quadrant >= 2);
    const U192 r = shift_right(red.r.w, -red.r.ex);  // fixed point; ex <= -8
    const U192 z = mul(r, r);
    const U192 one_minus_cos = series(z, trig_data::kCosSeries);
    if (j == 0) {
        if ((quadrant & 1) == 0) {
            // +-sin r, floating: w (1 - (1 - sin(r)/r)).
            const U192 s = sub(red.r.w, mul(red.r.w, series(z, trig_data::kSinSeries)));
            return rounded(normalised(s, red.r.ex), negative != red.negative);
        }
        // +-cos r: 1 - (1 - cos r), which rounds to 1 when that is below 2^-192.
        if (leading_zeros(one_minus_cos) == 192) return negative ? -1.0 : 1.0;
        return rounded(normalised(sub(U192{{0, 0, 0}}, one_minus_cos), 0), negative);
    }
    const U192 sin_r = sub(r, mul(r, series(z, trig_data::kSinSeries)));
    const U192 s = from_table(trig_data::kSinFixed[j]), c = from_table(trig_data::kSinFixed[kN - j]);
    U192 y;
    if ((quadrant & 1) == 0) {
        y = sub(s, mul(s, one_minus_cos));
        y = red.negative ? sub(y, mul(c, sin_r)) : add(y, mul(c, sin_r));
    } else {
        y = sub(c, mul(c, one_minus_cos));
        y = red.negative ? add(y, mul(s, sin_r)) : sub(y, mul(s, sin_r));
    }
    return rounded(normalised(y, 0), negative);
}

}  // namespace

__attribute__((noinline, cold)) double sin_accurate(double x)
{
    using F = detail::Format<double>;
    const std::uint64_t bx = detail::bits_of(x), ax = bx & F::kMagnitude;
    if (ax >= F::kInfinity) return ax == F::kInfinity ? detail::quiet_nan_of<double>() : x + x;
    if (ax < kTinyBits) return x;
    return evaluate(ax, false, (bx & F::kSign) != 0);
}

__attribute__((noinline, cold)) double cos_accurate(double x)
{
    using F = detail::Format<double>;
    const std::uint64_t bx = detail::bits_of(x), ax = bx & F::kMagnitude;
    if (ax >= F::kInfinity) return ax == F::kInfinity ? detail::quiet_nan_of<double>() : x + x;
    if (ax < kTinyBits) return 1.0;
    return evaluate(ax, true, false);
}

}  // namespace trig
}  // namespace core
}  // namespace hostmath
