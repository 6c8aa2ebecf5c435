// hostmath::check (hostmath/check.h) and the GoogleTest assertions of
// hostmath/gtest.h on planted errors: the counts, the indices (pairs with
// their trailing axis, a given shape), the first mismatches with their
// inputs, ranges of patterns for 16-bit results, sincospi's two outputs, the
// mixed max with a signalling NaN, and the report each failure prints.
#include "hostmath/check.h"
#include "hostmath/gtest.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::vector<float> kX = {0.1f, 0.5f, 0.9f, -0.25f};

std::vector<float> erfinvf_of(const std::vector<float>& x)
{
    std::vector<float> y;
    for (float v : x) y.push_back(qx_math_func_host_erfinvf(v));
    return y;
}

float next_up(float x) { return std::nextafter(x, std::numeric_limits<float>::infinity()); }

TEST(Check, TheCommandsReport)
{
    std::vector<float> got = erfinvf_of(kX);
    got[1] = next_up(got[1]);
    hostmath::CheckOptions options;
    options.name = "erfinvf";
    const hostmath::CheckReport r = hostmath::check(qx_math_func_host_erfinvf, kX, got, options);
    EXPECT_FALSE(r.passed());
    EXPECT_EQ(r.text(),
              "erfinvf(float): 4 elements, 3 identical, 1 mismatches (max ulp 0, nan exact)\n"
              "worst distance: 1 ulp at [1]\n"
              "histogram:\n"
              "  identical                    3\n"
              "  1 ulp                        1\n"
              "first 1 of 1 mismatches:\n"
              "  [1]  x = 0.5 0x3f000000  expected 0.47693628 0x3ef430fe  got 0.4769363 0x3ef430ff  (1 ulp)\n");
    options.max_ulp = 1;
    EXPECT_TRUE(hostmath::check(qx_math_func_host_erfinvf, kX, got, options).passed());
}

TEST(Check, EveryShapeOfFunction)
{
    struct Case {
        const char* what;
        hostmath::CheckReport report;
        std::uint64_t elements, mismatches;
        std::string first;  // the first mismatch's line, up to "expected"
    };
    // A half result as uint16_t patterns, one of them 3 ulp off, in a 2 x 2 shape.
    std::vector<std::uint16_t> halves;
    for (float v : kX) halves.push_back(qx_math_func_host___float2half_rn(v).bits);
    halves[2] += 3;
    hostmath::CheckOptions grid;
    grid.shape = {2, 2};
    // A pair result: the high half of element 3 wrong.
    std::vector<float> doubled;
    std::vector<__quix_bfloat162> pairs;
    for (float v : kX) doubled.push_back(2 * v), pairs.push_back(qx_math_func_host___floats2bfloat162_rn(v, 2 * v));
    pairs[3].high.bits ^= 0x8000;
    // sincospi's cosines, one NaN for a number.
    std::vector<float> sines(kX.size()), cosines(kX.size());
    for (std::size_t i = 0; i < kX.size(); ++i) qx_math_func_host_sincospif(kX[i], &sines[i], &cosines[i]);
    cosines[0] = std::numeric_limits<float>::quiet_NaN();
    // max(double, float) of a signalling NaN float is a quiet NaN; a number instead is a mismatch.
    const std::uint32_t signalling_bits = 0x7fa00001;
    float signalling;
    std::memcpy(&signalling, &signalling_bits, sizeof signalling);
    const std::vector<double> wide = {1.0, 2.0};
    const std::vector<float> narrow = {signalling, 1.0f};
    const std::vector<double> numbers = {1.0, 2.0};
    const auto max_df = static_cast<double (*)(double, float)>(qx_math_func_host_max);
    const Case cases[] = {
        {"half patterns", hostmath::check(qx_math_func_host___float2half_rn, kX, halves, grid), 4, 1,
         "  [1, 0]  x = 0.9 0x3f666666  "},
        {"pairs", hostmath::check(qx_math_func_host___floats2bfloat162_rn, kX, doubled, pairs), 8, 1,
         "  [3, 1]  x = -0.25 0xbe800000  y = -0.5 0xbf000000  "},
        {"sincospi", hostmath::check(qx_math_func_host_sincospif, kX, sines, cosines), 8, 1,
         "  [0, 1]  x = 0.1 0x3dcccccd  "},
        {"mixed max", hostmath::check(max_df, wide, narrow, numbers), 2, 1,
         "  [0]  x = 1 0x3ff0000000000000  y = nan 0x7fa00001  "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.report.elements(), c.elements);
        EXPECT_EQ(c.report.mismatches(), c.mismatches);
        ASSERT_EQ(c.report.shown.size(), 1u);
        EXPECT_EQ(c.report.text().substr(c.report.text().find("mismatches:\n") + 12, c.first.size()), c.first);
    }
    EXPECT_NE(cases[2].report.text().find("expected 0.95105654 0x3f737871  got nan 0x7fc00000  (NaN vs number)"),
              std::string::npos);
    EXPECT_NE(cases[3].report.text().find("expected nan 0x7ffc000020000000  got 1 0x3ff0000000000000"),
              std::string::npos);
    EXPECT_THROW(hostmath::check(qx_math_func_host_erfinvf, kX, std::vector<float>(3)), std::invalid_argument);
}

// The assertions fail with the report; the matcher explains with it.
std::vector<float> g_x, g_bad;

TEST(GTestAssertions, FailWithTheReport)
{
    g_x = kX;
    g_bad = erfinvf_of(kX);
    g_bad[2] = 0.0f;
    EXPECT_DEVICE_EQ(qx_math_func_host_erfinvf, g_x, erfinvf_of(g_x));
    EXPECT_NONFATAL_FAILURE(EXPECT_DEVICE_EQ(qx_math_func_host_erfinvf, g_x, g_bad),
                            "erfinvf(float): 4 elements, 3 identical, 1 mismatches");
    static hostmath::CheckOptions near;
    near.max_ulp = 1000;
    EXPECT_NONFATAL_FAILURE(EXPECT_DEVICE_EQ(qx_math_func_host_erfinvf, g_x, g_bad, near),
                            "first 1 of 1 mismatches:\n  [2]  x = 0.9 0x3f666666");
    EXPECT_FATAL_FAILURE(ASSERT_DEVICE_EQ(qx_math_func_host_erfinvf, g_x, g_bad), "histogram:");

    struct Listener : ::testing::MatchResultListener {
        explicit Listener(std::ostream* out) : ::testing::MatchResultListener(out) {}
    };
    const ::testing::Matcher<const std::vector<float>&> matcher =
        hostmath::testing::DeviceEq(qx_math_func_host_erfinvf, g_x);
    std::ostringstream explanation;
    Listener listener(&explanation);
    EXPECT_TRUE(matcher.Matches(erfinvf_of(g_x)));
    EXPECT_FALSE(matcher.MatchAndExplain(g_bad, &listener));
    EXPECT_NE(explanation.str().find("function(float): 4 elements, 3 identical, 1 mismatches"), std::string::npos);
}

}  // namespace
