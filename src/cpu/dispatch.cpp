// The processor path of this process (dispatch.h): the highest x86-64 level
// the processor and the operating system support, capped by the environment
// variable HOSTMATH_TEST_X86_64_LEVEL.
//
// The loader runs the resolvers while it relocates the library, which under
// immediate binding (and for every function whose address a program takes) is
// before the C library has initialised itself: getenv does not yet see the
// environment then, and neither the C library's nor a sanitizer's state may be
// relied on.  In a static executable they run even before thread-local
// storage exists, so not even errno or the stack protector's canary may be
// touched.  So this file asks the processor directly (CPUID, XGETBV) and reads
// the variable from /proc/self/environ by raw system calls, with nothing
// instrumented; where /proc cannot be read the processor alone decides.
#include "cpu/dispatch.h"

#if defined(HOSTMATH_CPU_X86)

#include <cpuid.h>
#include <fcntl.h>
#include <sys/syscall.h>

namespace hostmath {
namespace detail {
namespace {

// CPUID leaf 1, ECX.
constexpr unsigned kSse3 = 1u << 0, kSsse3 = 1u << 9, kFma = 1u << 12, kCx16 = 1u << 13, kSse41 = 1u << 19,
                   kSse42 = 1u << 20, kMovbe = 1u << 22, kPopcnt = 1u << 23, kXsave = 1u << 26,
                   kOsxsave = 1u << 27, kAvx = 1u << 28, kF16c = 1u << 29;
// CPUID leaf 7, EBX; leaf 7 subleaf 1, EAX.
constexpr unsigned kBmi1 = 1u << 3, kAvx2 = 1u << 5, kBmi2 = 1u << 8, kAvx512f = 1u << 16, kAvx512dq = 1u << 17,
                   kAvx512cd = 1u << 28, kAvx512bw = 1u << 30, kAvx512vl = 1u << 31;
constexpr unsigned kAvx512Bf16 = 1u << 5;
// CPUID leaf 0x80000001, ECX.
constexpr unsigned kLahf = 1u << 0, kLzcnt = 1u << 5;
// XCR0: the register state the operating system saves.
constexpr unsigned kXmmYmm = 0x6, kOpmaskZmm = 0xe0;

// A system call with up to three arguments; a negative result is -errno.
HOSTMATH_EARLY long system_call(long number, long a = 0, long b = 0, long c = 0)
{
    long result;
    __asm__ volatile("syscall" : "=a"(result) : "a"(number), "D"(a), "S"(b), "d"(c) : "rcx", "r11", "memory");
    return result;
}

HOSTMATH_EARLY bool all(unsigned have, unsigned need) { return (have & need) == need; }

HOSTMATH_EARLY Path processor_level()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d) == 0) return Path::baseline;
    const unsigned leaf1 = c;
    if (!all(leaf1, kSse3 | kSsse3 | kFma | kCx16 | kSse41 | kSse42 | kMovbe | kPopcnt | kXsave | kOsxsave | kAvx |
                        kF16c))
        return Path::baseline;
    unsigned xcr0_low = 0, xcr0_high = 0;
    __asm__("xgetbv" : "=a"(xcr0_low), "=d"(xcr0_high) : "c"(0));
    if (!all(xcr0_low, kXmmYmm)) return Path::baseline;
    if (__get_cpuid(0x80000001u, &a, &b, &c, &d) == 0 || !all(c, kLahf | kLzcnt)) return Path::baseline;
    if (__get_cpuid_count(7, 0, &a, &b, &c, &d) == 0 || !all(b, kBmi1 | kAvx2 | kBmi2)) return Path::baseline;
    const bool v4 = all(b, kAvx512f | kAvx512dq | kAvx512cd | kAvx512bw | kAvx512vl) && all(xcr0_low, kOpmaskZmm);
    return v4 ? Path::v4 : Path::v3;
}

// Compares the entries of the environment (NUL-terminated "NAME=value"
// strings), byte by byte as they are read, with the variable; its value, the
// last one if it is set more than once, decides.
class CapReader {
public:
    HOSTMATH_EARLY void feed(const char* bytes, long n)
    {
        for (long i = 0; i < n; ++i) take(bytes[i]);
    }

    HOSTMATH_EARLY Path cap() const { return cap_; }

private:
    static constexpr char kName[] = "HOSTMATH_TEST_X86_64_LEVEL=";
    static constexpr long kNameLength = sizeof kName - 1;
    static constexpr long kValueCapacity = 16;

    HOSTMATH_EARLY void take(char ch)
    {
        if (ch == '\0') {
            if (matched_ == kNameLength) decide();
            matched_ = 0;
            value_length_ = 0;
            return;
        }
        if (matched_ < 0) return;  // another variable: skipped to its end
        if (matched_ < kNameLength) {
            matched_ = ch == kName[matched_] ? matched_ + 1 : -1;
            return;
        }
        if (value_length_ < kValueCapacity) value_[value_length_] = ch;
        ++value_length_;  // a value longer than the capacity matches nothing
    }

    HOSTMATH_EARLY bool value_is(const char* text) const
    {
        long i = 0;
        for (; i < value_length_ && i < kValueCapacity && text[i] != '\0'; ++i)
            if (value_[i] != text[i]) return false;
        return i == value_length_ && text[i] == '\0';
    }

    HOSTMATH_EARLY void decide()
    {
        if (value_is("baseline")) cap_ = Path::baseline;
        if (value_is("v3")) cap_ = Path::v3;
        if (value_is("v4")) cap_ = Path::v4;
    }

    long matched_ = 0;  // bytes of kName matched in this entry so far; -1: another variable
    char value_[kValueCapacity] = {};
    long value_length_ = 0;
    Path cap_ = Path::v4;
};

HOSTMATH_EARLY Path environment_cap()
{
    CapReader reader;
    const long fd = system_call(SYS_open, reinterpret_cast<long>("/proc/self/environ"), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return reader.cap();
    char buffer[512];
    for (;;) {
        const long n = system_call(SYS_read, fd, reinterpret_cast<long>(buffer), sizeof buffer);
        if (n <= 0) break;
        reader.feed(buffer, n);
    }
    system_call(SYS_close, fd);
    return reader.cap();
}

constexpr int kUndecided = -1;
int decided = kUndecided;  // a Path once decided; every thread decides the same

}  // namespace

HOSTMATH_EARLY Path selected_path()
{
    int path = __atomic_load_n(&decided, __ATOMIC_RELAXED);
    if (path == kUndecided) {
        const Path processor = processor_level();
        const Path cap = environment_cap();
        path = static_cast<int>(cap < processor ? cap : processor);
        __atomic_store_n(&decided, path, __ATOMIC_RELAXED);
    }
    return static_cast<Path>(path);
}

bool has_avx512_bf16()
{
    static const bool present = [] {
        if (selected_path() < Path::v4) return false;
        unsigned a = 0, b = 0, c = 0, d = 0;
        return __get_cpuid_count(7, 1, &a, &b, &c, &d) != 0 && all(a, kAvx512Bf16);
    }();
    return present;
}

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_CPU_X86
