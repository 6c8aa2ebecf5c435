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
functions as the ``hostmath check`` command does, with its report;
``ulp_distance(expected, got)`` is the distance it counts, as a ufunc (of
integers of any widths and signs, the difference of the values).
``hostmath.testing.assert_device_equal`` turns a failed check into an
AssertionError whose message is that report.
"""

import numpy as _np

from . import _hostmath

__all__ = ["check", "Report", "testing", "ulp_distance", "bfloat16_ulp_distance", "NO_DISTANCE", "registry"]

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


class Report:
    """The outcome of check, as the hostmath command's check gives it.

    str(report) (and repr) is the command's report: elements, identical,
    mismatches, the worst distance and its index, the histogram and the first
    mismatches with their inputs, expected and got values as values and bits.
    The figures: elements, identical, mismatches (values the rules do not
    accept), worst (largest distance, NaN against number and infinity against
    finite values excluded) and worst_index (None for empty arrays),
    histogram (bin label -> count) and first_mismatches (list of (index,
    expected, got)).  A pair counts as two values per element, with the
    trailing axis of the pair in its indices, as the command counts a pair
    file.  json is the command's --json report.  True when there is no
    mismatch.
    """

    def __init__(self, function, max_ulp, nan, figures):
        self.function = function
        self.max_ulp = max_ulp
        self.nan = nan
        self.elements = figures["elements"]
        self.identical = figures["identical"]
        self.mismatches = figures["mismatches"]
        self.worst = figures["worst"]
        self.worst_index = _index(figures["worst_index"])
        self.histogram = figures["histogram"]
        self.first_mismatches = [(_index(i), e, g) for i, e, g in figures["first_mismatches"]]
        self.text = figures["text"]
        self.json = figures["json"]

    @property
    def passed(self):
        return self.mismatches == 0

    def __bool__(self):
        return self.passed

    def __str__(self):
        return self.text

    def __repr__(self):
        return self.text


def _index(index):
    """A multi-dimensional index as a tuple, of one axis as an int; None stays None."""
    if index is None:
        return None
    return int(index[0]) if len(index) == 1 else tuple(int(i) for i in index)


def _as_outputs(values, count, what):
    if count == 1:
        return (values,)
    if not isinstance(values, (tuple, list)) or len(values) != count:
        raise ValueError(f"{what} must be {count} arrays for a function with {count} results")
    return tuple(values)


def _loop_of(ufunc, inputs, expected):
    """The loop (index into ufunc.types) that computed expected from inputs: the one whose results
    have expected's types and whose parameters are the inputs' types, else the first that takes
    them by safe casts, as the ufunc picks it."""
    out = "".join(e.dtype.char for e in expected)
    given = [_np.asarray(x).dtype for x in inputs]
    loops = [j for j, t in enumerate(ufunc.types) if t.split("->")[1] == out]
    for j in loops:
        if all(d.char == t for d, t in zip(given, ufunc.types[j])):
            return j
    for j in loops:
        if all(_np.can_cast(d, t) for d, t in zip(given, ufunc.types[j])):
            return j
    return loops[0]


def _native(a, dtype=None):
    """a as a C-contiguous flat array in the machine's byte order."""
    a = _np.asarray(a) if dtype is None else _np.asarray(a).astype(dtype, copy=False)
    return _np.ascontiguousarray(a, a.dtype.newbyteorder("=")).reshape(-1)


def check(function, *args, got=None, max_ulp=0, nan="exact"):
    """check(function, *inputs, got, max_ulp=0, nan="exact") -> Report

    Computes function(*inputs) with this module and compares it with got, the
    device's results, element by element: a value matches when its distance
    (ulp_distance) is at most max_ulp (0: the same bits; -0 against +0 is a
    mismatch then), never a NaN against a number or an infinity against a
    finite value.  nan="any" accepts any NaN where a NaN is expected.
    function is a ufunc of this module or its device name; the inputs
    broadcast as the ufunc broadcasts them; got has the result's shape and
    dtype (float16 results may also be given as uint16 patterns; for a pair
    function, two arrays), given by keyword or as the last positional
    argument.
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
    inputs = args[:-1]
    expected = tuple(_np.asarray(e) for e in _as_outputs(ufunc(*inputs), ufunc.nout, "the result"))
    got = _as_outputs(args[-1], ufunc.nout, "got")
    checked = []
    for e, g in zip(expected, got):  # one array, or both of a pair
        g = _np.asarray(g) if isinstance(g, _np.ndarray) else _np.asarray(g, dtype=e.dtype)
        if e.dtype == _np.float16 and g.dtype == _np.uint16 and g.shape == e.shape:
            g = g.view(_np.float16)
        if g.dtype != e.dtype or g.shape != e.shape:
            raise ValueError(f"got is {g.dtype} of shape {g.shape}; {ufunc.__name__} gives {e.dtype} of shape {e.shape}")
        checked.append(g)
    loop = _loop_of(ufunc, inputs, expected)
    signature, params, (kind, components) = _hostmath.loops[ufunc.__name__][loop]
    shape = expected[0].shape
    # Each parameter's operands, as the loop's types, broadcast to the result's shape; a pair's two side by side.
    operands = iter(zip(inputs, ufunc.types[loop]))
    described = []
    for param_kind, count in params:
        parts = [_np.broadcast_to(_np.asarray(x).astype(t, copy=False), shape) for x, t in (next(operands) for _ in range(count))]
        described.append((param_kind, count, _native(_np.stack(parts, axis=-1))))
    e = _np.stack(expected, axis=-1) if components == 2 else expected[0]
    g = _np.stack(checked, axis=-1) if components == 2 else checked[0]
    figures = _hostmath._check(signature, kind, components, _native(e), _native(g), e.shape, described,
                               int(max_ulp), nan == "any", _KEPT_MISMATCHES)
    return Report(signature, int(max_ulp), nan, figures)


from . import testing  # noqa: E402  (it builds on check)
