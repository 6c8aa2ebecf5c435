// check's comparison core: expected against got through the command's
// element comparison (compare.h), the GIL released while it runs.
#include "compare_bindings.h"

#include "compare.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <map>
#include <stdexcept>
#include <string>
#include <utility>

namespace py = pybind11;
using hostmath_compare::Kind;

namespace hostmath_python {
namespace {

Kind kind_named(const std::string& name)
{
    static const std::map<std::string, Kind> kinds = {
        {"float16", Kind::f16}, {"bfloat16", Kind::bf16}, {"float32", Kind::f32}, {"float64", Kind::f64},
        {"int8", Kind::i8},     {"int16", Kind::i16},     {"int32", Kind::i32},   {"int64", Kind::i64},
        {"uint8", Kind::u8},    {"uint16", Kind::u16},    {"uint32", Kind::u32},  {"uint64", Kind::u64},
    };
    const auto k = kinds.find(name);
    if (k == kinds.end()) throw py::value_error("no comparison for values of kind '" + name + "'");
    return k->second;
}

// Compares two C-contiguous arrays of one kind; the figures as a dict.
py::dict compare(const std::string& kind, const py::array& expected, const py::array& got, std::uint64_t max_ulp,
                 bool nan_any, std::size_t keep)
{
    const Kind k = kind_named(kind);
    const auto contiguous = py::array::c_style;
    if (!(expected.flags() & contiguous) || !(got.flags() & contiguous) || expected.size() != got.size() ||
        static_cast<std::size_t>(expected.itemsize()) != hostmath_compare::size_of(k) ||
        got.itemsize() != expected.itemsize())
        throw py::value_error("compare needs two C-contiguous arrays of one size and element kind");
    hostmath_compare::Report report;
    report.keep = keep;
    {
        py::gil_scoped_release unlocked;
        hostmath_compare::compare_arrays(k, expected.data(), got.data(), static_cast<std::size_t>(expected.size()),
                                         0, {max_ulp, nan_any}, report);
    }
    py::dict histogram;
    for (std::size_t b = 0; b < hostmath_compare::kBinCount; ++b)
        if (report.histogram[b] != 0) histogram[py::str(hostmath_compare::bin_label(b))] = report.histogram[b];
    py::dict figures;
    figures["elements"] = report.elements;
    figures["identical"] = report.identical;
    figures["mismatches"] = report.mismatches;
    figures["worst"] = report.worst;
    figures["worst_index"] = report.worst_index;
    figures["histogram"] = histogram;
    figures["first_mismatches"] = report.first_mismatches;
    return figures;
}

}  // namespace

void add_compare_bindings(py::module_& m)
{
    m.def("_compare", &compare, py::arg("kind"), py::arg("expected"), py::arg("got"), py::arg("max_ulp"),
          py::arg("nan_any"), py::arg("keep"),
          "Compares two C-contiguous arrays of one element kind; returns the figures of check.");
    m.attr("NO_DISTANCE") = hostmath_compare::kNoDistance;
}

}  // namespace hostmath_python
