"""Writes the package's __init__.pyi from its template: one declaration per ufunc of the built
extension, so that the types list every function of the registry without a list of their own.

Usage: write_stubs.py TEMPLATE OUTPUT, with the built package importable.
"""
import sys

from hostmath import _hostmath

template, output = sys.argv[1:]
names = sorted({alias for name in _hostmath.function_names for alias in (name, name.lstrip("_"))})
declarations = "\n".join(f"{name}: np.ufunc" for name in names)
with open(template) as source:
    text = source.read().replace("@UFUNCS@", declarations)
with open(output, "w") as stub:
    stub.write(text)
