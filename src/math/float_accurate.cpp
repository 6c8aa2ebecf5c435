// The accurate paths of logf, expf, sinf, cosf and cbrtf (float_core.h): the
// special arguments first, then an evaluation in double-double (cbrtf: an
// exact decision in integers), rounded to float with a rounding test of its
// own.  Compiled once, for the baseline: exact products by Dekker's method,
// no fused multiply-add and no call into the C library's mathematics.
#include "math/cbrtf.h"
#include "math/expf.h"
#include "math/float_core.h"
#include "math/float_data.h"

#include <cstdint>

namespace hostmath {
namespace core {
namespace float_detail {

namespace {

using float_data::DoubleDouble;
using Scalar = detail::Lanes<1, false>;

constexpr std::uint32_t kFloatQuietNan = 0x7fc00000u;

// ---------------------------------------------------------------------------
// Double-double arithmetic: hi + lo with |lo| <= ulp(hi)/2 after each
// operation; each of these is off by at most about 2^-104 relative.
// ---------------------------------------------------------------------------

DoubleDouble dd_normalize(double hi, double lo)
{
    double e;
    const double s = detail::fast_two_sum(hi, lo, e);
    return {s, e};
}

DoubleDouble dd_add(DoubleDouble a, DoubleDouble b)
{
    double e;
    const double s = detail::two_sum(a.hi, b.hi, e);
    return dd_normalize(s, e + (a.lo + b.lo));
}

DoubleDouble dd_mul(DoubleDouble a, DoubleDouble b)
{
    double e;
    const double p = detail::two_prod<Scalar>(a.hi, b.hi, e);
    return dd_normalize(p, e + (a.hi * b.lo + a.lo * b.hi));
}

DoubleDouble dd_mul(DoubleDouble a, double b)
{
    double e;
    const double p = detail::two_prod<Scalar>(a.hi, b, e);
    return dd_normalize(p, e + a.lo * b);
}

// sum c[n] t^n, by Horner's scheme in double-double.
template <std::size_t kCount>
DoubleDouble dd_horner(const DoubleDouble (&c)[kCount], DoubleDouble t)
{
    DoubleDouble acc = c[kCount - 1];
    for (std::size_t n = kCount - 1; n-- > 0;) acc = dd_add(dd_mul(acc, t), c[n]);
    return acc;
}

// 2^e for e in [-1022, 1023].
double power_of_two(int e) { return double_from_bits(static_cast<std::uint64_t>(e + 1023) << 52); }

// h + l (|l| <= ulp(h)/2, h finite) rounded to nearest float.  certain is
// false when a rounding boundary lies within err (absolute) of h + l.  The
// boundaries around f = float(h) are the midpoints with its two neighbours (the
// one above the largest float is 2^128, for overflow); h lies between them, and
// its distance to each is exact in double (at most 30 significant bits).
float round_dd_checked(double h, double l, double err, bool& certain)
{
    const bool negative = h < 0;
    if (negative) {
        h = -h;
        l = -l;
    }
    std::uint32_t fb = bits_of(static_cast<float>(h));
    if (fb == 0x7f800000u) fb = 0x7f7fffffu;  // past the largest float: decided below
    const double f = float_from_bits(fb);
    const double up = fb == 0x7f7fffffu ? 0x1p128 : static_cast<double>(float_from_bits(fb + 1));
    const double down = fb == 0 ? -static_cast<double>(float_from_bits(1)) : static_cast<double>(float_from_bits(fb - 1));
    const double to_up = (((f + up) * 0.5) - h) - l;      // > 0: below the upper midpoint
    const double to_down = (h - ((f + down) * 0.5)) + l;  // > 0: above the lower midpoint
    certain = (to_up > err || to_up < -err) && (to_down > err || to_down < -err);
    float result = static_cast<float>(f);
    if (to_up < 0) result = static_cast<float>(up);  // 2^128 becomes infinity
    else if (to_down < 0) result = static_cast<float>(down);
    return negative ? -result : result;
}

// ---------------------------------------------------------------------------
// expf
// ---------------------------------------------------------------------------

float expf_checked(float x, bool& certain)
{
    using namespace float_data;
    certain = true;
    const std::uint32_t u = bits_of(x);
    if ((u & 0x7fffffffu) > 0x7f800000u) return x + x;  // NaN, quieted, payload kept
    if ((u & 0x7fffffffu) > kExpLimit) return (u >> 31) != 0 ? 0.0f : detail::infinity_of<float>();
    const double xd = x;
    const double shifted = xd * kExpInvStep + kShifter;
    const double k = shifted - kShifter;
    const std::uint64_t kbits = bits_of(shifted);
    // x - k ln2/64 in double-double: k kExpStep1 and k kExpStep2 exact.
    const double r1 = xd - k * kExpStep1;
    double e;
    const double rh = detail::two_sum(r1, -(k * kExpStep2), e);
    const DoubleDouble r = dd_normalize(rh, e - k * kExpStep3);
    const DoubleDouble p = dd_mul(dd_horner(kExpTaylor, r), kExpTable[kbits & 63]);
    // 2^q, q = (k - j)/64 in [-217, 217].
    const int q = (static_cast<int>(k) - static_cast<int>(kbits & 63)) / 64;
    const double scale = power_of_two(q);
    return round_dd_checked(p.hi * scale, p.lo * scale, 0x1p-95 * (p.hi * scale), certain);
}

// ---------------------------------------------------------------------------
// logf
// ---------------------------------------------------------------------------

float logf_checked(float x, bool& certain)
{
    using namespace float_data;
    certain = true;
    const std::uint32_t u = bits_of(x);
    if ((u & 0x7fffffffu) > 0x7f800000u) return x + x;
    if ((u & 0x7fffffffu) == 0) return -detail::infinity_of<float>();
    if ((u >> 31) != 0) return float_from_bits(kFloatQuietNan);
    if (u == 0x7f800000u) return x;
    const std::uint64_t ux = bits_of(static_cast<double>(x));
    const std::uint64_t offset = ux - kLogOffset;
    const std::uint64_t index = (offset >> 45) & 127;
    const int exponent = static_cast<int>((offset >> 52) ^ 0x800) - 2048;
    const double m = double_from_bits(ux - (offset & 0xfff0000000000000ull));
    const double r = m * kLogInvC[index] - 1.0;  // exact
    // log1p(r) = r sum_{n>=1} (-1)^(n+1) r^(n-1)/n.
    DoubleDouble acc = kLogTaylor[14];
    for (std::size_t n = 14; n-- > 1;) acc = dd_add(dd_mul(acc, r), kLogTaylor[n]);
    const DoubleDouble log1p = dd_mul(acc, r);
    const DoubleDouble e_ln2 = dd_mul(DoubleDouble{kLn2, kLn2Lo2}, static_cast<double>(exponent));
    const DoubleDouble v = dd_add(dd_add(e_ln2, kLogMinusLogC[index]), log1p);
    return round_dd_checked(v.hi, v.lo, 0x1p-95 * abs_of(v.hi), certain);
}

// ---------------------------------------------------------------------------
// sinf, cosf
// ---------------------------------------------------------------------------

// |x| 128/pi = 256 n + j + f for a finite nonzero |x|, with j = N mod 256 in
// [0, 256) and f in [-1/2, 1/2] as a double-double, exactly up to 2^-127:
// |x| = M 2^E, |x| 128/pi = M 2^(E + 6) (2/pi).  Bits of 2/pi at and above
// weight 2^-(E + 6 - 7) give multiples of 256 and are left out; the next 192
// bits, W, give M W 2^-sh with sh >= 184, whose bits at and above sh hold j and
// the 128 below them f.  The bits of 2/pi past the window add less than 2^-160.
struct Reduced {
    unsigned j;
    DoubleDouble f;
};

Reduced reduce_128_over_pi(std::uint32_t magnitude)
{
    const std::uint32_t field = magnitude >> 23;
    const std::uint64_t significand = (magnitude & 0x7fffffu) | (field != 0 ? 0x800000u : 0u);
    const int e6 = (field != 0 ? static_cast<int>(field) : 1) - 150 + 6;
    const int first = e6 - 7 > 1 ? e6 - 7 : 1;  // the first bit of 2/pi used, counted from 1
    const int sh = first + 191 - e6;
    // The window: bits first .. first + 191 of 2/pi.
    const int word = (first - 1) / 64, shift = (first - 1) % 64;
    std::uint64_t window[3];
    for (int k = 0; k < 3; ++k) {
        const std::uint64_t a = float_data::kTwoOverPiBits[word + k];
        const std::uint64_t b = float_data::kTwoOverPiBits[word + k + 1];
        window[k] = shift == 0 ? a : (a << shift) | (b >> (64 - shift));
    }
    // The product, 4 words, least significant first.
    using U128 = unsigned __int128;
    std::uint64_t product[4];
    U128 t = static_cast<U128>(significand) * window[2];
    product[0] = static_cast<std::uint64_t>(t);
    t = static_cast<U128>(significand) * window[1] + (t >> 64);
    product[1] = static_cast<std::uint64_t>(t);
    t = static_cast<U128>(significand) * window[0] + (t >> 64);
    product[2] = static_cast<std::uint64_t>(t);
    product[3] = static_cast<std::uint64_t>(t >> 64);
    // The 64 bits of the product from bit position pos up (pos >= 0).
    auto bits_from = [&product](int pos) -> std::uint64_t {
        const int w = pos / 64, s = pos % 64;
        const std::uint64_t low = w < 4 ? product[w] : 0;
        const std::uint64_t high = w + 1 < 4 ? product[w + 1] : 0;
        return s == 0 ? low : (low >> s) | (high << (64 - s));
    };
    unsigned j = static_cast<unsigned>(bits_from(sh) & 255);
    U128 fraction = (static_cast<U128>(bits_from(sh - 64)) << 64) | bits_from(sh - 128);
    bool negative = false;
    if ((fraction >> 127) != 0) {  // round to the nearest j
        j = (j + 1) & 255;
        fraction = 0 - fraction;
        negative = true;
    }
    if (fraction == 0) return {j, {0.0, 0.0}};
    const std::uint64_t top = static_cast<std::uint64_t>(fraction >> 64);
    const int lead = top != 0 ? __builtin_clzll(top) : 64 + __builtin_clzll(static_cast<std::uint64_t>(fraction));
    fraction <<= lead;
    const double hi = static_cast<double>(static_cast<std::uint64_t>(fraction >> 75));
    const double lo = static_cast<double>(static_cast<std::uint64_t>(fraction >> 22) & 0x1fffffffffffffull);
    const double scale = power_of_two(-53 - lead);
    DoubleDouble f = dd_normalize(hi * scale, lo * scale * 0x1p-53);
    if (negative) f = {-f.hi, -f.lo};
    return {j, f};
}

// sin(|x|) (kCosine false) or cos(x), for a finite x.
template <bool kCosine>
float sincosf_checked(float x, bool& certain)
{
    using namespace float_data;
    certain = true;
    const std::uint32_t u = bits_of(x);
    const std::uint32_t magnitude = u & 0x7fffffffu;
    if (magnitude > 0x7f800000u) return x + x;
    if (magnitude == 0x7f800000u) return float_from_bits(kFloatQuietNan);
    // Below 2^-12, sin x = x and cos x = 1 after rounding: |x|^2/6 and |x|^2/2
    // are below half an ulp of x and of 1 (the gap below 1 being 2^-24).
    if (magnitude < 0x39800000u) return kCosine ? 1.0f : x;
    const Reduced reduced = reduce_128_over_pi(magnitude);
    const DoubleDouble t = dd_mul(reduced.f, kPiOver128[0]);
    const DoubleDouble t2 = dd_mul(t, t);
    const DoubleDouble sin_t = dd_mul(dd_horner(kSinTaylor, t2), t);
    const DoubleDouble cos_t = dd_horner(kCosTaylor, t2);
    const unsigned step = reduced.j & 63;
    const DoubleDouble s = kSinStep[step], c = kCosStep[step];
    // sin and cos of step pi/128 + t.
    const DoubleDouble sin_a = dd_add(dd_mul(s, cos_t), dd_mul(c, sin_t));
    const DoubleDouble cos_a = dd_add(dd_mul(c, cos_t), dd_mul(DoubleDouble{-s.hi, -s.lo}, sin_t));
    // The quadrant: sin of q pi/2 + a is sin a, cos a, -sin a, -cos a; cos is
    // one quadrant further.
    const unsigned quadrant = (reduced.j >> 6) + (kCosine ? 1 : 0);
    DoubleDouble v = (quadrant & 1) != 0 ? cos_a : sin_a;
    bool negative = (quadrant & 2) != 0;
    if (!kCosine && (u >> 31) != 0) negative = !negative;  // sin is odd, cos even
    if (negative) v = {-v.hi, -v.lo};
    return round_dd_checked(v.hi, v.lo, 0x1p-90 * abs_of(v.hi) + 0x1p-120, certain);
}

// ---------------------------------------------------------------------------
// cbrtf
// ---------------------------------------------------------------------------

using U128 = unsigned __int128;

// The sign of (s 2^t)^3 - m 2^e, for s < 2^25 and m < 2^24 with the two
// within a factor 4 of each other.
int compare_cube(std::uint64_t s, int t, std::uint64_t m, int e)
{
    const U128 cube = static_cast<U128>(s * s) * s;  // below 2^75
    const int d = e - 3 * t;                          // compare cube with m 2^d
    U128 a = cube, b = m;
    if (d >= 0) b <<= d;   // m 2^d is within a factor 4 of the cube: below 2^77
    else a <<= -d;         // then the cube is below 4 m 2^d ... times 2^-d: below 2^26
    return a > b ? 1 : (a < b ? -1 : 0);
}

float cbrtf_exact(float x)
{
    const std::uint32_t u = bits_of(x);
    const std::uint32_t magnitude = u & 0x7fffffffu;
    if (magnitude >= 0x7f800000u || magnitude == 0) return x + x;  // NaN quieted, +-inf, +-0
    // |x| = m 2^e with an integer m < 2^24.
    const std::uint32_t field = magnitude >> 23;
    const std::uint64_t m = (magnitude & 0x7fffffu) | (field != 0 ? 0x800000u : 0u);
    const int e = (field != 0 ? static_cast<int>(field) : 1) - 150;
    // A candidate within one float of the result (the double is within 2^-48).
    std::uint32_t c = bits_of(static_cast<float>(
        cbrt_magnitude<Scalar>(bits_of(static_cast<double>(x)) & 0x7fffffffffffffffull)));
    for (;;) {
        // c = mc 2^ec, mc in [2^23, 2^24) (cube roots of floats are normal floats).
        const std::uint64_t mc = (c & 0x7fffffu) | 0x800000u;
        const int ec = static_cast<int>(c >> 23) - 150;
        // The midpoint above: (2 mc + 1) 2^(ec - 1); below: (2 mc - 1) 2^(ec - 1),
        // or (2^25 - 1) 2^(ec - 2) when c is a power of two.
        if (compare_cube(2 * mc + 1, ec - 1, m, e) < 0) {
            ++c;
            continue;
        }
        const bool power = mc == 0x800000u;
        if (compare_cube(power ? (std::uint64_t{1} << 25) - 1 : 2 * mc - 1, power ? ec - 2 : ec - 1, m, e) > 0) {
            --c;
            continue;
        }
        break;
    }
    return float_from_bits(c | (u & 0x80000000u));
}

}  // namespace

float logf_accurate_checked(float x, bool& certain) { return logf_checked(x, certain); }
float expf_accurate_checked(float x, bool& certain) { return expf_checked(x, certain); }
float sinf_accurate_checked(float x, bool& certain) { return sincosf_checked<false>(x, certain); }
float cosf_accurate_checked(float x, bool& certain) { return sincosf_checked<true>(x, certain); }

float logf_accurate(float x)
{
    bool certain;
    return logf_checked(x, certain);
}

float expf_accurate(float x)
{
    bool certain;
    return expf_checked(x, certain);
}

float sinf_accurate(float x)
{
    bool certain;
    return sincosf_checked<false>(x, certain);
}

float cosf_accurate(float x)
{
    bool certain;
    return sincosf_checked<true>(x, certain);
}

float cbrtf_accurate(float x) { return cbrtf_exact(x); }

}  // namespace float_detail
}  // namespace core
}  // namespace hostmath
