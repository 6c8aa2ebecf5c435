// The floating-point state every exported function computes in, whatever the
// calling thread's state: round to nearest, no flushing of subnormal operands
// or results, every exception masked, NaN results propagated.  That is the
// state the results are defined in; the caller's rounding direction,
// flush-to-zero, denormals-are-zero, default-NaN or unmasked exceptions would
// change results or trap.
//
// FpEnvGuard, declared as the first line of a function body and given the
// function's floating-point arguments, saves the state, installs the default
// where the control bits differ from it (the usual case is that they do not,
// and the register is then not written), and on the way out puts back the
// control bits and the sticky flags exactly as they were.  The library's own
// arithmetic raises flags; errno it never sets (it calls no function of the
// C library that would), so the guard leaves errno alone.  Every value a
// guarded function returns passes through settled(), below.
//
// On x86-64 the state is MXCSR.  The library computes in SSE registers and
// leaves the x87 unit alone (the tests check its control word and flags too),
// so its state is not touched.
// On AArch64 it is FPCR (control) and FPSR (flags).  Elsewhere the standard
// <cfenv> calls do the same, without the fast path.
//
// The functions that work on bit patterns with integer arithmetic only need
// no guard and have none.
#ifndef HOSTMATH_FP_ENV_H
#define HOSTMATH_FP_ENV_H

#include "hostmath.h"

#include <cstdint>
#include <type_traits>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define HOSTMATH_FP_ENV_X86 1
#elif defined(__aarch64__) && (defined(__GNUC__) || defined(__clang__))
#define HOSTMATH_FP_ENV_AARCH64 1
#else
#include <cfenv>
#endif

namespace hostmath {
namespace detail {

// Values pinned in place: an empty volatile statement takes v in a register
// and gives it back.  Volatile statements stay in order, so an argument
// pinned after the guard's install is not computed with before it, and a
// result pinned before the restore is computed before it; without this the
// compiler's scheduler moved a final division past the restore, into the
// caller's rounding mode.  The guard pins the arguments it is given, and
// every guarded function returns through settled().
#if defined(HOSTMATH_FP_ENV_X86)
#define HOSTMATH_FP_REGISTER "+x"
#elif defined(HOSTMATH_FP_ENV_AARCH64)
#define HOSTMATH_FP_REGISTER "+w"
#else
#define HOSTMATH_FP_REGISTER "+m"
#endif

inline void pin(float& v) { __asm__ __volatile__("" : HOSTMATH_FP_REGISTER(v)); }
inline void pin(double& v) { __asm__ __volatile__("" : HOSTMATH_FP_REGISTER(v)); }
inline void pin(__half& v) { __asm__ __volatile__("" : "+r"(v.bits)); }
inline void pin(__quix_bfloat16& v) { __asm__ __volatile__("" : "+r"(v.bits)); }
inline void pin(__quix_bfloat162& v)
{
    pin(v.low);
    pin(v.high);
}
inline void pin(float2& v)
{
    pin(v.first);
    pin(v.second);
}
// Integers and pointers are not computed in floating point: nothing to pin.
template <typename T, typename = std::enable_if_t<std::is_integral_v<T> || std::is_pointer_v<T>>>
inline void pin(T&)
{
}

#undef HOSTMATH_FP_REGISTER

template <typename T>
inline T settled(T v)
{
    pin(v);
    return v;
}

// The registers are read and written by volatile statements, which the
// compiler keeps in order and never merges, and the way out does not depend
// on what the way in did: where the compiler could tell the two paths apart
// (reads through the intrinsic merged, or the install's own condition tested
// again), it gave each path its own copy of the body and moved arithmetic and
// C library calls without side effects past the restore.  test_fp_env checks
// the compiled code under each state.
// FpState: the caller's state saved and the default installed on
// construction, the saved state put back on destruction.
#if defined(HOSTMATH_FP_ENV_X86)

inline unsigned int read_mxcsr()
{
    unsigned int v;
    __asm__ __volatile__("stmxcsr %0" : "=m"(v) : : "memory");
    return v;
}
inline void write_mxcsr(unsigned int v) { __asm__ __volatile__("ldmxcsr %0" : : "m"(v) : "memory"); }

class FpState {
public:
    FpState() : saved_(read_mxcsr())
    {
        if ((saved_ & kControl) != kDefault) write_mxcsr((saved_ & ~kControl) | kDefault);
    }
    // Written back unconditionally: on the processors measured, reading MXCSR
    // waits for the floating-point operations in flight and cost more than
    // the write (docs/benchmarks.md).
    ~FpState() { write_mxcsr(saved_); }

private:
    // MXCSR: flags in bits 0-5, denormals-are-zero 6, exception masks 7-12,
    // rounding 13-14, flush-to-zero 15.
    static constexpr unsigned int kControl = 0xffc0;
    static constexpr unsigned int kDefault = 0x1f80;  // all masked, to nearest, no flushing
    const unsigned int saved_;
};

#elif defined(HOSTMATH_FP_ENV_AARCH64)

inline std::uint64_t read_fpcr()
{
    std::uint64_t v;
    __asm__ __volatile__("mrs %0, fpcr" : "=r"(v) : : "memory");
    return v;
}
inline std::uint64_t read_fpsr()
{
    std::uint64_t v;
    __asm__ __volatile__("mrs %0, fpsr" : "=r"(v) : : "memory");
    return v;
}
inline void write_fpcr(std::uint64_t v) { __asm__ __volatile__("msr fpcr, %0" : : "r"(v) : "memory"); }
inline void write_fpsr(std::uint64_t v) { __asm__ __volatile__("msr fpsr, %0" : : "r"(v) : "memory"); }

class FpState {
public:
    FpState() : control_(read_fpcr()), flags_(read_fpsr())
    {
        if ((control_ & kControl) != 0) write_fpcr(control_ & ~kControl);
    }
    ~FpState()
    {
        if (read_fpcr() != control_) write_fpcr(control_);
        if (read_fpsr() != flags_) write_fpsr(flags_);
    }

private:
    // FPCR: trap enables (bits 8-12 and 15), half flush-to-zero (19), rounding
    // (22-23), flush-to-zero (24), default NaN (25), alternative half (26).
    // Zero in all of them is the default.
    static constexpr std::uint64_t kControl = 0x1f00 | 1u << 15 | 1u << 19 | 3u << 22 | 1u << 24 | 1u << 25 | 1u << 26;
    const std::uint64_t control_;
    const std::uint64_t flags_;
};

#else

class FpState {
public:
    FpState()
    {
        std::feholdexcept(&saved_);
        std::fesetround(FE_TONEAREST);
    }
    ~FpState() { std::fesetenv(&saved_); }

private:
    std::fenv_t saved_;
};

#endif

class FpEnvGuard {
public:
    // The guard for a function of the arguments args, pinned after the install.
    template <typename... Args>
    explicit FpEnvGuard(Args&... args)
    {
        (pin(args), ...);
    }
    FpEnvGuard(const FpEnvGuard&) = delete;
    FpEnvGuard& operator=(const FpEnvGuard&) = delete;

private:
    const FpState state_;
};

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_FP_ENV_H
