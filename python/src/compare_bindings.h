// check and ulp_distance: the command's comparison of expected and got values.
#ifndef HOSTMATH_PYTHON_COMPARE_BINDINGS_H
#define HOSTMATH_PYTHON_COMPARE_BINDINGS_H

#include <pybind11/pybind11.h>

namespace hostmath_python {

void add_compare_bindings(pybind11::module_& m);

}  // namespace hostmath_python

#endif  // HOSTMATH_PYTHON_COMPARE_BINDINGS_H
