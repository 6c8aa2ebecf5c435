// Parsing, formatting and the function table of the hostmath command.
#include "cli.h"
#include "array_form.h"
#include "registry.h"

#include "hostmath.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <tuple>
#include <type_traits>
#include <utility>

namespace hostmath_cli {
namespace {

using ElementKind = hostmath::compare::Kind;
using hostmath::compare::size_of;
using hostmath::compare::TypeOf;

bool starts_with(const std::string& s, const char* prefix)
{
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

// Digits of an integer without its sign: 0x... in hexadecimal, else decimal.
// Throws on anything else or on a value above max.
unsigned long long parse_magnitude(const std::string& word, const std::string& digits,
                                   unsigned long long max)
{
    const bool hex = starts_with(digits, "0x") || starts_with(digits, "0X");
    const unsigned base = hex ? 16 : 10;
    const std::size_t first = hex ? 2 : 0;
    if (digits.size() == first) throw UsageError(quoted(word) + " is not an integer");
    unsigned long long value = 0;
    for (std::size_t i = first; i < digits.size(); ++i) {
        const char c = digits[i];
        unsigned d;
        if (c >= '0' && c <= '9')
            d = static_cast<unsigned>(c - '0');
        else if (hex && c >= 'a' && c <= 'f')
            d = static_cast<unsigned>(c - 'a' + 10);
        else if (hex && c >= 'A' && c <= 'F')
            d = static_cast<unsigned>(c - 'A' + 10);
        else
            throw UsageError(quoted(word) + " is not an integer");
        if (value > (max - d) / base) throw UsageError(quoted(word) + " is out of range");
        value = value * base + d;
    }
    return value;
}

template <typename Real>
Real parse_real(const std::string& word, Real (*convert)(const char*, char**))
{
    if (starts_with(word, "bits:")) {
        using Bits = typename std::conditional<sizeof(Real) == 4, std::uint32_t, std::uint64_t>::type;
        const Bits bits = static_cast<Bits>(parse_unsigned(word.substr(5), std::numeric_limits<Bits>::max()));
        Real value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    const bool plain_start = !word.empty() && (std::isalnum(static_cast<unsigned char>(word[0])) ||
                                               word[0] == '-' || word[0] == '+' || word[0] == '.');
    if (!plain_start) throw UsageError(quoted(word) + " is not a number");
    errno = 0;
    char* end = nullptr;
    const Real value = convert(word.c_str(), &end);
    if (end != word.c_str() + word.size() || end == word.c_str())
        throw UsageError(quoted(word) + " is not a number");
    return value;  // overflow gives an infinity, underflow a subnormal or zero, as rounding does
}

// ---------------------------------------------------------------------------
// Formatting: the value (shortest round-trip decimal) and the bit pattern,
// as check's report shows elements (hostmath/check.h).
// ---------------------------------------------------------------------------

template <typename T>
std::string format_value(const T& v)
{
    std::string out;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&v);
    constexpr ElementKind kind = TypeOf<T>::kind;
    for (std::size_t c = 0; c < TypeOf<T>::components; ++c)
        out += (c ? " " : "") +
               hostmath::compare::format_element(kind, hostmath::compare::load(kind, bytes + c * size_of(kind)));
    return out;
}

struct DoublePair {
    double first;
    double second;
};

// How each C++ type is read from argument words, written out, and laid out in
// an array: its element kind, components and name from check.h's table
// (TypeOf), its load and store here.
template <typename T>
struct Kind;

// A type stored in arrays as its own bytes.
template <typename T>
struct Plain {
    static constexpr const char* name = TypeOf<T>::name;
    static constexpr ElementKind element = TypeOf<T>::kind;
    static constexpr std::size_t components = TypeOf<T>::components;
    static constexpr std::size_t bytes = sizeof(T);
    static constexpr std::size_t words = components;
    static T load(const unsigned char* p)
    {
        T v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    static void store(unsigned char* p, const T& v) { std::memcpy(p, &v, sizeof v); }
    static std::string format(const T& v) { return format_value(v); }
};

template <>
struct Kind<float> : Plain<float> {
    static float parse(const std::string* w) { return parse_float(w[0]); }
};

template <>
struct Kind<double> : Plain<double> {
    static double parse(const std::string* w) { return parse_double(w[0]); }
};

template <typename Int>
struct IntegerKind : Plain<Int> {
    static Int parse(const std::string* w)
    {
        if (std::is_signed<Int>::value)
            return static_cast<Int>(parse_signed(w[0], std::numeric_limits<Int>::min(), std::numeric_limits<Int>::max()));
        return static_cast<Int>(parse_unsigned(w[0], std::numeric_limits<Int>::max()));
    }
};

template <> struct Kind<short> : IntegerKind<short> {};
template <> struct Kind<unsigned short> : IntegerKind<unsigned short> {};
template <> struct Kind<int> : IntegerKind<int> {};
template <> struct Kind<unsigned int> : IntegerKind<unsigned int> {};
template <> struct Kind<long> : IntegerKind<long> {};
template <> struct Kind<unsigned long> : IntegerKind<unsigned long> {};
template <> struct Kind<long long> : IntegerKind<long long> {};
template <> struct Kind<unsigned long long> : IntegerKind<unsigned long long> {};

// The 16-bit formats are read as bit patterns.
template <>
struct Kind<__quix_bfloat16> : Plain<__quix_bfloat16> {
    static __quix_bfloat16 parse(const std::string* w) { return __quix_bfloat16_raw{parse_bits16(w[0])}; }
};

template <>
struct Kind<__half> : Plain<__half> {
    static __half parse(const std::string* w) { return __half_raw{parse_bits16(w[0])}; }
};

// A pair is stored and read low (first) then high (second); the bfloat16 pair
// is copied by its fields (its copy constructor makes it no plain bytes).
template <>
struct Kind<__quix_bfloat162> {
    static constexpr const char* name = TypeOf<__quix_bfloat162>::name;
    static constexpr ElementKind element = ElementKind::bf16;
    static constexpr std::size_t components = 2;
    static constexpr std::size_t bytes = 4;
    static constexpr std::size_t words = 2;
    static __quix_bfloat162 parse(const std::string* w)
    {
        return __quix_bfloat162(__quix_bfloat16_raw{parse_bits16(w[0])}, __quix_bfloat16_raw{parse_bits16(w[1])});
    }
    static std::string format(const __quix_bfloat162& v) { return format_value(v.low) + " " + format_value(v.high); }
    static __quix_bfloat162 load(const unsigned char* p)
    {
        using Half = Kind<__quix_bfloat16>;
        return __quix_bfloat162(Half::load(p), Half::load(p + 2));
    }
    static void store(unsigned char* p, const __quix_bfloat162& v)
    {
        Kind<__quix_bfloat16>::store(p, v.low);
        Kind<__quix_bfloat16>::store(p + 2, v.high);
    }
};

template <>
struct Kind<float2> : Plain<float2> {
    static float2 parse(const std::string* w) { return make_float2(parse_float(w[0]), parse_float(w[1])); }
};

// sincospi's two results.
template <>
struct Kind<DoublePair> {
    static constexpr const char* name = "double pair";
    static constexpr ElementKind element = ElementKind::f64;
    static constexpr std::size_t components = 2;
    static constexpr std::size_t bytes = 16;
    static std::string format(DoublePair v) { return format_value(v.first) + " " + format_value(v.second); }
    static void store(unsigned char* p, DoublePair v)
    {
        Kind<double>::store(p, v.first);
        Kind<double>::store(p + 8, v.second);
    }
};

// Parses the words of argument `index` (1-based), naming it in any error.
template <typename A>
A parse_argument(const std::vector<std::string>& words, std::size_t offset, std::size_t index)
{
    try {
        return Kind<A>::parse(&words[offset]);
    } catch (const UsageError& e) {
        throw UsageError("argument " + std::to_string(index) + " (" + Kind<A>::name + "): " + e.what());
    }
}

template <typename R, typename... A, std::size_t... I>
std::string call_with(R (*fn)(A...), const std::vector<std::string>& words, std::index_sequence<I...>)
{
    constexpr std::size_t counts[] = {Kind<A>::words..., 0};
    std::size_t offsets[sizeof...(A) + 1] = {0};
    for (std::size_t k = 0; k < sizeof...(A); ++k) offsets[k + 1] = offsets[k] + counts[k];
    // A braced list evaluates left to right, so the first bad argument is reported.
    std::tuple<A...> args{parse_argument<A>(words, offsets[I], I + 1)...};
    return Kind<R>::format(std::apply(fn, args));
}

// The scalar function over arrays, one call per element.
template <typename R, typename... A, std::size_t... I>
void call_each(R (*fn)(A...), const void* const* in, void* out, std::size_t n, std::index_sequence<I...>)
{
    auto* o = static_cast<unsigned char*>(out);
    for (std::size_t i = 0; i < n; ++i)
        Kind<R>::store(o + i * Kind<R>::bytes,
                       fn(Kind<A>::load(static_cast<const unsigned char*>(in[I]) + i * Kind<A>::bytes)...));
}

template <typename R, typename... A>
Function make(const char* name, R (*fn)(A...), ArrayCall batch)
{
    Function f;
    f.name = name;
    f.params = {Kind<A>::name...};
    f.result = Kind<R>::name;
    f.arity = (std::size_t{0} + ... + Kind<A>::words);
    f.call = [fn](const std::vector<std::string>& words) {
        return call_with(fn, words, std::index_sequence_for<A...>{});
    };
    f.param_arrays = {ArrayType{Kind<A>::element, Kind<A>::components}...};
    f.result_array = ArrayType{Kind<R>::element, Kind<R>::components};
    f.each = [fn](const void* const* in, void* out, std::size_t n) {
        call_each(fn, in, out, n, std::index_sequence_for<A...>{});
    };
    f.batch = std::move(batch);
    return f;
}

DoublePair sincospi(double x)
{
    DoublePair r{};
    qx_math_func_host_sincospi(x, &r.first, &r.second);
    return r;
}

float2 sincospif(float x)
{
    float2 r{};
    qx_math_func_host_sincospif(x, &r.first, &r.second);
    return r;
}

// The row's function as the command calls it: sincospi, which writes through
// two pointers, as a function of one argument giving both results.
template <auto F>
Function make_row(const char* name, ArrayCall batch)
{
    using Type = decltype(F);
    if constexpr (std::is_same_v<Type, void (*)(double, double*, double*)> ||
                  std::is_same_v<Type, void (*)(float, float*, float*)>) {
        Function f = std::is_same_v<Type, void (*)(double, double*, double*)> ? make(name, &sincospi, batch)
                                                                             : make(name, &sincospif, batch);
        f.result = f.params[0] + " sin, " + f.params[0] + " cos";
        return f;
    } else {
        return make(name, F, std::move(batch));
    }
}

std::vector<Function> build_table()
{
    std::vector<Function> table;
    hostmath::registry::for_each([&](auto row) {
        using Row = decltype(row);
        table.push_back(make_row<Row::scalar>(row.info.name, array_call(Row::batch)));
    });
    return table;
}

std::string without_spaces(const std::string& s)
{
    std::string out;
    for (char c : s)
        if (!std::isspace(static_cast<unsigned char>(c))) out += c;
    return out;
}

std::size_t edit_distance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t substitution = diagonal + (a[i - 1] != b[j - 1]);
            diagonal = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, substitution});
        }
    }
    return row[b.size()];
}

