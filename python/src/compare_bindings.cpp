// check's comparison and report: expected against got through the element
// comparison of hostmath/check.h, the GIL released while it runs, and the
// report the command prints, made by the same code.
#include "compare_bindings.h"

#include "hostmath/check.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace py = pybind11;
namespace compare = hostmath::compare;

namespace hostmath_python {
namespace {

compare::Kind kind_named(const std::string& name)
{
    const compare::KindInfo* k = compare::kind_named(name);
    if (k == nullptr) throw py::value_error("no comparison for values of kind '" + name + "'");
    return k->kind;
}

bool contiguous_of(const py::array& a, compare::Kind kind, std::size_t elements)
{
    return (a.flags() & py::array::c_style) && static_cast<std::size_t>(a.size()) == elements &&
           static_cast<std::size_t>(a.itemsize()) == compare::size_of(kind);
}

// The arguments of one element as the report shows them.
struct Input {
    compare::Kind kind;
    std::size_t components;
    py::array values;  // C-contiguous, components values per element
};

// Compares expected with got, C-contiguous arrays of `kind` holding `shape`
// (a pair result, components 2, with its trailing axis of 2), and reports it
// as `hostmath check` does; inputs are (kind, components, values) per
// argument, for the first mismatches.  The figures, the report and its JSON
// as a dict.
py::dict check(const std::string& function, const std::string& kind_name, std::size_t components,
               const py::array& expected, const py::array& got, const std::vector<std::uint64_t>& shape,
               const std::vector<py::tuple>& inputs, std::uint64_t max_ulp, bool nan_any, std::size_t show)
{
    const compare::Kind kind = kind_named(kind_name);
    std::uint64_t count = 1;
    for (std::uint64_t d : shape) count *= d;
    if (!contiguous_of(expected, kind, count) || !contiguous_of(got, kind, count))
        throw py::value_error("check needs two C-contiguous arrays of the shape's size and the result's kind");
    if (components == 0 || count % components != 0) throw py::value_error("check: the shape does not hold pairs");
    const std::uint64_t elements = count / components;
    std::vector<Input> args;
    for (const py::tuple& t : inputs) {
        Input in{kind_named(t[0].cast<std::string>()), t[1].cast<std::size_t>(), t[2].cast<py::array>()};
        if (!contiguous_of(in.values, in.kind, elements * in.components))
            throw py::value_error("check needs each input C-contiguous, one value per component and element");
        args.push_back(in);
    }

    hostmath::CheckReport report;
    report.function = function;
    report.kind = kind;
    report.rules = {max_ulp, nan_any};
    report.tally.keep = show;
    {
        py::gil_scoped_release unlocked;
        compare::compare_arrays(kind, expected.data(), got.data(), static_cast<std::size_t>(count), 0, report.rules,
                                report.tally);
    }
    if (count > 0) report.worst_index = compare::unravel(report.tally.worst_index, shape);
    const auto* e = static_cast<const unsigned char*>(expected.data());
    const auto* g = static_cast<const unsigned char*>(got.data());
    const std::size_t size = compare::size_of(kind);
    for (std::uint64_t flat : report.tally.first_mismatches) {
        compare::Mismatch m;
        m.index = compare::unravel(flat, shape);
        const std::uint64_t element = flat / components;
        for (const Input& in : args) {
            const auto* p = static_cast<const unsigned char*>(in.values.data());
            const std::size_t s = compare::size_of(in.kind);
            std::vector<std::string> values;
            for (std::size_t c = 0; c < in.components; ++c)
                values.push_back(compare::format_element(in.kind, compare::load(in.kind, p + (element * in.components + c) * s)));
            m.inputs.push_back(values);
        }
        const std::uint64_t want = compare::load(kind, e + flat * size), have = compare::load(kind, g + flat * size);
        m.expected = compare::format_element(kind, want);
        m.got = compare::format_element(kind, have);
        m.outcome = compare::classify(kind, want, have, report.rules);
        report.shown.push_back(std::move(m));
    }

    py::dict histogram;
    for (std::size_t b = 0; b < compare::kBinCount; ++b)
        if (report.tally.histogram[b] != 0) histogram[py::str(compare::bin_label(b))] = report.tally.histogram[b];
    py::list first;
    for (const compare::Mismatch& m : report.shown) first.append(py::make_tuple(m.index, m.expected, m.got));
    py::dict figures;
    figures["elements"] = report.tally.elements;
    figures["identical"] = report.tally.identical;
    figures["mismatches"] = report.tally.mismatches;
    figures["worst"] = report.tally.worst;
    figures["worst_index"] = count > 0 ? py::cast(report.worst_index) : py::none();
    figures["histogram"] = histogram;
    figures["first_mismatches"] = first;
    figures["text"] = report.text();
    figures["json"] = report.json();
    return figures;
}

}  // namespace

void add_compare_bindings(py::module_& m)
{
    m.def("_check", &check, py::arg("function"), py::arg("kind"), py::arg("components"), py::arg("expected"),
          py::arg("got"),
          py::arg("shape"), py::arg("inputs"), py::arg("max_ulp"), py::arg("nan_any"), py::arg("show"),
          "Compares expected with got as hostmath check does; the figures and the report.");
    m.attr("NO_DISTANCE") = compare::kNoDistance;
}

}  // namespace hostmath_python
