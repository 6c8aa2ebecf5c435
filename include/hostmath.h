// hostmath: the device's scalar math functions, computed bit for bit on the host.
//
// Every exported function is named qx_math_func_host_ followed by the name of the
// device function it reproduces.  The 16-bit value records below cross the library
// boundary by value; their layout and copy semantics are part of the ABI.
//
// The calling thread's floating-point state never changes a result: every
// function returns the same bits under any rounding direction, with
// flush-to-zero or denormals-are-zero set (on AArch64 also default-NaN), and
// with any exception unmasked, and no argument traps.  When a call returns,
// the state (control bits and sticky exception flags) and errno are exactly
// as they were.
//
// The same bits on every host: the logarithms, exponentials, sines, cosines
// and cube roots the functions are built on are hostmath's own, correctly
// rounded, never the C library's.  One NaN rule holds on every processor: a
// NaN result for an argument that is not a NaN is the positive quiet NaN
// without payload (0x7fc00000, 0x7ff8000000000000), unless a function names
// another pattern (the conversions' 0x7fff, the inverse error functions'
// signed NaN); a NaN argument passes through as each function says, quieted,
// its payload kept.
#ifndef HOSTMATH_H
#define HOSTMATH_H

#include <cstring>

#if defined(HOSTMATH_BUILDING)
#define HOSTMATH_API __attribute__((visibility("default")))
#else
#define HOSTMATH_API
#endif

// ---------------------------------------------------------------------------
// Value records
// ---------------------------------------------------------------------------

// A bfloat16 bit pattern with no operations: the upper half of a binary32 pattern.
struct __quix_bfloat16_raw {
    unsigned short bits;
};

// The bfloat16 value type.
struct __quix_bfloat16 {
    unsigned short bits;

    __quix_bfloat16() = default;
    __quix_bfloat16(__quix_bfloat16_raw const& raw) : bits(raw.bits) {}

    __quix_bfloat16& operator=(__quix_bfloat16_raw const& raw)
    {
        bits = raw.bits;
        return *this;
    }

    // Exact for every pattern; a NaN keeps its sign and payload.
    operator float() const
    {
        unsigned int u = static_cast<unsigned int>(bits) << 16;
        float f;
        std::memcpy(&f, &u, sizeof f);
        return f;
    }

    operator __quix_bfloat16_raw() const { return __quix_bfloat16_raw{bits}; }

    // Round to nearest, ties to even, on the bit pattern.  A NaN is not treated
    // specially (callers replace NaN arguments first).
    static unsigned short float_to_bfloat16(float x)
    {
        unsigned int u;
        std::memcpy(&u, &x, sizeof u);
        u = u + 0x7fffu + ((u >> 16) & 1u);
        return static_cast<unsigned short>(u >> 16);
    }

    static __quix_bfloat16_raw round_to_bfloat16(float x)
    {
        return __quix_bfloat16_raw{float_to_bfloat16(x)};
    }
};

// A pair of bfloat16 values, low at the lower address.  The user-provided copy
// constructor makes the record non-trivial for calls: it is passed and returned
// through memory.
struct __quix_bfloat162 {
    __quix_bfloat16 low;
    __quix_bfloat16 high;

    __quix_bfloat162() = default;
    __quix_bfloat162(__quix_bfloat16 const& lo, __quix_bfloat16 const& hi) : low(lo), high(hi) {}
    __quix_bfloat162(__quix_bfloat162 const& other) : low(other.low), high(other.high) {}
    __quix_bfloat162& operator=(__quix_bfloat162 const& other) = default;
};

// An IEEE 754 binary16 bit pattern with no operations.
struct __half_raw {
    unsigned short bits;
};

// The half-precision value type.
struct __half {
    unsigned short bits;

    __half() = default;
    __half(__half_raw const& raw) : bits(raw.bits) {}
    operator __half_raw() const { return __half_raw{bits}; }
};

struct float2 {
    float first;
    float second;
};

inline float2 make_float2(float first, float second) { return float2{first, second}; }

// ---------------------------------------------------------------------------
// Reinterpretation helpers: copy bits, never convert values.
// ---------------------------------------------------------------------------

template <typename T>
inline float as_float(T v)
{
    static_assert(sizeof(T) == sizeof(float), "as_float needs a 32-bit source");
    float f;
    std::memcpy(&f, &v, sizeof f);
    return f;
}

template <typename T>
inline double as_double(T v)
{
    static_assert(sizeof(T) == sizeof(double), "as_double needs a 64-bit source");
    double d;
    std::memcpy(&d, &v, sizeof d);
    return d;
}

template <typename T>
inline int as_int(T v)
{
    static_assert(sizeof(T) == sizeof(int), "as_int needs a 32-bit source");
    int i;
    std::memcpy(&i, &v, sizeof i);
    return i;
}

template <typename T>
inline long as_long(T v)
{
    static_assert(sizeof(T) == sizeof(long), "as_long needs a 64-bit source");
    long l;
    std::memcpy(&l, &v, sizeof l);
    return l;
}

