// A test program of hostmath/gtest.h.  DISABLED_ShowsTheReport fails on
// purpose, with check's report: the install test runs it to see the report.
#include <gtest/gtest.h>
#include <hostmath/gtest.h>

#include <vector>

namespace {

std::vector<float> erfinvf_of(const std::vector<float>& x)
{
    std::vector<float> y;
    for (float v : x) y.push_back(qx_math_func_host_erfinvf(v));
    return y;
}

const std::vector<float> kX = {0.25f, 0.5f, 0.75f};

TEST(Consumer, MatchesTheDevice) { EXPECT_DEVICE_EQ(qx_math_func_host_erfinvf, kX, erfinvf_of(kX)); }

TEST(Consumer, DISABLED_ShowsTheReport)
{
    std::vector<float> device = erfinvf_of(kX);
    device[2] = 0.5f;
    EXPECT_DEVICE_EQ(qx_math_func_host_erfinvf, kX, device);
}

}  // namespace
