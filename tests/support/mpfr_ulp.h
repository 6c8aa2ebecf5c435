// Error of a floating-point result against an exact value held in MPFR, in
// units of the last place of the result's format at the exact value.  Below
// the smallest normal number the unit is the subnormal spacing, so an error in
// a subnormal result is counted in absolute units of 2^-1074 (2^-149 for float).
#ifndef HOSTMATH_TEST_MPFR_ULP_H
#define HOSTMATH_TEST_MPFR_ULP_H

#include <mpfr.h>

#include <cmath>
#include <limits>

namespace accuracy {

// MPFR keeps caches (constants such as pi and log 2) per thread; a worker
// thread that used MPFR frees its own when it ends, or they would leak.
inline void free_mpfr_caches_at_thread_exit()
{
    struct Guard {
        ~Guard() { mpfr_free_cache2(MPFR_FREE_LOCAL_CACHE); }
    };
    thread_local Guard guard;
    (void)guard;
}

// An MPFR number with RAII and a working precision far above double's.
class Big {
public:
    explicit Big(mpfr_prec_t precision = 256)
    {
        free_mpfr_caches_at_thread_exit();
        mpfr_init2(v_, precision);
    }
    ~Big() { mpfr_clear(v_); }
    Big(const Big&) = delete;
    Big& operator=(const Big&) = delete;
    mpfr_ptr get() { return v_; }
    mpfr_srcptr get() const { return v_; }
    operator mpfr_ptr() { return v_; }
    operator mpfr_srcptr() const { return v_; }

private:
    mpfr_t v_;
};

inline void set(mpfr_ptr r, double x) { mpfr_set_d(r, x, MPFR_RNDN); }

// |got - exact| in ulps of T at the exact value.  Returns +infinity when got is
// not finite while exact is, and 0 when both are the same infinity.
template <typename T>
double ulp_error(T got, mpfr_srcptr exact)
{
    constexpr int digits = std::numeric_limits<T>::digits;          // 24 or 53
    constexpr int min_exponent = std::numeric_limits<T>::min_exponent - 1;  // -126 or -1022
    if (mpfr_nan_p(exact)) return std::isnan(got) ? 0.0 : INFINITY;
    if (mpfr_inf_p(exact)) {
        const bool same = std::isinf(got) && (got > 0) == (mpfr_sgn(exact) > 0);
        return same ? 0.0 : INFINITY;
    }
    if (!std::isfinite(got)) return INFINITY;
    Big diff;
    mpfr_set_d(diff, static_cast<double>(got), MPFR_RNDN);  // exact: T widens to double
    mpfr_sub(diff, diff, exact, MPFR_RNDN);
    long exponent = mpfr_zero_p(exact) ? min_exponent : mpfr_get_exp(exact) - 1;  // exact in [2^e, 2^(e+1))
    if (exponent < min_exponent) exponent = min_exponent;
    mpfr_mul_2si(diff, diff, -(exponent - (digits - 1)), MPFR_RNDN);
    return std::fabs(mpfr_get_d(diff, MPFR_RNDN));
}

}  // namespace accuracy

#endif
