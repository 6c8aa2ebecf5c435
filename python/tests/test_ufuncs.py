"""The ufuncs against the hostmath command, which calls the same scalar functions
through its own table: loop types, overload picks, pair order and the choice
between array form and scalar loop are what can go wrong here."""
import os
import subprocess

import pytest

np = pytest.importorskip("numpy")
import hostmath  # noqa: E402

COMMAND = os.environ.get("HOSTMATH_COMMAND", "")
RNG = np.random.default_rng(20260)

# C++ type as the command names it -> the NumPy types of its operands.
TYPES = {
    "float": "f", "double": "d", "short": "h", "unsigned short": "H", "int": "i", "unsigned int": "I",
    "long": "l", "unsigned long": "L", "long long": "q", "unsigned long long": "Q",
    "__half": "e", "__quix_bfloat16": "H", "__quix_bfloat162": "HH", "float2": "ff",
}


def float_sample(dtype, n):
    """Zeros, infinities, NaNs (quiet, signalling, negative), subnormals, extremes,
    random bit patterns and random values of moderate size."""
    info = np.finfo(dtype)
    special = np.array([0.0, -0.0, np.inf, -np.inf, np.nan, -np.nan, info.tiny, -info.tiny,
                        info.smallest_subnormal, -info.smallest_subnormal, info.tiny - info.smallest_subnormal,
                        info.max, -info.max, 1, -1, 0.5, -0.5, 65504, 65520, 2.0**-24, 2.0**-25, 3e-39], dtype)
    bits = np.dtype(f"u{info.bits // 8}")
    signalling = np.array([0x7FA00000 if info.bits == 32 else 0x7FF4000000000000], bits).view(dtype)
    rest = n - special.size - 1
    patterns = RNG.integers(0, np.iinfo(bits).max, rest // 2, dtype=bits, endpoint=True).view(dtype)
    values = RNG.uniform(-8, 8, rest - rest // 2).astype(dtype)
    return np.concatenate([special, signalling, patterns, values])


def integer_sample(dtype, n):
    info = np.iinfo(dtype)
    edges = [0, 1, info.max, info.min, info.max - 1, info.min + 1, 2048, 2049, 16777217]
    edges = np.array([e for e in edges if info.min <= e <= info.max], dtype)
    return np.concatenate([edges, RNG.integers(info.min, info.max, n - edges.size, dtype=dtype, endpoint=True)])


def sample(code, n):
    dtype = np.dtype(code)
    if dtype.itemsize == 2:
        return np.arange(1 << 16, dtype=np.uint16).view(dtype)  # every 16-bit pattern
    if dtype.kind == "f":
        return float_sample(dtype, n)
    return integer_sample(dtype, n)


def command_words(x):
    """The command's spelling of each argument: floats by bit pattern, 16-bit patterns in hexadecimal."""
    if x.dtype.kind == "f" and x.dtype.itemsize > 2:
        return [f"bits:0x{b:x}" for b in x.view(f"u{x.dtype.itemsize}").tolist()]
    if x.dtype.char in "eH":
        return [f"0x{b:04x}" for b in x.view(np.uint16).tolist()]
    return [str(v) for v in x.tolist()]


def signatures():
    if not COMMAND:
        return []
    listing = subprocess.run([COMMAND, "--list"], capture_output=True, text=True, check=True).stdout
    return [line.split(" -> ") for line in listing.splitlines()]


@pytest.mark.skipif(not COMMAND, reason="the hostmath command is not built")
@pytest.mark.parametrize("signature, result", signatures())
def test_ufunc_matches_the_command(signature, result):
    name, params = signature[:-1].split("(")
    in_codes = "".join(TYPES[p] for p in params.split(", "))
    out_codes = "".join(TYPES[r.removesuffix(" sin").removesuffix(" cos")] for r in result.split(", "))
    n = 1 << 16 if any(np.dtype(c).itemsize == 2 for c in in_codes) else 4096
    inputs = [sample(code, n) for code in in_codes]
    inputs = [inputs[0]] + [RNG.permutation(x) for x in inputs[1:]]  # pairs of unrelated arguments

    ufunc = getattr(hostmath, name)
    assert isinstance(ufunc, np.ufunc) and getattr(hostmath, name.lstrip("_")) is ufunc
    got = ufunc(*inputs)
    got = got if isinstance(got, tuple) else (got,)
    assert "".join(g.dtype.char for g in got) == out_codes

    lines = "\n".join(map(" ".join, zip(*map(command_words, inputs)))) + "\n"
    run = subprocess.run([COMMAND, signature, "-"], input=lines, capture_output=True, text=True, check=True)
    words = np.array(run.stdout.split()).reshape(n, -1)[:, 1::2]
    for k, g in enumerate(got):
        expected = np.array([int(w, 16) for w in words[:, k]], np.uint64)
        mismatch = np.flatnonzero(g.view(f"u{g.dtype.itemsize}") != expected)
        assert mismatch.size == 0, f"output {k} differs for arguments {[x[mismatch[0]] for x in inputs]}"


@pytest.mark.skipif(not COMMAND, reason="the hostmath command is not built")
def test_the_ufuncs_are_the_commands_functions():
    assert set(hostmath._hostmath.function_names) == {signature.split("(")[0] for signature, _ in signatures()}


@pytest.mark.parametrize("a, b, result", [
    (np.int16(-1), np.uint16(5), np.int32(5)),           # both promote to int
    (np.float16(1), np.float16(-2), np.float32(1)),      # half goes to float
    (np.int32(-1), np.uint32(5), np.uint32(4294967295)),
    (np.longlong(-1), np.ulonglong(5), np.ulonglong(2**64 - 1)),
    (np.float32(1), np.float64(2), np.float64(2)),
])
def test_max_picks_the_overload(a, b, result):
    got = hostmath.max(a, b)
    assert got.dtype.char == result.dtype.char and got == result


def test_broadcasting_strides_out_and_where():
    x = RNG.uniform(-1, 1, (6, 8)).astype(np.float32)
    view = x[::2, ::-3]
    assert np.array_equal(hostmath.erfinvf(view), hostmath.erfinvf(view.copy()))
    half = hostmath.float2half_rd(x.T)
    assert np.array_equal(half, hostmath.float2half_rd(np.ascontiguousarray(x.T)))
    col, row = np.int32([[-1], [3]]), np.uint32([0, 2, 7])
    assert np.array_equal(hostmath.max(col, row), np.uint32([[2**32 - 1] * 3, [3, 3, 7]]))
    out = np.full(x.shape, -7, np.float32)
    hostmath.normcdff(x, out=out, where=x > 0)
    assert np.array_equal(out[x > 0], hostmath.normcdff(x[x > 0])) and np.all(out[x <= 0] == -7)


def test_dask_array_stays_lazy_and_gives_the_same_bits():
    da = pytest.importorskip("dask.array")
    x = RNG.uniform(-1, 1, 10_000).astype(np.float32)
    lazy = hostmath.erfinvf(da.from_array(x, chunks=2_500))
    assert isinstance(lazy, da.Array)
    assert np.array_equal(lazy.compute(scheduler="threads").view(np.uint32), hostmath.erfinvf(x).view(np.uint32))


def widened_bits(f32_bits):
    """A float's pattern as the double of the same value, exactly (a NaN keeps its payload, quiet or not)."""
    sign, exponent, fraction = f32_bits >> 31, (f32_bits >> 23) & 0xFF, f32_bits & 0x7FFFFF
    if exponent == 0xFF:
        return sign << 63 | 0x7FF << 52 | fraction << 29
    if exponent == 0:  # zero or subnormal: the value is exact in a double
        return int(np.float64(np.uint32(f32_bits).view(np.float32)).view(np.uint64))
    return sign << 63 | (exponent + 1023 - 127) << 52 | fraction << 29


# (double bits, float bits, max bits, min bits): a signalling NaN in either argument gives
# that NaN quietened with its payload; a quiet NaN loses; -0 < +0; a subnormal float widened exactly.
QUIET = 1 << 51
MIXED = [
    (0x3FF0000000000000, 0x7FA00001, widened_bits(0x7FA00001) | QUIET, widened_bits(0x7FA00001) | QUIET),
    (0x3FF0000000000000, 0xFF812345, widened_bits(0xFF812345) | QUIET, widened_bits(0xFF812345) | QUIET),
    (0x7FF4000000000001, 0x3F800000, 0x7FFC000000000001, 0x7FFC000000000001),
    (0x7FF8000000000000, 0x40000000, widened_bits(0x40000000), widened_bits(0x40000000)),
    (0x8000000000000000, 0x00000000, 0x0000000000000000, 0x8000000000000000),
    (0x0000000000000000, 0x00000001, widened_bits(0x00000001), 0x0000000000000000),
]


@pytest.mark.parametrize("name", ["max", "min"])
def test_mixed_overloads_run_their_own_loops(name):
    """max(double, float) and max(float, double) in every form of call give the C++ functions' bits:
    were the float cast to float64 by NumPy first, its signalling NaN would be quietened and lose."""
    ufunc = getattr(hostmath, name)
    d = np.array([c[0] for c in MIXED], np.uint64).view(np.float64)
    f = np.array([c[1] for c in MIXED], np.uint32).view(np.float32)
    want = np.array([c[2 if name == "max" else 3] for c in MIXED], np.uint64)
    forms = {
        "contiguous": lambda a, b: ufunc(a, b),
        "strided": lambda a, b: ufunc(np.repeat(a, 2)[::2], np.repeat(b, 3)[::3]),
        "broadcast": lambda a, b: ufunc(a[:, None], np.broadcast_to(b[:, None], (b.size, 3)))[:, 2],
        "scalars": lambda a, b: np.array([ufunc(x, y) for x, y in zip(a, b)]),
        "out": lambda a, b: ufunc(a, b, out=np.empty(a.shape, np.float64)),
    }
    for form, call in forms.items():
        for first, second in ((d, f), (f, d)):
            got = call(first, second)
            assert got.dtype == np.float64, form
            assert got.view(np.uint64).tolist() == want.tolist(), f"{name}{form} ({first.dtype}, {second.dtype})"
