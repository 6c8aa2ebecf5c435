// NumPy inner loops for the library's functions, generated from their C++
// signatures.
//
// Each C++ parameter and result type occupies one or two ufunc operands (its
// slots): a half is one float16 operand holding the same bits, a bfloat16 one
// uint16 operand holding its pattern, a bfloat16 pair or a float2 two operands
// (low or first, then high or second).  A loop reads its arguments from the
// input slots element by element, calls the scalar function and writes the
// result slots; for contiguous data it calls the array form of
// hostmath/batch.h instead where the registry lists one.
//
// The loops never touch the GIL: NumPy releases it around every loop over
// numeric types, so the library runs in parallel with other Python threads.
// They end by clearing the floating-point exception flags: the device raises
// none, and the array forms may raise flags the scalar functions would not,
// so NumPy's warnings would otherwise depend on the data's layout.
#ifndef HOSTMATH_PYTHON_LOOPS_H
#define HOSTMATH_PYTHON_LOOPS_H

#include "hostmath.h"
#include "hostmath/batch.h"
#include "hostmath/check.h"

#include <cfenv>
#include <cstddef>
#include <cstring>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include <numpy/ndarraytypes.h>

namespace hostmath_python {

// The two results of sincospi and sincospif as one value.
template <typename Real>
struct SinCos {
    Real sin;
    Real cos;
};

inline SinCos<double> sincospi(double x)
{
    SinCos<double> r{};
    qx_math_func_host_sincospi(x, &r.sin, &r.cos);
    return r;
}

inline SinCos<float> sincospif(float x)
{
    SinCos<float> r{};
    qx_math_func_host_sincospif(x, &r.sin, &r.cos);
    return r;
}

// ---------------------------------------------------------------------------
// Slots: how a C++ type lies in ufunc operands.  load reads the value of one
// element from the current slot pointers, store writes one.
// ---------------------------------------------------------------------------

template <typename T>
struct Slot;

// A plain number: one operand of the NumPy type with the same representation.
// kind is the element kind of every operand (hostmath/check.h).
template <typename T, int TypeNum>
struct PlainSlot {
    static constexpr int count = 1;
    static constexpr int types[1] = {TypeNum};
    static constexpr npy_intp sizes[1] = {sizeof(T)};
    static constexpr hostmath::compare::Kind kind = hostmath::compare::TypeOf<T>::kind;
    static T load(char* const* p)
    {
        T v;
        std::memcpy(&v, p[0], sizeof v);
        return v;
    }
    static void store(char* const* p, T v) { std::memcpy(p[0], &v, sizeof v); }
};

template <> struct Slot<float> : PlainSlot<float, NPY_FLOAT> {};
template <> struct Slot<double> : PlainSlot<double, NPY_DOUBLE> {};
template <> struct Slot<short> : PlainSlot<short, NPY_SHORT> {};
template <> struct Slot<unsigned short> : PlainSlot<unsigned short, NPY_USHORT> {};
template <> struct Slot<int> : PlainSlot<int, NPY_INT> {};
template <> struct Slot<unsigned int> : PlainSlot<unsigned int, NPY_UINT> {};
template <> struct Slot<long> : PlainSlot<long, NPY_LONG> {};
template <> struct Slot<unsigned long> : PlainSlot<unsigned long, NPY_ULONG> {};
template <> struct Slot<long long> : PlainSlot<long long, NPY_LONGLONG> {};
template <> struct Slot<unsigned long long> : PlainSlot<unsigned long long, NPY_ULONGLONG> {};

// A 16-bit record (half or bfloat16): its pattern in one 16-bit operand.
template <typename Record, typename Raw, int TypeNum>
struct Bits16Slot {
    static constexpr int count = 1;
    static constexpr int types[1] = {TypeNum};
    static constexpr npy_intp sizes[1] = {2};
    static constexpr hostmath::compare::Kind kind = hostmath::compare::TypeOf<Record>::kind;
    static Record load(char* const* p)
    {
        Raw raw;
        std::memcpy(&raw.bits, p[0], sizeof raw.bits);
        return Record(raw);
    }
    static void store(char* const* p, Record v) { std::memcpy(p[0], &v.bits, sizeof v.bits); }
};

template <> struct Slot<__half> : Bits16Slot<__half, __half_raw, NPY_HALF> {};
template <> struct Slot<__quix_bfloat16> : Bits16Slot<__quix_bfloat16, __quix_bfloat16_raw, NPY_USHORT> {};

// A pair: two operands, first (low) then second (high).
template <typename Pair, typename Part, Part Pair::*First, Part Pair::*Second>
struct PairSlot {
    static constexpr int count = 2;
    static constexpr int types[2] = {Slot<Part>::types[0], Slot<Part>::types[0]};
    static constexpr npy_intp sizes[2] = {Slot<Part>::sizes[0], Slot<Part>::sizes[0]};
    static constexpr hostmath::compare::Kind kind = Slot<Part>::kind;
    static Pair load(char* const* p)
    {
        Pair v;
        v.*First = Slot<Part>::load(p);
        v.*Second = Slot<Part>::load(p + 1);
        return v;
    }
    static void store(char* const* p, const Pair& v)
    {
        Slot<Part>::store(p, v.*First);
        Slot<Part>::store(p + 1, v.*Second);
    }
};

template <>
struct Slot<__quix_bfloat162>
    : PairSlot<__quix_bfloat162, __quix_bfloat16, &__quix_bfloat162::low, &__quix_bfloat162::high> {};
template <> struct Slot<float2> : PairSlot<float2, float, &float2::first, &float2::second> {};
template <>
struct Slot<SinCos<double>> : PairSlot<SinCos<double>, double, &SinCos<double>::sin, &SinCos<double>::cos> {};
template <>
struct Slot<SinCos<float>> : PairSlot<SinCos<float>, float, &SinCos<float>::sin, &SinCos<float>::cos> {};

// ---------------------------------------------------------------------------
// Array forms: one call over contiguous operands, by the array form's type.
// ---------------------------------------------------------------------------

// out[i] = f(in[i]).
template <typename In, typename Out>
void call_batch(void (*f)(const In*, Out*, std::size_t), char** args, std::size_t n)
{
    f(reinterpret_cast<const In*>(args[0]), reinterpret_cast<Out*>(args[1]), n);
}

// out[i] = f(a[i], b[i]).
template <typename A, typename B, typename Out>
void call_batch(void (*f)(const A*, const B*, Out*, std::size_t), char** args, std::size_t n)
{
    f(reinterpret_cast<const A*>(args[0]), reinterpret_cast<const B*>(args[1]), reinterpret_cast<Out*>(args[2]), n);
}

// sincospi: two output operands.
template <typename T>
void call_batch(void (*f)(const T*, T*, T*, std::size_t), char** args, std::size_t n)
{
    f(reinterpret_cast<const T*>(args[0]), reinterpret_cast<T*>(args[1]), reinterpret_cast<T*>(args[2]), n);
}

// ---------------------------------------------------------------------------
// The loop of one function.
// ---------------------------------------------------------------------------

// The loop of the scalar function F, whose array form is Batch (nullptr when
// it has none).
template <auto F, auto Batch>
struct Loop;

template <typename R, typename... A, R (*F)(A...), auto Batch>
struct Loop<F, Batch> {
    static constexpr int nin = (0 + ... + Slot<A>::count);
    static constexpr int nout = Slot<R>::count;