std::string closest_names(const std::string& name)
{
    std::vector<std::pair<std::size_t, std::string>> ranked;
    for (const Function& f : functions()) {
        const bool seen = std::any_of(ranked.begin(), ranked.end(), [&](auto& r) { return r.second == f.name; });
        if (!seen) ranked.emplace_back(edit_distance(name, f.name), f.name);
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](auto& a, auto& b) { return a.first < b.first; });
    std::string out;
    for (std::size_t i = 0; i < 3 && i < ranked.size(); ++i) out += (i ? ", " : "") + ranked[i].second;
    return out;
}

std::string overload_list(const std::string& name)
{
    std::string out;
    for (const Function& f : functions())
        if (f.name == name) out += "\n  " + f.signature();
    return out;
}

}  // namespace

std::string quoted(const std::string& word, std::size_t limit)
{
    const std::size_t shown = std::min(word.size(), limit);
    std::string out = "'";
    for (std::size_t i = 0; i < shown; ++i) {
        const auto byte = static_cast<unsigned char>(word[i]);
        if (byte < 0x20 || byte >= 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            out += escape;
        } else {
            out += word[i];
        }
    }
    out += "'";
    if (shown < word.size()) out += "... (" + std::to_string(word.size()) + " bytes)";
    return out;
}

std::string quoted_file(const std::string& path) { return quoted(path, PATH_MAX); }

