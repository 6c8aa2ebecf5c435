// The records that cross the library boundary: size, layout and the copy
// semantics that decide how they are passed under the Itanium ABI; and the
// names of the C interface, which are its ABI.
#include "hostmath.h"
#include "registry.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <type_traits>

static_assert(sizeof(__quix_bfloat16_raw) == 2 && sizeof(__quix_bfloat16) == 2, "");
static_assert(sizeof(__quix_bfloat162) == 4 && offsetof(__quix_bfloat162, low) == 0 &&
                  offsetof(__quix_bfloat162, high) == 2, "");
static_assert(sizeof(__half_raw) == 2 && sizeof(__half) == 2, "");
static_assert(sizeof(float2) == 8 && offsetof(float2, first) == 0 && offsetof(float2, second) == 4, "");
static_assert(std::is_trivially_copyable<__quix_bfloat16_raw>::value, "");
static_assert(std::is_trivially_copyable<__quix_bfloat16>::value, "");
static_assert(std::is_trivially_copyable<__half_raw>::value, "");
static_assert(std::is_trivially_copyable<__half>::value, "");
static_assert(std::is_trivially_copyable<float2>::value, "");
// The user-provided copy constructor makes the pair non-trivial for calls.
static_assert(!std::is_trivially_copyable<__quix_bfloat162>::value, "");
static_assert(!std::is_trivially_copy_constructible<__quix_bfloat162>::value, "");
static_assert(std::is_standard_layout<__quix_bfloat162>::value, "");

TEST(Records, PairAndFloat2KeepTheirOrder)
{
    const __quix_bfloat162 pair(__quix_bfloat16(__quix_bfloat16_raw{0x3f80}),
                                __quix_bfloat16(__quix_bfloat16_raw{0xc000}));
    const __quix_bfloat162 copy(pair);
    EXPECT_EQ(copy.low.bits, 0x3f80);
    EXPECT_EQ(copy.high.bits, 0xc000);
    const float2 f = make_float2(1.0f, -2.0f);
    EXPECT_EQ(f.first, 1.0f);
    EXPECT_EQ(f.second, -2.0f);
    const __half h(__half_raw{0x3c00});
    EXPECT_EQ(static_cast<__half_raw>(h).bits, 0x3c00);
}

TEST(Records, ReinterpretationHelpersCopyBits)
{
    EXPECT_EQ(as_int(as_float(0x3f800000u)), 0x3f800000);
    EXPECT_EQ(as_int(as_float(-1)), -1);
    EXPECT_EQ(as_long(as_double(0x3ff0000000000000ul)), 0x3ff0000000000000l);
    EXPECT_EQ(as_long(as_double(-1l)), -1l);
    EXPECT_EQ(as_ushort(__quix_bfloat16(__quix_bfloat16_raw{0xbeef})), 0xbeef);
}

// The C name of every row follows from its device name and parameter types
// (registry.h): a name that a hand edit attached to the wrong row, say min's
// to a max overload or _rz's to _rd, still compiles, since the signatures
// agree; this catches it.
TEST(CInterface, NamesFollowFromTheDeviceNames)
{
    const std::map<std::string, std::string> codes = {
        {"int", "i"},  {"unsigned int", "u"},         {"long", "l"},  {"unsigned long", "ul"},
        {"long long", "ll"}, {"unsigned long long", "ull"}, {"float", "f"}, {"double", "d"}};
    std::map<std::string, int> overloads;
    hostmath::registry::for_each([&](auto row) { ++overloads[row.info.name]; });
    std::set<std::string> seen;
    hostmath::registry::for_each([&](auto row) {
        const std::string name = row.info.name, params = row.info.params;
        std::string expected = name.substr(name.find_first_not_of('_'));
        if (overloads[name] > 1) {
            std::string list = params.substr(1, params.size() - 2) + ",";
            for (std::size_t comma; (comma = list.find(',')) != std::string::npos; list.erase(0, comma + 1)) {
                const std::string type = list.substr(list.find_first_not_of(' '), comma - list.find_first_not_of(' '));
                expected += "_" + (codes.count(type) ? codes.at(type) : "?" + type);
            }
        }
        EXPECT_EQ(row.info.c_name, expected) << name << params;
        EXPECT_TRUE(seen.insert(row.info.c_name).second) << "two rows named " << row.info.c_name;
    });
}