template <typename T>
inline unsigned short as_ushort(T v)
{
    static_assert(sizeof(T) == sizeof(unsigned short), "as_ushort needs a 16-bit source");
    unsigned short s;
    std::memcpy(&s, &v, sizeof s);
    return s;
}

// ---------------------------------------------------------------------------
// bfloat16 conversions
// ---------------------------------------------------------------------------

// Float and double to bfloat16.  Every NaN becomes 0x7fff.
HOSTMATH_API __quix_bfloat16 qx_math_func_host___float2bfloat16(float x);
HOSTMATH_API __quix_bfloat16 qx_math_func_host___float2bfloat16_rn(float x);
HOSTMATH_API __quix_bfloat16 qx_math_func_host___float2bfloat16_rz(float x);
HOSTMATH_API __quix_bfloat16 qx_math_func_host___float2bfloat16_rd(float x);
HOSTMATH_API __quix_bfloat16 qx_math_func_host___float2bfloat16_ru(float x);
HOSTMATH_API __quix_bfloat16 qx_math_func_host___double2bfloat16(double x);
HOSTMATH_API __quix_bfloat162 qx_math_func_host___float2bfloat162_rn(float a);
HOSTMATH_API __quix_bfloat162 qx_math_func_host___float22bfloat162_rn(float2 v);
HOSTMATH_API __quix_bfloat162 qx_math_func_host___floats2bfloat162_rn(float a, float b);

// Integers to bfloat16, to nearest with ties to even.
HOSTMATH_API __quix_bfloat16 qx_math_func_host___ushort2bfloat16_rn(unsigned short a);
HOSTMATH_API __quix_bfloat16 qx_math_func_host___short2bfloat16_rn(short a);
HOSTMATH_API __quix_bfloat16 qx_math_func_host___int2bfloat16_rn(int a);
HOSTMATH_API __quix_bfloat16 qx_math_func_host___uint2bfloat16_rn(unsigned int a);
HOSTMATH_API __quix_bfloat16 qx_math_func_host___ll2bfloat16_rn(long long a);
HOSTMATH_API __quix_bfloat16 qx_math_func_host___ull2bfloat16_rn(unsigned long long a);

// bfloat16 to float (exact) and to integers (toward zero, saturating).
HOSTMATH_API float qx_math_func_host___bfloat162float(__quix_bfloat16 a);
HOSTMATH_API float2 qx_math_func_host___bfloat1622float2(__quix_bfloat162 a);
HOSTMATH_API float qx_math_func_host___low2float(__quix_bfloat162 a);
HOSTMATH_API float qx_math_func_host___high2float(__quix_bfloat162 a);
HOSTMATH_API unsigned short qx_math_func_host___bfloat162ushort_rz(__quix_bfloat16 a);
HOSTMATH_API short qx_math_func_host___bfloat162short_rz(__quix_bfloat16 a);
HOSTMATH_API int qx_math_func_host___bfloat162int_rz(__quix_bfloat16 a);
HOSTMATH_API unsigned int qx_math_func_host___bfloat162uint_rz(__quix_bfloat16 a);
HOSTMATH_API long long qx_math_func_host___bfloat162ll_rz(__quix_bfloat16 a);
HOSTMATH_API unsigned long long qx_math_func_host___bfloat162ull_rz(__quix_bfloat16 a);

// ---------------------------------------------------------------------------
// half conversions
// ---------------------------------------------------------------------------

// Float and double to half.  Every NaN becomes 0x7fff.
HOSTMATH_API __half qx_math_func_host___float2half(float x);
HOSTMATH_API __half qx_math_func_host___float2half_rn(float x);
HOSTMATH_API __half qx_math_func_host___float2half_rz(float x);
HOSTMATH_API __half qx_math_func_host___float2half_rd(float x);
HOSTMATH_API __half qx_math_func_host___float2half_ru(float x);
HOSTMATH_API __half qx_math_func_host___double2half(double x);

// Half to float (exact; every NaN becomes 0x7fffffff) and to integers (toward zero).
HOSTMATH_API float qx_math_func_host___half2float(__half h);
HOSTMATH_API short qx_math_func_host___half2short_rz(__half h);
HOSTMATH_API unsigned short qx_math_func_host___half2ushort_rz(__half h);
HOSTMATH_API int qx_math_func_host___half2int_rz(__half h);
HOSTMATH_API unsigned int qx_math_func_host___half2uint_rz(__half h);
HOSTMATH_API long long qx_math_func_host___half2ll_rz(__half h);
HOSTMATH_API unsigned long long qx_math_func_host___half2ull_rz(__half h);

// Integers to half, to nearest with ties to even.
HOSTMATH_API __half qx_math_func_host___short2half_rn(short a);
HOSTMATH_API __half qx_math_func_host___ushort2half_rn(unsigned short a);
HOSTMATH_API __half qx_math_func_host___int2half_rn(int a);
HOSTMATH_API __half qx_math_func_host___uint2half_rn(unsigned int a);
HOSTMATH_API __half qx_math_func_host___ll2half_rn(long long a);
HOSTMATH_API __half qx_math_func_host___ull2half_rn(unsigned long long a);

