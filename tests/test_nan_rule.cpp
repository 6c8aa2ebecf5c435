// One NaN rule on every host, for every floating-point function of the
// registry with a floating argument and result: a NaN made from a number is
// the positive quiet NaN without payload (0x7fc00000, 0x7ff8000000000000),
// except where the function names its own pattern (erfinv and erfinvf give it
// the argument's sign); a NaN argument comes back a NaN with its payload,
// quieted (normcdf returns it bit for bit).
#include "registry_sweep.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

namespace {

template <typename T>
using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;

template <typename T>
constexpr Bits<T> kSign = Bits<T>{1} << (sizeof(T) * 8 - 1);
template <typename T>
constexpr Bits<T> kQuiet = static_cast<Bits<T>>(sizeof(T) == 4 ? 0x00400000ull : 0x0008000000000000ull);
template <typename T>
constexpr Bits<T> kDefaultNan = static_cast<Bits<T>>(sizeof(T) == 4 ? 0x7fc00000ull : 0x7ff8000000000000ull);

template <typename T>
Bits<T> bits_of(T x)
{
    Bits<T> u;
    std::memcpy(&u, &x, sizeof u);
    return u;
}

template <typename T>
void expect_nan_rule(const std::string& name, T (*f)(T))
{
    const bool signed_nan = name == "erfinv" || name == "erfinvf";
    int faults = 0;
    for (T x : registry_sweep::samples<T>()) {
        const T y = f(x);
        if (y == y) continue;
        const Bits<T> got = bits_of(y);
        Bits<T> want;
        if (x != x) {
            want = bits_of(x) | kQuiet<T>;  // the payload kept, quieted; the sign is the function's
            if ((got & ~kSign<T>) == (want & ~kSign<T>) || got == bits_of(x)) continue;
        } else {
            want = kDefaultNan<T> | (signed_nan && (bits_of(x) & kSign<T>) ? kSign<T> : 0);
            if (got == want) continue;
        }
        if (++faults <= 3)
            ADD_FAILURE() << name << "(" << std::hexfloat << x << ") gives NaN 0x" << std::hex
                          << static_cast<unsigned long long>(got) << ", want 0x" << static_cast<unsigned long long>(want);
    }
    EXPECT_EQ(faults, 0) << name;
}

TEST(NanRule, EveryFloatingFunction)
{
    int checked = 0;
    hostmath::registry::for_each([&](auto row) {
        using F = std::remove_const_t<decltype(decltype(row)::scalar)>;
        if constexpr (std::is_same_v<F, double (*)(double)> || std::is_same_v<F, float (*)(float)>)
            if (row.info.code == hostmath::registry::Code::fp) {
                expect_nan_rule(row.info.name, decltype(row)::scalar);
                ++checked;
            }
    });
    EXPECT_GE(checked, 16);
}

}  // namespace
