// The hostmath._hostmath extension: every function of the library as a NumPy
// ufunc, named by its device name.
//
// The ufuncs are built from one table (ufunc_table below), each entry a device
// name and the scalar functions that serve it: one for most names, one per
// C++ overload for max and min.  Loops, operand types and the choice of the
// array form come from the functions' C++ signatures (loops.h).
#define PY_ARRAY_UNIQUE_SYMBOL hostmath_python_ARRAY_API
#define PY_UFUNC_UNIQUE_SYMBOL hostmath_python_UFUNC_API
#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION

#include <pybind11/pybind11.h>

#include <numpy/arrayobject.h>
#include <numpy/ufuncobject.h>

#include "hostmath/check.h"
#include "registry.h"
#include "compare_bindings.h"
#include "loops.h"

#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace py = pybind11;

namespace hostmath_python {
namespace {

// One ufunc: its loops and operand types as NumPy keeps pointers to them (the
// entries live as long as the process).
struct Ufunc {
    std::string name;
    int nin = 0;
    int nout = 0;
    std::vector<PyUFuncGenericFunction> loops;
    std::vector<void*> data;
    std::vector<char> types;  // nin + nout per loop
    struct Layout {
        std::string signature;  // "max(double, float)", as the command names it
        std::vector<std::pair<hostmath::compare::Kind, int>> params;  // element kind, operands
        std::pair<hostmath::compare::Kind, int> result;
    };
    std::vector<Layout> layouts;  // per loop
    std::string summary;  // what the ufunc computes; the device function by default
};

template <auto F, auto Batch>
void add_loop(Ufunc& u)
{
    using L = Loop<F, Batch>;
    u.nin = L::nin;
    u.nout = L::nout;
    char types[L::nin + L::nout];
    L::types(types);
    u.types.insert(u.types.end(), types, types + L::nin + L::nout);
    u.loops.push_back(&L::run);
    u.data.push_back(nullptr);
    u.layouts.push_back({u.name + "(" + L::params() + ")", L::param_layouts(), L::result_layout()});
}

// A ufunc of the scalar functions F (with no array forms).
template <auto... F>
Ufunc* make(const char* name)
{
    auto* u = new Ufunc;  // owned by NumPy's ufunc for the life of the process
    u->name = name;
    (add_loop<F, nullptr>(*u), ...);
    return u;
}

// The loop of a registry row: sincospi, which writes through two pointers,
// as a function of one argument giving both results.
template <class Row>
void add_row_loop(Ufunc& u)
{
    using Type = std::remove_const_t<decltype(Row::scalar)>;
    if constexpr (std::is_same_v<Type, void (*)(double, double*, double*)>) add_loop<&sincospi, Row::batch>(u);
    else if constexpr (std::is_same_v<Type, void (*)(float, float*, float*)>) add_loop<&sincospif, Row::batch>(u);
    else add_loop<Row::scalar, Row::batch>(u);
}

// One ufunc per device name, its loops the registry's rows of that name (one
// per overload of max and min, in the registry's order, which makes NumPy's
// search for a loop that takes the arguments by safe casts find what C++
// overload resolution finds for promoted arguments; exact matches are picked
// first in any case: exact_match_first below).
std::vector<Ufunc*> ufunc_table()
{
    std::vector<Ufunc*> table;
    hostmath::registry::for_each([&](auto row) {
        if (table.empty() || table.back()->name != row.info.name) {
            table.push_back(new Ufunc);  // owned by NumPy's ufunc for the life of the process
            table.back()->name = row.info.name;
        }
        add_row_loop<decltype(row)>(*table.back());
    });
    return table;
}

// The distance between an expected and a got value of kind K, as the
// command's check counts it (hostmath/check.h); a NaN against a number is
// NO_DISTANCE (2^64 - 1).
template <hostmath::compare::Kind K, typename T>
unsigned long ulp_distance(T expected, T got)
{
    return hostmath::compare::distance(K, hostmath::compare::load(K, &expected), hostmath::compare::load(K, &got));
}

// |s - u| for the bits of an int64 s and a uint64 u: exact up to 2^64 - 1,
// where it saturates (an int64 below zero against a uint64 near the top).
std::uint64_t signed_unsigned_distance(std::uint64_t s, std::uint64_t u)
{
    if (s >> 63 == 0) return s > u ? s - u : u - s;
    const std::uint64_t magnitude = 0 - s;  // of the negative value
    return u > UINT64_MAX - magnitude ? UINT64_MAX : u + magnitude;
}

// ulp_distance's loop over elements of kinds A and B: the same kind, or
// int64 against uint64 in either order.
template <hostmath::compare::Kind A, hostmath::compare::Kind B>
void distance_loop(char** args, const npy_intp* dimensions, const npy_intp* steps, void*)
{
    using hostmath::compare::Kind;
    char *a = args[0], *b = args[1], *out = args[2];
    for (npy_intp i = 0; i < dimensions[0]; ++i, a += steps[0], b += steps[1], out += steps[2]) {
        const std::uint64_t x = hostmath::compare::load(A, a), y = hostmath::compare::load(B, b);
        std::uint64_t d;
        if constexpr (A == B)
            d = hostmath::compare::distance(A, x, y);
        else
            d = A == Kind::i64 ? signed_unsigned_distance(x, y) : signed_unsigned_distance(y, x);
        std::memcpy(out, &d, sizeof d);
    }
}

// The NumPy type of an element kind, from the kinds' table (its .npy code);
// bfloat16 patterns are uint16.
int numpy_type(hostmath::compare::Kind k)
{
    const hostmath::compare::KindInfo& info = hostmath::compare::info(k);
    return PyArray_TypestrConvert(static_cast<int>(info.size), info.npy[0]);
}

template <hostmath::compare::Kind A, hostmath::compare::Kind B = A>
void add_distance_loop(Ufunc& u)
{
    u.loops.push_back(&distance_loop<A, B>);
    u.data.push_back(nullptr);
    for (int t : {numpy_type(A), numpy_type(B), static_cast<int>(NPY_UINT64)}) u.types.push_back(static_cast<char>(t));
}

// A loop for every kind of the table but bfloat16 (whose patterns are uint16).
template <std::size_t... I>
void add_distance_loops(Ufunc& u, std::index_sequence<I...>)
{
    using hostmath::compare::kKinds;
    ((kKinds[I].kind != hostmath::compare::Kind::bf16 ? add_distance_loop<kKinds[I].kind>(u) : void()), ...);
}

// ulp_distance for every floating and integer type, and for int64 against
// uint64, which no common type holds; bfloat16_ulp_distance for bfloat16
// patterns, which are uint16 arrays like integer results.
std::vector<Ufunc*> distance_ufuncs()
{
    using hostmath::compare::Kind;
    const char* summary =
        "The distance between expected and got as check counts it: for floating values the number of\n"
        "representable values between them (-0 and +0 are 0 apart, two NaNs too, a NaN and a number\n"
        "NO_DISTANCE), for integers of any widths and signs the absolute difference of the values\n"
        "(saturating at 2**64 - 1).  bool arrays are refused.\n";
    auto* distance = new Ufunc;  // owned by NumPy's ufunc for the life of the process
    distance->name = "ulp_distance";
    distance->nin = 2;
    distance->nout = 1;
    add_distance_loops(*distance, std::make_index_sequence<std::size(hostmath::compare::kKinds)>{});
    add_distance_loop<Kind::i64, Kind::u64>(*distance);
    add_distance_loop<Kind::u64, Kind::i64>(*distance);
    std::vector<Ufunc*> ufuncs = {distance, make<&ulp_distance<Kind::bf16, __quix_bfloat16>>("bfloat16_ulp_distance")};
    for (Ufunc* u : ufuncs) u->summary = summary;
    return ufuncs;
}

// Type resolution that first looks for a loop whose input types are exactly
// the arguments' types, then falls back to NumPy's search by safe casts.  The
// search alone would serve a long long argument with the long loop (both are
// 64-bit), and can pick an earlier overload that takes the arguments by safe
// casts over a later one that takes them as they are.
int exact_match_first(PyUFuncObject* ufunc, NPY_CASTING casting, PyArrayObject** operands, PyObject* type_tup,
                      PyArray_Descr** out_dtypes)
{
    const int nargs = ufunc->nargs;
    for (int j = 0; type_tup == nullptr && j < ufunc->ntypes; ++j) {
        const char* types = ufunc->types + j * nargs;
        bool exact = true;
        for (int i = 0; i < ufunc->nin; ++i) exact = exact && PyArray_DESCR(operands[i])->type_num == types[i];
        if (!exact) continue;
        for (int i = 0; i < nargs; ++i) out_dtypes[i] = PyArray_DescrFromType(types[i]);
        if (PyUFunc_ValidateCasting(ufunc, casting, operands, out_dtypes) == 0) return 0;
        for (int i = 0; i < nargs; ++i) Py_CLEAR(out_dtypes[i]);
        return -1;
    }
    return PyUFunc_DefaultTypeResolver(ufunc, casting, operands, type_tup, out_dtypes);
}

// The NumPy integer type of a given size and signedness.
int sized_integer(int bytes, bool is_signed) { return PyArray_TypestrConvert(bytes, is_signed ? 'i' : 'u'); }

// ulp_distance's choice of loop.  bool arrays are refused.  Two integer
// arrays are compared as integers whatever their widths and signs: in a type
// that holds both, else (int64 with uint64) in the loop for the two; NumPy's
// search by safe casts would take a floating loop.  Every other mix goes by
// that search, which refuses what no loop takes.
int distance_type_resolver(PyUFuncObject* ufunc, NPY_CASTING casting, PyArrayObject** operands, PyObject* type_tup,
                           PyArray_Descr** out_dtypes)
{
    PyArray_Descr* in[2] = {PyArray_DESCR(operands[0]), PyArray_DESCR(operands[1])};
    if (in[0]->type_num == NPY_BOOL || in[1]->type_num == NPY_BOOL) {
        PyErr_SetString(PyExc_TypeError, "ulp_distance takes arrays of numbers, not bool");
        return -1;
    }
    if (type_tup != nullptr || !PyTypeNum_ISINTEGER(in[0]->type_num) || !PyTypeNum_ISINTEGER(in[1]->type_num))
        return exact_match_first(ufunc, casting, operands, type_tup, out_dtypes);
    PyArray_Descr* common = PyArray_PromoteTypes(in[0], in[1]);
    if (common == nullptr) return -1;
    const bool held = PyTypeNum_ISINTEGER(common->type_num);
    for (int i = 0; i < 2; ++i) {
        PyArray_Descr* t = held ? common : in[i];
        out_dtypes[i] = PyArray_DescrFromType(sized_integer(held ? t->elsize : 8, PyTypeNum_ISSIGNED(t->type_num)));
    }
    Py_DECREF(common);
    out_dtypes[2] = PyArray_DescrFromType(NPY_UINT64);
    if (PyUFunc_ValidateCasting(ufunc, casting, operands, out_dtypes) == 0) return 0;
    for (int i = 0; i < 3; ++i) Py_CLEAR(out_dtypes[i]);
    return -1;
}

// NumPy's name of a type; long long and long are both int64 on LP64 systems,
// so the overloads of max and min are told apart by the C names.
std::string type_name(char type)
{
    if (type == NPY_LONGLONG) return "longlong";
    if (type == NPY_ULONGLONG) return "ulonglong";
    PyArray_Descr* d = PyArray_DescrFromType(type);
    const std::string name = py::str(reinterpret_cast<PyObject*>(d));
    Py_DECREF(d);
    return name;
}

// "name(float32) -> float16" for every loop, then what the types mean.
std::string docstring(const Ufunc& u)
{
    std::string doc;
    const int nargs = u.nin + u.nout;
    for (std::size_t j = 0; j < u.loops.size(); ++j) {
        const char* t = u.types.data() + j * nargs;
        doc += u.name + "(";
        for (int i = 0; i < u.nin; ++i) doc += (i ? ", " : "") + type_name(t[i]);
        doc += ") -> ";
        for (int i = u.nin; i < nargs; ++i) doc += (i > u.nin ? ", " : "") + type_name(t[i]);
        doc += "\n";
    }
    if (!u.summary.empty()) return doc + "\n" + u.summary;
    return doc + "\nThe device function " + u.name +
           " element by element, bit for bit.  Half values are float16 arrays, bfloat16 values\n"
           "uint16 arrays of bit patterns; a pair is two arrays (low, then high).\n";
}

py::object make_ufunc(const Ufunc& u)
{
    auto* doc = new std::string(docstring(u));  // NumPy keeps the pointer
    PyObject* f = PyUFunc_FromFuncAndDataAndSignature(
        const_cast<PyUFuncGenericFunction*>(u.loops.data()), const_cast<void**>(u.data.data()),
        const_cast<char*>(u.types.data()), static_cast<int>(u.loops.size()), u.nin, u.nout, PyUFunc_None,
        u.name.c_str(), doc->c_str(), 0, nullptr);
    if (f == nullptr) throw py::error_already_set();
    if (u.loops.size() > 1) reinterpret_cast<PyUFuncObject*>(f)->type_resolver = &exact_match_first;
    return py::reinterpret_steal<py::object>(f);
}

}  // namespace
}  // namespace hostmath_python

