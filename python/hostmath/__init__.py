"""The device's math functions, bit for bit, as NumPy ufuncs.

Every function of libhostmath is a numpy.ufunc named by its device name
(``hostmath.__float2bfloat16_rz``) and by the same name without the leading
underscores (``hostmath.float2bfloat16_rz``).  Half values are float16 arrays
(same bits), bfloat16 values uint16 arrays of bit patterns; a pair is two
arrays, low (or sine) first.  ``max`` and ``min`` have one loop per C++
overload: ``hostmath.max(np.int32(-1), np.uint32(5))`` is uint32 4294967295.

Arguments are converted only by safe casts: a float64 array does not go into
``erfinvf`` (rounding it to float32 first would hide a double rounding); pass
float32 data or an explicit ``dtype=``.

``check(function, *inputs, got)`` compares a device's results with these
functions as the ``hostmath check`` command does; ``ulp_distance(expected,
got)`` is the distance it counts, as a ufunc (of integers of any widths and
signs, the difference of the values).
"""

import numpy as _np

from . import _hostmath

__all__ = ["check", "Report", "ulp_distance", "bfloat16_ulp_distance", "NO_DISTANCE", "registry"]

# One dict per exported function (overloads apart), as the library lists them:
# name, params, family, code ("bits" or "fp"), array (its array form) and
# bound (the largest error in ulps the tests allow; 0 exact, -1 none).
registry = _hostmath.registry
ulp_distance = _hostmath.ulp_distance
bfloat16_ulp_distance = _hostmath.bfloat16_ulp_distance
NO_DISTANCE = _hostmath.NO_DISTANCE

_by_name = {}
for _name in _hostmath.function_names:
    for _alias in (_name, _name.lstrip("_")):
        _by_name[_alias] = globals()[_alias] = getattr(_hostmath, _name)
        __all__.append(_alias)
del _name, _alias

# How many mismatches a report lists.
_KEPT_MISMATCHES = 10


def _ufunc_named(function):
    """The ufunc for a ufunc of this module or a device name."""
    name = function if isinstance(function, str) else getattr(function, "__name__", None)
    ufunc = _by_name.get(name)
    if ufunc is None or not (isinstance(function, str) or function is ufunc):
        raise ValueError(f"not a hostmath function: {function!r}")
    return ufunc


def _result_kind(ufunc, dtype):
    """The element kind of a result: bfloat16 for the patterns of bfloat16 results."""
    kinds = _hostmath.result_kinds[ufunc.__name__]
    if dtype == _np.uint16 and any("bfloat16" in k for k in kinds):
        return "bfloat16"
    return dtype.name


def _format_value(kind, value):
    """A value as its number and its bit pattern."""
    size = value.dtype.itemsize
    bits = int(value.view(f"u{size}"))
    if kind == "bfloat16":
        number = str(_np.uint32(bits << 16).view(_np.float32))
    else:
        number = str(value)
    return f"{number} 0x{bits:0{2 * size}x}"


class Report:
    """The outcome of check: figures as the hostmath command's check gives them.

    elements, identical, mismatches (values the rules do not accept), worst
    (largest distance, NaN against number and infinity against finite values
    excluded) and worst_index (None for empty arrays), histogram (bin label -> count) and
    first_mismatches (list of (index, expected, got)).  A pair counts as two
    values per element.  True when there is no mismatch.
    """

    def __init__(self, function, max_ulp, nan, figures, mismatches):
        self.function = function
        self.max_ulp = max_ulp
        self.nan = nan
        self.elements = figures["elements"]
        self.identical = figures["identical"]
        self.mismatches = figures["mismatches"]
        self.worst = figures["worst"]
        self.worst_index = figures["worst_index"]
        self.histogram = figures["histogram"]
        self.first_mismatches = mismatches

    @property
    def passed(self):
        return self.mismatches == 0

    def __bool__(self):
        return self.passed

    def __repr__(self):
        verdict = "passed" if self.passed else "FAILED"
        lines = [
            f"check {self.function} (max_ulp {self.max_ulp}, nan {self.nan}): {verdict}",
            f"  elements {self.elements}, identical {self.identical}, mismatches {self.mismatches}",
            f"  worst distance {self.worst} ulp" + (f" at index {self.worst_index}" if self.worst else ""),
            "  histogram:",
        ]
        lines += [f"    {label:>16} {count}" for label, count in self.histogram.items()]
        if self.first_mismatches:
            lines.append("  first mismatches (index: expected | got):")
            lines += [f"    {index}: {e} | {g}" for index, e, g in self.first_mismatches]
        return "\n".join(lines)


