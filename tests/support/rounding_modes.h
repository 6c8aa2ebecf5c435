// Integer code on bit patterns must not depend on the floating-point rounding
// mode.  modes_that_change() evaluates a set of results in the default mode and
// under each directed mode, and names the modes whose results differ.
#ifndef HOSTMATH_TEST_ROUNDING_MODES_H
#define HOSTMATH_TEST_ROUNDING_MODES_H

#include <cfenv>
#include <vector>

namespace rounding_modes {

template <typename Results>
std::vector<int> modes_that_change(Results results)
{
    const auto expected = results();
    std::vector<int> changed;
    for (int mode : {FE_TOWARDZERO, FE_DOWNWARD, FE_UPWARD}) {
        if (std::fesetround(mode) != 0) {
            changed.push_back(mode);  // a mode we cannot set counts as a failure
            continue;
        }
        const auto got = results();
        std::fesetround(FE_TONEAREST);
        if (!(got == expected)) changed.push_back(mode);
    }
    return changed;
}

}  // namespace rounding_modes

#endif
