"""check and ulp_distance on planted errors: the figures must count what the
command's check counts, bfloat16 results as bfloat16 and pairs in both outputs."""
import os
import subprocess

import pytest

np = pytest.importorskip("numpy")
import hostmath  # noqa: E402

X = np.linspace(-0.9, 0.9, 12, dtype=np.float32).reshape(3, 4)


def planted(function, changes, *inputs):
    """The function's results with values replaced at flat indices: {output: {index: value}}."""
    got = function(*inputs)
    got = [g.copy() for g in got] if isinstance(got, tuple) else [got.copy()]
    for output, values in changes.items():
        for index, value in values.items():
            got[output].reshape(-1)[index] = value
    return got if len(got) > 1 else got[0]


def off(value, ulps):
    """A float32 value moved by ulps along its pattern."""
    return (np.float32(value).view(np.uint32) + np.uint32(ulps)).view(np.float32)


E = hostmath.erfinvf(X).reshape(-1)


@pytest.mark.parametrize("function, inputs, changes, options, figures, histogram", [
    # one value 1 ulp off, one 3 ulp off, one NaN for a number
    (hostmath.erfinvf, (X,), {0: {1: off(E[1], 1), 2: off(E[2], 3), 7: np.nan}}, {},
     (12, 9, 3, 3), {"identical": 9, "1": 1, "3-4": 1, "NaN vs number": 1}),
    # within max_ulp; -0 for +0 is then accepted too
    (hostmath.erfinvf, (np.float32([0.1, 0.0]),), {0: {0: off(hostmath.erfinvf(np.float32(0.1)), 5), 1: -0.0}},
     {"max_ulp": 8}, (2, 0, 0, 5), {"5-8": 1, "0 (other bits)": 1}),
    # another NaN pattern: a mismatch unless nan="any"
    (hostmath.erfinvf, (np.float32([2.0]),), {0: {0: np.uint32(0x7FC00001).view(np.float32)}}, {}, (1, 0, 1, 0),
     {"0 (other bits)": 1}),
    (hostmath.erfinvf, (np.float32([2.0]),), {0: {0: np.uint32(0x7FC00001).view(np.float32)}}, {"nan": "any"},
     (1, 0, 0, 0), None),
    # bfloat16 patterns are measured as bfloat16: 1.0 against -1.0 is 2 * 0x3f80 apart
    (hostmath.float2bfloat16_rn, (np.float32([1.0]),), {0: {0: 0xBF80}}, {}, (1, 0, 1, 2 * 0x3F80), None),
    # an error in the cosine of a pair; both outputs counted
    (hostmath.sincospif, (X,), {1: {5: 0.5}}, {}, (24, 23, 1, None), None),
])
def test_check_counts_planted_errors(function, inputs, changes, options, figures, histogram):
    report = hostmath.check(function, *inputs, planted(function, changes, *inputs), **options)
    assert (report.elements, report.identical, report.mismatches) == figures[:3]
    assert figures[3] is None or report.worst == figures[3]
    assert histogram is None or report.histogram == histogram
    assert bool(report) == (report.mismatches == 0) and function.__name__ in repr(report)
    assert [m[0] for m in report.first_mismatches] == sorted(m[0] for m in report.first_mismatches)


def test_check_first_mismatches_by_index():
    got = planted(hostmath.erfinvf, {0: {6: 0.0}}, X)
    report = hostmath.check("erfinvf", X, got=got)  # got by keyword, as the signature reads
    assert [m[0] for m in report.first_mismatches] == [(1, 2)] and "[1, 2]  x = " in repr(report)


@pytest.mark.parametrize("call, error", [
    (lambda: hostmath.check("no_such_function", X, X), ValueError),
    (lambda: hostmath.check(np.sin, X, X), ValueError),
    (lambda: hostmath.check(hostmath.erfinvf, X, X.astype(np.float64)), ValueError),
    (lambda: hostmath.check(hostmath.erfinvf, X, X[:2]), ValueError),
    (lambda: hostmath.check(hostmath.erfinvf, X), TypeError),
    (lambda: hostmath.check(hostmath.sincospif, X, X), ValueError),
    (lambda: hostmath.check(hostmath.erfinvf, X, X, nan="some"), ValueError),
    (lambda: hostmath.check(hostmath.erfinvf, X, X, max_ulp=-1), ValueError),
])
def test_check_rejects_bad_arguments(call, error):
    with pytest.raises(error):
        call()


