"""hostmath.testing in a test suite: assert_device_equal passes on the device's bits, and
otherwise raises AssertionError whose message is check's report, which pytest shows whole."""
import subprocess
import sys
import textwrap

import pytest

np = pytest.importorskip("numpy")
import hostmath  # noqa: E402
import hostmath.testing  # noqa: E402

X = np.linspace(-0.9, 0.9, 8, dtype=np.float32)
COLUMN = np.int32([[-1], [3]])
ROW = np.uint32([0, 2, 7])


def with_error(values, index, value):
    values = np.array(values, copy=True)
    values.reshape(-1)[index] = value
    return values


@pytest.mark.parametrize("function, inputs, right, wrong, first", [
    (hostmath.erfinvf, (X,), hostmath.erfinvf(X), with_error(hostmath.erfinvf(X), 3, 0.0), "[3]  x = -0.12857144 0xbe03a83b"),
    # inputs broadcast as the ufunc broadcasts them
    (hostmath.max, (COLUMN, ROW), hostmath.max(COLUMN, ROW), with_error(hostmath.max(COLUMN, ROW), 4, 0),
     "[1, 1]  x = 3 0x00000003  y = 2 0x00000002"),
    # half results as their uint16 patterns, bfloat16 results as uint16
    (hostmath.float2half_rn, (X,), hostmath.float2half_rn(X).view(np.uint16),
     with_error(hostmath.float2half_rn(X).view(np.uint16), 0, 0), "[0]  x = -0.9"),
    (hostmath.float2bfloat16_rz, (X,), hostmath.float2bfloat16_rz(X), with_error(hostmath.float2bfloat16_rz(X), 7, 1),
     "[7]  x = 0.9 0x3f666666  expected 0.8984375 0x3f66  got 9.1835e-41 0x0001"),
    # a pair function's two arrays
    (hostmath.sincospif, (X,), hostmath.sincospif(X), (hostmath.sincospif(X)[0], with_error(hostmath.sincospif(X)[1], 2, 2)),
     "[2, 1]  x = -0.3857143 0xbec57c58"),
])
def test_assert_device_equal(function, inputs, right, wrong, first):
    hostmath.testing.assert_device_equal(function, *inputs, actual=right)
    with pytest.raises(AssertionError) as failure:
        hostmath.testing.assert_device_equal(function, *inputs, actual=wrong)
    message = str(failure.value)
    assert f"{function.__name__}(" in message and "histogram:" in message and "first 1 of 1 mismatches:" in message
    assert "  " + first in message
    assert hostmath.testing.ulp_distance is hostmath.ulp_distance


def test_pytest_shows_the_report(tmp_path):
    test = tmp_path / "test_kernel.py"
    test.write_text(textwrap.dedent("""
        import numpy as np, hostmath.testing

        def test_kernel():
            x = np.float32([0.25, 0.5])
            device = hostmath.erfinvf(x)
            device[1] = np.nextafter(device[1], np.float32(1))
            hostmath.testing.assert_device_equal(hostmath.erfinvf, x, actual=device)
    """))
    run = subprocess.run([sys.executable, "-m", "pytest", "-q", "-p", "no:cacheprovider", str(test)],
                         capture_output=True, text=True, cwd=tmp_path)
    assert run.returncode == 1
    for line in ["erfinvf(float): 2 elements, 1 identical, 1 mismatches (max ulp 0, nan exact)",
                 "worst distance: 1 ulp at [1]", "histogram:", "first 1 of 1 mismatches:",
                 "[1]  x = 0.5 0x3f000000  expected 0.47693628 0x3ef430fe  got 0.4769363 0x3ef430ff  (1 ulp)"]:
        assert line in run.stdout, run.stdout