def _as_outputs(values, count, what):
    if count == 1:
        return (values,)
    if not isinstance(values, (tuple, list)) or len(values) != count:
        raise ValueError(f"{what} must be {count} arrays for a function with {count} results")
    return tuple(values)


def check(function, *args, got=None, max_ulp=0, nan="exact"):
    """check(function, *inputs, got, max_ulp=0, nan="exact") -> Report

    Computes function(*inputs) with this module and compares it with got, the
    device's results, element by element: a value matches when its distance
    (ulp_distance) is at most max_ulp (0: the same bits; -0 against +0 is a
    mismatch then), never a NaN against a number or an infinity against a
    finite value.  nan="any" accepts any NaN where a NaN is expected.
    function is a ufunc of this module or its device name; got has the
    result's shape and dtype (for a pair function, two arrays), given by
    keyword or as the last positional argument.
    """
    ufunc = _ufunc_named(function)
    if got is not None:
        args = args + (got,)
    if len(args) != ufunc.nin + 1:
        raise TypeError(f"check of {ufunc.__name__} takes {ufunc.nin} inputs and got, not {len(args)} arrays")
    if nan not in ("exact", "any"):
        raise ValueError(f"nan must be 'exact' or 'any', not {nan!r}")
    if isinstance(max_ulp, bool) or not isinstance(max_ulp, (int, _np.integer)) or not 0 <= max_ulp < 2**64:
        raise ValueError(f"max_ulp must be an integer from 0 to 2**64 - 1, not {max_ulp!r}")
    expected = _as_outputs(ufunc(*args[:-1]), ufunc.nout, "the result")
    got = _as_outputs(args[-1], ufunc.nout, "got")
    total, kept = None, []
    for e, g in zip(expected, got):  # one array, or both of a pair
        e = _np.asarray(e)
        g = _np.asarray(g) if isinstance(g, _np.ndarray) else _np.asarray(g, dtype=e.dtype)
        if g.dtype != e.dtype or g.shape != e.shape:
            raise ValueError(f"got is {g.dtype} of shape {g.shape}; {ufunc.__name__} gives {e.dtype} of shape {e.shape}")
        native = e.dtype.newbyteorder("=")
        e_flat = _np.ascontiguousarray(e, native).reshape(-1)
        g_flat = _np.ascontiguousarray(g, native).reshape(-1)
        kind = _result_kind(ufunc, e.dtype)
        figures = _hostmath._compare(kind, e_flat, g_flat, int(max_ulp), nan == "any", _KEPT_MISMATCHES)
        index = (lambda i: tuple(int(k) for k in _np.unravel_index(i, e.shape))) if e.ndim > 1 else int
        figures["worst_index"] = index(figures["worst_index"]) if e.size else None  # an empty array has no index
        kept += [(i, index(i), _format_value(kind, e_flat[i]), _format_value(kind, g_flat[i]))
                 for i in figures["first_mismatches"]]
        total = figures if total is None else _merge(total, figures)
    kept = [m[1:] for m in sorted(kept, key=lambda m: m[0])[:_KEPT_MISMATCHES]]
    return Report(ufunc.__name__, int(max_ulp), nan, total, kept)


def _merge(a, b):
    """The figures of two outputs of one pair function, together."""
    merged = {k: a[k] + b[k] for k in ("elements", "identical", "mismatches")}
    first = a if a["worst"] >= b["worst"] else b
    merged["worst"], merged["worst_index"] = first["worst"], first["worst_index"]
    merged["histogram"] = dict(a["histogram"])
    for label, count in b["histogram"].items():
        merged["histogram"][label] = merged["histogram"].get(label, 0) + count
    return merged
