// hostmath/gtest.h: GoogleTest assertions that check a kernel's results
// against hostmath and print the report of `hostmath check` when they fail.
//
//     #include <gtest/gtest.h>
//     #include <hostmath/gtest.h>
//
//     TEST(Kernel, ErfinvMatchesTheDevice)
//     {
//         EXPECT_DEVICE_EQ(qx_math_func_host_erfinvf, x, device);          // the same bits
//         hostmath::CheckOptions near;
//         near.max_ulp = 2;
//         EXPECT_DEVICE_EQ(qx_math_func_host_erfinvf, x, device, near);    // within 2 ulp
//         ASSERT_DEVICE_EQ(qx_math_func_host___float2half_rn, x, halves);  // fatal on failure
//         EXPECT_THAT(device, hostmath::testing::DeviceEq(qx_math_func_host_erfinvf, x));  // with GoogleMock
//     }
//
// EXPECT_DEVICE_EQ(function, inputs..., got[, options]) and ASSERT_DEVICE_EQ
// take what hostmath::check takes (hostmath/check.h) and fail with its
// report, naming the function as the device does (qx_math_func_host_erfinvf
// is "erfinvf") unless options.name says otherwise.  DeviceEq(function,
// inputs...[, options]) is a matcher of got for EXPECT_THAT; it keeps copies
// of the inputs.  Only this header uses GoogleTest: include it after
// <gtest/gtest.h> in test programs that link GoogleTest; the library does not.
#ifndef HOSTMATH_GTEST_H
#define HOSTMATH_GTEST_H

#include "check.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

namespace hostmath {
namespace testing {

// The device name in an expression that names a function of hostmath.h: what
// follows its last "qx_math_func_host_" ("erfinvf"), else the expression.
inline std::string device_name(const char* expression)
{
    static const char kPrefix[] = "qx_math_func_host_";
    const std::string e = expression;
    const std::size_t at = e.rfind(kPrefix);
    if (at == std::string::npos) return e;
    std::size_t end = at + sizeof kPrefix - 1;
    while (end < e.size() && (std::isalnum(static_cast<unsigned char>(e[end])) || e[end] == '_')) ++end;
    return e.substr(at + sizeof kPrefix - 1, end - at - (sizeof kPrefix - 1));
}

// The predicate-format of the assertions: success, or a failure whose message
// is the report.
inline ::testing::AssertionResult passes(const char* /*expression*/, const CheckReport& report)
{
    if (report.passed()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << report.text();
}

namespace gtest_detail {

template <typename... Args>
constexpr bool ends_with_options()
{
    if constexpr (sizeof...(Args) == 0) return false;
    else return std::is_same_v<std::decay_t<std::tuple_element_t<sizeof...(Args) - 1, std::tuple<Args...>>>, CheckOptions>;
}

template <typename F, typename Tuple, std::size_t... I>
CheckReport check_with(F function, const Tuple& ranges, const CheckOptions& options, std::index_sequence<I...>)
{
    return ::hostmath::check(function, std::get<I>(ranges)..., options);
}

}  // namespace gtest_detail

// hostmath::check with the function named after `expression` unless the
// options name it.
template <typename R, typename... A, typename... Args>
CheckReport named_check(const char* expression, R (*function)(A...), const Args&... args)
{
    const auto all = std::tie(args...);
    if constexpr (gtest_detail::ends_with_options<Args...>()) {
        CheckOptions options = std::get<sizeof...(Args) - 1>(all);
        if (options.name.empty()) options.name = device_name(expression);
        return gtest_detail::check_with(function, all, options, std::make_index_sequence<sizeof...(Args) - 1>{});
    } else {
        CheckOptions options;
        options.name = device_name(expression);
        return gtest_detail::check_with(function, all, options, std::make_index_sequence<sizeof...(Args)>{});
    }
}

// The matcher of DeviceEq.
template <typename F, typename... Inputs>
class DeviceEqMatcher {
public:
    DeviceEqMatcher(F function, std::tuple<Inputs...> inputs, CheckOptions options)
        : function_(function), inputs_(std::move(inputs)), options_(std::move(options))
    {
    }

    template <typename Got>
    bool MatchAndExplain(const Got& got, ::testing::MatchResultListener* listener) const
    {
        const CheckReport report = std::apply(
            [&](const Inputs&... inputs) { return ::hostmath::check(function_, inputs..., got, options_); }, inputs_);
        if (!report.passed()) *listener << "\n" << report.text();
        return report.passed();
    }

    void DescribeTo(std::ostream* out) const { *out << "are the results of " << name(); }
    void DescribeNegationTo(std::ostream* out) const { *out << "are not the results of " << name(); }

private:
    std::string name() const { return options_.name.empty() ? "the function" : options_.name; }

    F function_;
    std::tuple<Inputs...> inputs_;
    CheckOptions options_;
};

namespace gtest_detail {

template <typename F, typename Tuple, std::size_t... I>
auto make_matcher(F function, const Tuple& args, CheckOptions options, std::index_sequence<I...>)
{
    using Matcher = DeviceEqMatcher<F, std::decay_t<std::tuple_element_t<I, Tuple>>...>;
    return ::testing::MakePolymorphicMatcher(
        Matcher(function, std::make_tuple(std::get<I>(args)...), std::move(options)));
}

}  // namespace gtest_detail

// A matcher of got: whether it holds function(inputs...) by check's rules
// (the options, if given, last); a mismatch is explained by the report.
template <typename R, typename... A, typename... Args>
auto DeviceEq(R (*function)(A...), const Args&... args)
{
    const auto all = std::tie(args...);
    if constexpr (gtest_detail::ends_with_options<Args...>())
        return gtest_detail::make_matcher(function, all, std::get<sizeof...(Args) - 1>(all),
                                          std::make_index_sequence<sizeof...(Args) - 1>{});
    else
        return gtest_detail::make_matcher(function, all, CheckOptions{}, std::make_index_sequence<sizeof...(Args)>{});
}

}  // namespace testing
}  // namespace hostmath

// EXPECT_DEVICE_EQ(function, inputs..., got[, options]): a nonfatal failure
// with check's report unless got holds function(inputs...).
#define EXPECT_DEVICE_EQ(function, ...)    \
    EXPECT_PRED_FORMAT1(::hostmath::testing::passes, ::hostmath::testing::named_check(#function, function, __VA_ARGS__))

// ASSERT_DEVICE_EQ: the same, a fatal failure.
#define ASSERT_DEVICE_EQ(function, ...)    \
    ASSERT_PRED_FORMAT1(::hostmath::testing::passes, ::hostmath::testing::named_check(#function, function, __VA_ARGS__))

#endif  // HOSTMATH_GTEST_H
