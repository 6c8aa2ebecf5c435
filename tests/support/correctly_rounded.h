// The correctly rounded value of a function, from MPFR, for the tests of the
// maths core: round to nearest even of the exact value into float or double,
// with the exponent range of the format (so subnormal results round once, as
// the format rounds them), and the hardest-to-round input lists read from
// tests/data/hard-cases.
#ifndef HOSTMATH_TEST_CORRECTLY_ROUNDED_H
#define HOSTMATH_TEST_CORRECTLY_ROUNDED_H

#include "mpfr_ulp.h"
#include "test_bits.h"

#include <mpfr.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

namespace accuracy {

// An MPFR function of one argument: mpfr_log, mpfr_exp, mpfr_sin, ...
using MpfrFunction = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

// f(x) rounded to nearest even into T, NaN results as the positive quiet NaN.
// MPFR rounds correctly at the target precision; the exponent range of T is
// set for the call so that a subnormal result is rounded once, at its own
// precision, and overflow gives infinity.
template <typename T>
T correctly_rounded(MpfrFunction f, T x)
{
    constexpr int digits = std::numeric_limits<T>::digits;
    constexpr long emin = std::numeric_limits<T>::min_exponent - digits + 1;  // -148 or -1073
    constexpr long emax = std::numeric_limits<T>::max_exponent;              // 128 or 1024
    free_mpfr_caches_at_thread_exit();
    const mpfr_exp_t old_emin = mpfr_get_emin(), old_emax = mpfr_get_emax();
    mpfr_t in, out;
    mpfr_init2(in, digits);
    mpfr_init2(out, digits);
    mpfr_set_d(in, static_cast<double>(x), MPFR_RNDN);  // exact: x has digits bits
    mpfr_set_emin(emin);
    mpfr_set_emax(emax);
    const int ternary = f(out, in, MPFR_RNDN);
    mpfr_subnormalize(out, ternary, MPFR_RNDN);
    mpfr_set_emin(old_emin);
    mpfr_set_emax(old_emax);
    T result;
    if (mpfr_nan_p(out)) result = std::numeric_limits<T>::quiet_NaN();
    else if constexpr (sizeof(T) == 4) result = mpfr_get_flt(out, MPFR_RNDN);
    else result = mpfr_get_d(out, MPFR_RNDN);
    mpfr_clear(in);
    mpfr_clear(out);
    if (result != result) result = std::abs(result);  // the positive quiet NaN
    return result;
}

// The correctly rounded functions the library's maths core computes, for the
// tests' references.
inline double cr_log(double x) { return correctly_rounded(mpfr_log, x); }
inline float cr_log(float x) { return correctly_rounded(mpfr_log, x); }
inline double cr_exp(double x) { return correctly_rounded(mpfr_exp, x); }
inline float cr_exp(float x) { return correctly_rounded(mpfr_exp, x); }
inline double cr_sin(double x) { return correctly_rounded(mpfr_sin, x); }
inline float cr_sin(float x) { return correctly_rounded(mpfr_sin, x); }
inline double cr_cos(double x) { return correctly_rounded(mpfr_cos, x); }
inline float cr_cos(float x) { return correctly_rounded(mpfr_cos, x); }
inline double cr_cbrt(double x) { return correctly_rounded(mpfr_cbrt, x); }
inline float cr_cbrt(float x) { return correctly_rounded(mpfr_cbrt, x); }

// Whether got is exactly want, bit for bit (so +0 and -0 differ, and NaNs must
// have the same pattern).
inline bool same_bits(float got, float want) { return testbits::u32(got) == testbits::u32(want); }
inline bool same_bits(double got, double want) { return testbits::u64(got) == testbits::u64(want); }

// The inputs of a hardest-to-round list, tests/data/hard-cases/NAME.txt: one
// hexadecimal double per line.  HOSTMATH_TEST_DATA_DIR is the data folder.
#if defined(HOSTMATH_TEST_DATA_DIR)
inline std::vector<double> hard_cases(const std::string& name)
{
    std::vector<double> inputs;
    std::ifstream file(std::string(HOSTMATH_TEST_DATA_DIR) + "/hard-cases/" + name + ".txt");
    for (std::string line; std::getline(file, line);)
        if (!line.empty()) inputs.push_back(std::strtod(line.c_str(), nullptr));
    return inputs;
}
#endif

}  // namespace accuracy

#endif  // HOSTMATH_TEST_CORRECTLY_ROUNDED_H