std::string Function::signature() const
{
    std::string s = name + "(";
    for (std::size_t i = 0; i < params.size(); ++i) s += (i ? ", " : "") + params[i];
    return s + ")";
}

const std::vector<Function>& functions()
{
    static const std::vector<Function> table = build_table();
    return table;
}

const Function& find_function(const std::string& designation)
{
    const std::string wanted = without_spaces(designation);
    const std::size_t paren = wanted.find('(');
    const std::string name = wanted.substr(0, paren);
    std::vector<const Function*> named;
    for (const Function& f : functions())
        if (f.name == name) named.push_back(&f);
    if (named.empty())
        throw UsageError("unknown function " + quoted(name) + "; did you mean: " + closest_names(name) + "?");
    if (paren == std::string::npos) {
        if (named.size() == 1) return *named[0];
        throw UsageError(quoted(name) + " is overloaded; name one with its parameter types, e.g. '" +
                         named[0]->signature() + "':" + overload_list(name));
    }
    for (const Function* f : named)
        if (without_spaces(f->signature()) == wanted) return *f;
    throw UsageError("no overload " + quoted(designation) + "; the overloads of " + name + " are:" + overload_list(name));
}

std::vector<std::string> split_words(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

std::string evaluate(const Function& f, const std::vector<std::string>& words)
{
    if (words.size() != f.arity)
        throw UsageError(f.signature() + " takes " + std::to_string(f.arity) + " argument word" +
                         (f.arity == 1 ? "" : "s") + ", got " + std::to_string(words.size()));
    return f.call(words);
}

float parse_float(const std::string& word) { return parse_real<float>(word, std::strtof); }
double parse_double(const std::string& word) { return parse_real<double>(word, std::strtod); }

unsigned short parse_bits16(const std::string& word)
{
    return static_cast<unsigned short>(parse_unsigned(word, 0xffff));
}

long long parse_signed(const std::string& word, long long min, long long max)
{
    const bool negative = !word.empty() && word[0] == '-';
    const bool signed_text = !word.empty() && (word[0] == '-' || word[0] == '+');
    const std::string digits = signed_text ? word.substr(1) : word;
    // Magnitudes as unsigned: the most negative value has no positive counterpart.
    const unsigned long long limit =
        negative ? 0ull - static_cast<unsigned long long>(min) : static_cast<unsigned long long>(max);
    const unsigned long long magnitude = parse_magnitude(word, digits, ULLONG_MAX);
    if (magnitude > limit) throw UsageError(quoted(word) + " is out of range [" + std::to_string(min) + ", " + std::to_string(max) + "]");
    const unsigned long long bits = negative ? 0ull - magnitude : magnitude;
    long long value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

unsigned long long parse_unsigned(const std::string& word, unsigned long long max)
{
    if (!word.empty() && word[0] == '-') {
        // "-0" is zero; any other negative value is out of range.
        const unsigned long long magnitude = parse_magnitude(word, word.substr(1), ULLONG_MAX);
        if (magnitude != 0) throw UsageError(quoted(word) + " is out of range [0, " + std::to_string(max) + "]");
        return 0;
    }
    const std::string digits = !word.empty() && word[0] == '+' ? word.substr(1) : word;
    const unsigned long long value = parse_magnitude(word, digits, ULLONG_MAX);
    if (value > max) throw UsageError(quoted(word) + " is out of range [0, " + std::to_string(max) + "]");
    return value;
}

}  // namespace hostmath_cli