// ---------------------------------------------------------------------------
// Special functions
// ---------------------------------------------------------------------------

HOSTMATH_API double qx_math_func_host_erfinv(double x);
HOSTMATH_API float qx_math_func_host_erfinvf(float x);
HOSTMATH_API double qx_math_func_host_erfcinv(double x);
HOSTMATH_API float qx_math_func_host_erfcinvf(float x);
HOSTMATH_API double qx_math_func_host_erfcx(double x);
HOSTMATH_API float qx_math_func_host_erfcxf(float x);
HOSTMATH_API double qx_math_func_host_normcdf(double x);
HOSTMATH_API float qx_math_func_host_normcdff(float x);

// ---------------------------------------------------------------------------
// Pi-scaled sine and cosine, reciprocal roots
// ---------------------------------------------------------------------------

HOSTMATH_API double qx_math_func_host_sinpi(double x);
HOSTMATH_API float qx_math_func_host_sinpif(float x);
HOSTMATH_API double qx_math_func_host_cospi(double x);
HOSTMATH_API float qx_math_func_host_cospif(float x);
HOSTMATH_API void qx_math_func_host_sincospi(double x, double* sinp, double* cosp);
HOSTMATH_API void qx_math_func_host_sincospif(float x, float* sinp, float* cosp);

HOSTMATH_API double qx_math_func_host_rsqrt(double x);
HOSTMATH_API float qx_math_func_host_rsqrtf(float x);
HOSTMATH_API double qx_math_func_host_rcbrt(double x);
HOSTMATH_API float qx_math_func_host_rcbrtf(float x);

// ---------------------------------------------------------------------------
// Minimum and maximum
// ---------------------------------------------------------------------------

HOSTMATH_API int qx_math_func_host_max(int a, int b);
HOSTMATH_API unsigned int qx_math_func_host_umax(unsigned int a, unsigned int b);
HOSTMATH_API long long qx_math_func_host_llmax(long long a, long long b);
HOSTMATH_API unsigned long long qx_math_func_host_ullmax(unsigned long long a, unsigned long long b);
HOSTMATH_API unsigned int qx_math_func_host_max(unsigned int a, unsigned int b);
HOSTMATH_API unsigned int qx_math_func_host_max(int a, unsigned int b);
HOSTMATH_API unsigned int qx_math_func_host_max(unsigned int a, int b);
HOSTMATH_API long qx_math_func_host_max(long a, long b);
HOSTMATH_API unsigned long qx_math_func_host_max(unsigned long a, unsigned long b);
HOSTMATH_API unsigned long qx_math_func_host_max(long a, unsigned long b);
HOSTMATH_API unsigned long qx_math_func_host_max(unsigned long a, long b);
HOSTMATH_API long long qx_math_func_host_max(long long a, long long b);
HOSTMATH_API unsigned long long qx_math_func_host_max(unsigned long long a, unsigned long long b);
HOSTMATH_API unsigned long long qx_math_func_host_max(long long a, unsigned long long b);
HOSTMATH_API unsigned long long qx_math_func_host_max(unsigned long long a, long long b);
HOSTMATH_API float qx_math_func_host_max(float a, float b);
HOSTMATH_API double qx_math_func_host_max(double a, float b);
HOSTMATH_API double qx_math_func_host_max(float a, double b);
HOSTMATH_API double qx_math_func_host_max(double a, double b);

HOSTMATH_API int qx_math_func_host_min(int a, int b);
HOSTMATH_API unsigned int qx_math_func_host_umin(unsigned int a, unsigned int b);
HOSTMATH_API long long qx_math_func_host_llmin(long long a, long long b);
HOSTMATH_API unsigned long long qx_math_func_host_ullmin(unsigned long long a, unsigned long long b);
HOSTMATH_API unsigned int qx_math_func_host_min(unsigned int a, unsigned int b);
HOSTMATH_API unsigned int qx_math_func_host_min(int a, unsigned int b);
HOSTMATH_API unsigned int qx_math_func_host_min(unsigned int a, int b);
HOSTMATH_API long qx_math_func_host_min(long a, long b);
HOSTMATH_API unsigned long qx_math_func_host_min(unsigned long a, unsigned long b);
HOSTMATH_API unsigned long qx_math_func_host_min(long a, unsigned long b);
HOSTMATH_API unsigned long qx_math_func_host_min(unsigned long a, long b);
HOSTMATH_API long long qx_math_func_host_min(long long a, long long b);
HOSTMATH_API unsigned long long qx_math_func_host_min(unsigned long long a, unsigned long long b);
HOSTMATH_API unsigned long long qx_math_func_host_min(long long a, unsigned long long b);
HOSTMATH_API unsigned long long qx_math_func_host_min(unsigned long long a, long long b);
HOSTMATH_API float qx_math_func_host_min(float a, float b);
HOSTMATH_API double qx_math_func_host_min(double a, float b);
HOSTMATH_API double qx_math_func_host_min(float a, double b);
HOSTMATH_API double qx_math_func_host_min(double a, double b);

#endif // HOSTMATH_H
