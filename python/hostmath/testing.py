"""Assertions for test suites: a kernel's results against hostmath, with the report of ``hostmath check``.

    import hostmath.testing

    def test_erfinv_kernel():
        x = np.linspace(-1, 1, 1000, dtype=np.float32)
        hostmath.testing.assert_device_equal(hostmath.erfinvf, x, actual=run_kernel(x))

A failure raises AssertionError whose message is the report (elements,
mismatches, the worst distance and its index, the histogram, the first
mismatches with their inputs, expected and got as values and bits); pytest
shows it as it is.
"""

from . import check as _check
from . import ulp_distance

__all__ = ["assert_device_equal", "ulp_distance"]


def assert_device_equal(function, *inputs, actual, max_ulp=0, nan="exact"):
    """Raises AssertionError, with check's report as its message, unless actual matches function(*inputs).

    function is a ufunc of hostmath or its device name; the inputs broadcast as
    the ufunc broadcasts them; actual has the result's shape and dtype (half
    results float16 or uint16 patterns, bfloat16 results uint16 patterns; a
    pair function's two arrays as a tuple).  A value matches when its distance
    (ulp_distance) is at most max_ulp (0: the same bits), never a NaN against a
    number or an infinity against a finite value; nan="any" accepts any NaN
    where a NaN is expected.
    """
    __tracebackhide__ = True  # pytest shows the assertion's caller
    report = _check(function, *inputs, got=actual, max_ulp=max_ulp, nan=nan)
    if not report.passed:
        raise AssertionError("\n" + report.text)
