// Prints a digest of the results of every function compiled once per processor
// path, over fixed samples, for the path this process runs (test_paths sets
// HOSTMATH_TEST_X86_64_LEVEL), and first the offsets inside the library of
// the copies the loader bound for one scalar function and one array form.
#include <hostmath.h>
#include <hostmath/batch.h>

#include <dlfcn.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kSamples = 1 << 14;

std::uint64_t next(std::uint64_t& state)
{
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
}

// Random bit patterns, uniform values on (-8, 8), values next to +-1 and tiny
// positive values, in turn: every piece of every function gets some.
template <typename Real>
std::vector<Real> samples()
{
    std::vector<Real> v;
    std::uint64_t state = 0x9e3779b97f4a7c15ull;
    for (std::size_t i = 0; i < kSamples; ++i) {
        const std::uint64_t r = next(state);
        const Real unit = static_cast<Real>(r >> 11) * static_cast<Real>(0x1p-53);
        const int k = static_cast<int>(r % 60) + 1;
        Real x;
        switch (i % 4) {
        case 0: std::memcpy(&x, &r, sizeof x); break;
        case 1: x = 16 * unit - 8; break;
        case 2: x = (r & 1 ? -1 : 1) * (1 - static_cast<Real>(std::ldexp(unit, -k))); break;
        default: x = static_cast<Real>(std::ldexp(unit, -4 * k)); break;
        }
        v.push_back(x);
    }
    return v;
}

template <typename T>
std::uint64_t digest(const std::vector<T>& values)
{
    std::uint64_t h = 0xcbf29ce484222325ull;
    const auto* bytes = reinterpret_cast<const unsigned char*>(values.data());
    for (std::size_t i = 0; i < values.size() * sizeof(T); ++i) h = (h ^ bytes[i]) * 0x100000001b3ull;
    return h;
}

template <typename In, typename Out>
void print_scalar(const char* name, Out (*f)(In), const std::vector<In>& in)
{
    std::vector<Out> out;
    for (In x : in) out.push_back(f(x));
    std::printf("%s %016llx\n", name, static_cast<unsigned long long>(digest(out)));
}

template <typename In, typename Out>
void print_array(const char* name, void (*f)(const In*, Out*, std::size_t), const std::vector<In>& in)
{
    std::vector<Out> out(in.size());
    f(in.data(), out.data(), in.size());
    std::printf("%s %016llx\n", name, static_cast<unsigned long long>(digest(out)));
}

template <typename Real>
void print_sincospi(const char* name, void (*f)(Real, Real*, Real*), const std::vector<Real>& in)
{
    std::vector<Real> out(2 * in.size());
    for (std::size_t i = 0; i < in.size(); ++i) f(in[i], &out[2 * i], &out[2 * i + 1]);
    std::printf("%s %016llx\n", name, static_cast<unsigned long long>(digest(out)));
}

template <typename Real>
void print_array_sincospi(const char* name, void (*f)(const Real*, Real*, Real*, std::size_t),
                          const std::vector<Real>& in)
{
    std::vector<Real> out(2 * in.size());
    f(in.data(), out.data(), out.data() + in.size(), in.size());
    std::printf("%s %016llx\n", name, static_cast<unsigned long long>(digest(out)));
}

template <typename Record>
std::vector<Record> records(const std::vector<float>& from)
{
    std::vector<Record> v(from.size());
    for (std::size_t i = 0; i < v.size(); ++i) {
        std::uint32_t u;
        std::memcpy(&u, &from[i], sizeof u);
        v[i].bits = static_cast<unsigned short>(u >> (i % 2 == 0 ? 16 : 0));
    }
    return v;
}

// Where the loader bound the function, from the start of the object holding
// it: found by its symbol in the dynamic symbol table (the shared library), or
// else by its address (a static library, linked into this program).
template <typename Function>
long bound_offset(const char* symbol, Function* function)
{
    void* address = dlsym(RTLD_DEFAULT, symbol);
    if (address == nullptr) address = reinterpret_cast<void*>(function);
    Dl_info info;
    if (dladdr(address, &info) == 0) return -1;
    return static_cast<const char*>(address) - static_cast<const char*>(info.dli_fbase);
}

}  // namespace

int main()
{
    std::printf("bound %ld %ld\n", bound_offset("_Z25qx_math_func_host_erfinvff", qx_math_func_host_erfinvf),
                bound_offset("_Z31qx_math_func_host_batch_erfinvfPKfPfm", qx_math_func_host_batch_erfinvf));
    const auto floats = samples<float>();
    const auto doubles = samples<double>();
#define SCALAR(f, in) print_scalar(#f, qx_math_func_host_##f, in)
#define ARRAY(f, in) print_array(#f, qx_math_func_host_batch_##f, in)
    SCALAR(erfinvf, floats), SCALAR(erfcinvf, floats), SCALAR(erfcxf, floats), SCALAR(normcdff, floats);
    SCALAR(sinpif, floats), SCALAR(cospif, floats), SCALAR(rsqrtf, floats), SCALAR(rcbrtf, floats);
    SCALAR(erfinv, doubles), SCALAR(erfcinv, doubles), SCALAR(erfcx, doubles), SCALAR(normcdf, doubles);
    SCALAR(sinpi, doubles), SCALAR(cospi, doubles), SCALAR(rsqrt, doubles), SCALAR(rcbrt, doubles);
    print_sincospi("sincospif", qx_math_func_host_sincospif, floats);
    print_sincospi("sincospi", qx_math_func_host_sincospi, doubles);
    ARRAY(erfinvf, floats), ARRAY(erfcinvf, floats), ARRAY(erfcxf, floats), ARRAY(normcdff, floats);
    ARRAY(erfinv, doubles), ARRAY(erfcinv, doubles), ARRAY(erfcx, doubles), ARRAY(normcdf, doubles);
    ARRAY(__float2bfloat16_rn, floats), ARRAY(__float2bfloat16_rz, floats), ARRAY(__float2bfloat16_rd, floats);
    ARRAY(__float2bfloat16_ru, floats), ARRAY(__double2bfloat16, doubles);
    ARRAY(__bfloat162float, records<__quix_bfloat16>(floats));
    ARRAY(__float2half_rn, floats), ARRAY(__float2half_rz, floats), ARRAY(__float2half_rd, floats);
    ARRAY(__float2half_ru, floats), ARRAY(__double2half, doubles), ARRAY(__half2float, records<__half>(floats));
    ARRAY(sinpif, floats), ARRAY(cospif, floats), ARRAY(rsqrtf, floats), ARRAY(rcbrtf, floats);
    ARRAY(sinpi, doubles), ARRAY(cospi, doubles), ARRAY(rsqrt, doubles), ARRAY(rcbrt, doubles);
    print_array_sincospi("batch_sincospif", qx_math_func_host_batch_sincospif, floats);
    print_array_sincospi("batch_sincospi", qx_math_func_host_batch_sincospi, doubles);
#undef SCALAR
#undef ARRAY
    return 0;
}