@pytest.mark.parametrize("function, expected, got, distance", [
    (hostmath.ulp_distance, np.float32(1), np.nextafter(np.float32(1), np.float32(2)), 1),
    (hostmath.ulp_distance, np.float64(-0.0), np.float64(0.0), 0),
    (hostmath.ulp_distance, -np.finfo(np.float16).smallest_subnormal, np.finfo(np.float16).smallest_subnormal, 2),
    (hostmath.ulp_distance, np.float64(np.nan), np.float64(1), hostmath.NO_DISTANCE),
    (hostmath.ulp_distance, np.float32(np.nan), np.float32(-np.nan), 0),
    (hostmath.ulp_distance, np.int32(-2**31), np.int32(2**31 - 1), 2**32 - 1),
    (hostmath.ulp_distance, np.uint64(0), np.uint64(2**64 - 1), 2**64 - 1),
    (hostmath.bfloat16_ulp_distance, np.uint16(0x0001), np.uint16(0x8001), 2),
    # integers of any widths and signs: the difference of the values
    (hostmath.ulp_distance, np.int8([-1]), np.int8([1]), 2),
    (hostmath.ulp_distance, np.uint8([0]), np.uint8([255]), 255),
    (hostmath.ulp_distance, np.int32([-1]), np.uint32([1]), 2),
    (hostmath.ulp_distance, np.int8([-128]), np.uint16([65535]), 65663),
    (hostmath.ulp_distance, np.int64([-5]), np.uint64([2**63]), 2**63 + 5),
    (hostmath.ulp_distance, np.uint64([2**64 - 1]), np.int64([-1]), 2**64 - 1),  # 2**64, saturated
])
def test_ulp_distance(function, expected, got, distance):
    d = function(expected, got)
    assert d == distance and d.dtype == np.uint64


@pytest.mark.parametrize("expected, got", [
    (np.bool_([True]), np.bool_([False])),
    (np.int8([1]), np.bool_([False])),
    (np.complex64([1]), np.complex64([1])),
])
def test_ulp_distance_refuses_other_types(expected, got):
    with pytest.raises(TypeError):
        hostmath.ulp_distance(expected, got)


@pytest.mark.parametrize("function, shape", [
    (hostmath.erfinvf, (0, 3)), (hostmath.erfinvf, (0,)), (hostmath.sincospif, (2, 0)),
])
def test_check_of_empty_arrays(function, shape):
    x = np.zeros(shape, np.float32)
    report = hostmath.check(function, x, got=function(x))
    assert report.elements == 0 and report.passed and report.worst_index is None


COMMAND = os.environ.get("HOSTMATH_COMMAND", "")
LOW = np.arange(0x3F00, 0x3F0C, dtype=np.uint16)


@pytest.mark.skipif(not COMMAND, reason="the hostmath command is not built")
@pytest.mark.parametrize("function, designation, inputs, got", [
    (hostmath.erfinvf, "erfinvf", (X,), planted(hostmath.erfinvf, {0: {1: off(E[1], 1), 7: np.nan}}, X)),
    (hostmath.float2bfloat16_rd, "__float2bfloat16_rd", (X,), planted(hostmath.float2bfloat16_rd, {0: {3: 0}}, X)),
    (hostmath.sincospif, "sincospif", (X,), planted(hostmath.sincospif, {1: {5: 0.5}}, X)),
    (hostmath.bfloat1622float2, "__bfloat1622float2", (LOW, LOW[::-1]),
     planted(hostmath.bfloat1622float2, {1: {4: -0.0}}, LOW, LOW[::-1])),
    (hostmath.max, "max(int, unsigned int)", (np.int32([-1, 2, 3]), np.uint32([5, 1, 9])), np.uint32([1, 2, 9])),
])
def test_report_is_the_commands(function, designation, inputs, got, tmp_path):
    """The report of check is the command's for the same arrays (in its files a pair is a trailing axis)."""
    report = hostmath.check(function, *inputs, got=got)
    pair_argument = function is hostmath.bfloat1622float2
    files = []
    for k, x in enumerate((np.stack(inputs, axis=-1),) if pair_argument else inputs):
        files += ["--in", str(tmp_path / f"in{k}.npy")]
        np.save(files[-1], x)
    np.save(tmp_path / "got.npy", np.stack(got, axis=-1) if isinstance(got, list) else got)
    run = subprocess.run([COMMAND, "check", designation, *files, "--got", str(tmp_path / "got.npy")],
                         capture_output=True, text=True)
    assert run.returncode == 1 and run.stdout == report.text
