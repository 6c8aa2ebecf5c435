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

#include "compare.h"
#include "registry.h"
#include "compare_bindings.h"
#include "loops.h"

#include <string>
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
    std::vector<std::vector<const char*>> result_kinds;
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
    u.result_kinds.push_back(L::result_kinds());
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
// command's check counts it (compare.h); a NaN against a number is
// NO_DISTANCE (2^64 - 1).
template <hostmath_compare::Kind K, typename T>
unsigned long ulp_distance(T expected, T got)
{
    return hostmath_compare::distance(K, hostmath_compare::load(K, &expected), hostmath_compare::load(K, &got));
}

// ulp_distance for every floating and integer type; bfloat16_ulp_distance for
// bfloat16 patterns, which are uint16 arrays like integer results.
std::vector<Ufunc*> distance_ufuncs()
{
    using hostmath_compare::Kind;
    const char* summary =
        "The distance between expected and got as check counts it: for floating values the number of\n"
        "representable values between them (-0 and +0 are 0 apart, two NaNs too, a NaN and a number\n"
        "NO_DISTANCE), for integers the absolute difference.\n";
    std::vector<Ufunc*> ufuncs = {
        make<&ulp_distance<Kind::f16, __half>, &ulp_distance<Kind::f32, float>, &ulp_distance<Kind::f64, double>,
             &ulp_distance<Kind::i16, short>, &ulp_distance<Kind::u16, unsigned short>,
             &ulp_distance<Kind::i32, int>, &ulp_distance<Kind::u32, unsigned int>,
             &ulp_distance<Kind::i64, long>, &ulp_distance<Kind::u64, unsigned long>>("ulp_distance"),
        make<&ulp_distance<Kind::bf16, __quix_bfloat16>>("bfloat16_ulp_distance"),
    };
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
    py::dict kinds;
    py::list names;
    for (const Ufunc* u : ufunc_table()) {
        m.add_object(u->name.c_str(), make_ufunc(*u));
        names.append(u->name);
        py::list per_loop;
        for (const auto& loop_kinds : u->result_kinds) {
            py::list k;
            for (const char* kind : loop_kinds) k.append(kind);
            per_loop.append(py::tuple(k));
        }
        kinds[py::str(u->name)] = py::tuple(per_loop);
    }
    m.attr("function_names") = py::tuple(names);
    for (const Ufunc* u : distance_ufuncs()) m.add_object(u->name.c_str(), make_ufunc(*u));
    m.attr("result_kinds") = kinds;
    add_compare_bindings(m);
}