    // The NumPy type of every operand, inputs first.
    static void types(char* out)
    {
        int k = 0;
        auto add = [&](const int* t, int n) {
            for (int i = 0; i < n; ++i) out[k++] = static_cast<char>(t[i]);
        };
        (add(Slot<A>::types, Slot<A>::count), ...);
        add(Slot<R>::types, Slot<R>::count);
    }

    // What check reports of the loop: the parameters' types and their element
    // kinds and operand counts, and the result's.
    static std::string params()
    {
        std::string s;
        ((s += (s.empty() ? "" : ", ") + std::string(hostmath::compare::TypeOf<A>::name)), ...);
        return s;
    }
    static std::vector<std::pair<hostmath::compare::Kind, int>> param_layouts() { return {{Slot<A>::kind, Slot<A>::count}...}; }
    static std::pair<hostmath::compare::Kind, int> result_layout() { return {Slot<R>::kind, Slot<R>::count}; }

    static void run(char** args, const npy_intp* dimensions, const npy_intp* steps, void*)
    {
        const npy_intp n = dimensions[0];
        if constexpr (!std::is_same_v<decltype(Batch), std::nullptr_t>) {
            if (contiguous(steps)) {
                call_batch(Batch, args, static_cast<std::size_t>(n));
                std::feclearexcept(FE_ALL_EXCEPT);
                return;
            }
        }
        scalar(args, n, steps, std::index_sequence_for<A...>{});
        std::feclearexcept(FE_ALL_EXCEPT);
    }

private:
    // Whether every operand is contiguous: each step is the size of its element.
    static bool contiguous(const npy_intp* steps)
    {
        int k = 0;
        bool all = true;
        auto check = [&](const npy_intp* sizes, int count) {
            for (int i = 0; i < count; ++i) all = all && steps[k++] == sizes[i];
        };
        (check(Slot<A>::sizes, Slot<A>::count), ...);
        check(Slot<R>::sizes, Slot<R>::count);
        return all;
    }

    // The first slot of argument I.
    template <std::size_t I>
    static constexpr int offset()
    {
        constexpr int counts[] = {Slot<A>::count..., 0};
        int k = 0;
        for (std::size_t i = 0; i < I; ++i) k += counts[i];
        return k;
    }

    template <std::size_t... I>
    static void scalar(char** args, npy_intp n, const npy_intp* steps, std::index_sequence<I...>)
    {
        char* p[nin + nout];
        for (int k = 0; k < nin + nout; ++k) p[k] = args[k];
        for (npy_intp i = 0; i < n; ++i) {
            Slot<R>::store(p + nin, F(Slot<A>::load(p + offset<I>())...));
            for (int k = 0; k < nin + nout; ++k) p[k] += steps[k];
        }
    }
};

}  // namespace hostmath_python

#endif  // HOSTMATH_PYTHON_LOOPS_H
