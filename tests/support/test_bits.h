// Bit access for the tests, kept apart from the library's own helpers so that
// the tests do not lean on the code they check.
#ifndef HOSTMATH_TEST_BITS_H
#define HOSTMATH_TEST_BITS_H

#include <cstdint>
#include <cstring>
#include <random>

namespace testbits {

inline float f32(std::uint32_t u)
{
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}
inline double f64(std::uint64_t u)
{
    double d;
    std::memcpy(&d, &u, 8);
    return d;
}
inline std::uint32_t u32(float f)
{
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}
inline std::uint64_t u64(double d)
{
    std::uint64_t u;
    std::memcpy(&u, &d, 8);
    return u;
}

// Doubles for random sweeps: half uniform over bit patterns, half uniform over
// binades (a random exponent, then a random significand), so every scale is hit.
class DoubleSource {
public:
    explicit DoubleSource(std::uint64_t seed) : rng_(seed) {}
    double operator()()
    {
        const std::uint64_t r = rng_();
        if (r & 1) return f64(rng_());
        const std::uint64_t exponent = rng_() % 2047;  // finite binades and subnormals
        const std::uint64_t fraction = rng_() & 0xfffffffffffffull;
        const std::uint64_t sign = (r >> 1) & 1;
        return f64(sign << 63 | exponent << 52 | fraction);
    }

private:
    std::mt19937_64 rng_;
};

}  // namespace testbits

#endif