PYBIND11_MODULE(_hostmath, m)
{
    using namespace hostmath_python;
    if (_import_array() < 0 || _import_umath() < 0) throw py::error_already_set();
    m.doc() = "The device's math functions as NumPy ufuncs (see the hostmath package).";
    // loops[name]: per loop, in the order of the ufunc's types, its signature
    // and the (element kind, operand count) of each parameter and of the result.
    py::dict loops;
    py::list names;
    auto layout = [](const std::pair<hostmath::compare::Kind, int>& l) {
        return py::make_tuple(hostmath::compare::info(l.first).name, l.second);
    };
    for (const Ufunc* u : ufunc_table()) {
        m.add_object(u->name.c_str(), make_ufunc(*u));
        names.append(u->name);
        py::list per_loop;
        for (const auto& l : u->layouts) {
            py::list params;
            for (const auto& p : l.params) params.append(layout(p));
            per_loop.append(py::make_tuple(l.signature, py::tuple(params), layout(l.result)));
        }
        loops[py::str(u->name)] = py::tuple(per_loop);
    }
    m.attr("function_names") = py::tuple(names);
    // The registry's rows: what the library says of each exported function.
    py::list rows;
    hostmath::registry::for_each([&](auto row) {
        static const char* const families[] = {"bfloat16", "half", "special", "trig", "roots", "minmax"};
        static const char* const arrays[] = {"none", "map", "sincos", "pairs"};
        py::dict r;
        r["name"] = row.info.name;
        r["params"] = row.info.params;
        r["family"] = families[static_cast<int>(row.info.family)];
        r["code"] = row.info.code == hostmath::registry::Code::fp ? "fp" : "bits";
        r["array"] = arrays[static_cast<int>(row.info.array)];
        r["bound"] = row.info.bound;
        rows.append(r);
    });
    m.attr("registry") = py::tuple(rows);
    for (const Ufunc* u : distance_ufuncs()) {
        py::object f = make_ufunc(*u);
        if (u->name == "ulp_distance")
            reinterpret_cast<PyUFuncObject*>(f.ptr())->type_resolver = &distance_type_resolver;
        m.add_object(u->name.c_str(), f);
    }
    m.attr("loops") = loops;
    add_compare_bindings(m);
}
