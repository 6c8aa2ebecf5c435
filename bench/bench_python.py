#!/usr/bin/python3
"""Times the hostmath ufuncs on contiguous arrays and writes the Python section
of docs/benchmarks.md.

Usage: PYTHONPATH=build/default/python bench/bench_python.py [--log2-size N]
       [--repetitions N] [--library build/default/libhostmath.so] [--no-write]

Per element, the best of the repetitions, over 2^24 elements by default:
  - every ufunc with an array form against that array form called directly
    (through ctypes, one call for the whole array), both writing into a
    preallocated output: the cost of the ufunc layer;
  - __float2half_rn against x.astype(np.float16), and erfinv, erfcx, normcdf
    against scipy.special.erfinv, erfcx, ndtr, all allocating their result as
    a user's call does.  SciPy is a benchmark peer only.
"""
import argparse
import ctypes
import datetime
import os
import re
import subprocess
import time

import numpy as np

import hostmath

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BEGIN, END = "<!-- bench_python: begin -->", "<!-- bench_python: end -->"

# Arguments per array form: (dtype, low, high) for uniform values, or a dtype
# alone for random bit patterns.
INPUTS = {
    "__float2bfloat16_rn": ("f", -1e5, 1e5), "__float2bfloat16_rz": ("f", -1e5, 1e5),
    "__float2bfloat16_rd": ("f", -1e5, 1e5), "__float2bfloat16_ru": ("f", -1e5, 1e5),
    "__double2bfloat16": ("d", -1e5, 1e5), "__bfloat162float": "H",
    "__float2half_rn": ("f", -6e4, 6e4), "__float2half_rz": ("f", -6e4, 6e4),
    "__float2half_rd": ("f", -6e4, 6e4), "__float2half_ru": ("f", -6e4, 6e4),
    "__double2half": ("d", -6e4, 6e4), "__half2float": "e",
    "erfinv": ("d", -1, 1), "erfinvf": ("f", -1, 1), "erfcinv": ("d", 0, 2), "erfcinvf": ("f", 0, 2),
    "erfcx": ("d", -5, 30), "erfcxf": ("f", -5, 30), "normcdf": ("d", -10, 10), "normcdff": ("f", -10, 10),
}
SCIPY_PEERS = {"erfinv": "erfinv", "erfinvf": "erfinv", "erfcx": "erfcx", "erfcxf": "erfcx",
               "normcdf": "ndtr", "normcdff": "ndtr"}


def make_input(source, n, rng):
    if isinstance(source, str):
        return rng.integers(0, 1 << 16, n, dtype=np.uint16).view(source)
    dtype, low, high = source
    return rng.uniform(low, high, n).astype(dtype)


def best_times(calls, repetitions):
    """The best time of each call, the calls taking turns so that the machine's
    load falls on them alike."""
    best = [float("inf")] * len(calls)
    for _ in range(repetitions):
        for k, call in enumerate(calls):
            start = time.perf_counter()
            call()
            best[k] = min(best[k], time.perf_counter() - start)
    return best


def array_forms(library):
    """name -> ctypes function of qx_math_func_host_batch_<name>, by demangled name."""
    lib = ctypes.CDLL(library)
    mangled = subprocess.run(["nm", "-D", "--defined-only", library], capture_output=True, text=True, check=True)
    names = [line.split()[-1] for line in mangled.stdout.splitlines()]
    plain = subprocess.run(["c++filt"], input="\n".join(names), capture_output=True, text=True, check=True)
    forms = {}
    for symbol, readable in zip(names, plain.stdout.splitlines()):
        match = re.match(r"qx_math_func_host_batch_(\w+)\(", readable)
        if match:
            function = getattr(lib, symbol)
            function.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_size_t]
            function.restype = None
            forms[match.group(1)] = function
    return forms


def measure(n, repetitions, library):
    rng = np.random.default_rng(1)
    forms = array_forms(library)
    ns = 1e9 / n
    layer, peers = [], []
    for name, source in INPUTS.items():
        x = make_input(source, n, rng)
        ufunc = getattr(hostmath, name)
        out = np.empty_like(ufunc(x[:1]), shape=n)
        form = forms[name]
        t_form, t_ufunc = best_times([lambda: form(x.ctypes.data, out.ctypes.data, n), lambda: ufunc(x, out=out)],
                                     repetitions)
        layer.append((name, t_form * ns, t_ufunc * ns))
        peer = None
        if name == "__float2half_rn":
            label, peer = "x.astype(np.float16)", lambda: x.astype(np.float16)
        if name in SCIPY_PEERS:
            import scipy.special
            label = f"scipy.special.{SCIPY_PEERS[name]} ({x.dtype})"
            peer = lambda: getattr(scipy.special, SCIPY_PEERS[name])(x)  # noqa: E731
        if peer:
            ours, theirs = best_times([lambda: ufunc(x), peer], repetitions)
            peers.append((name, label, ours * ns, theirs * ns))
    return layer, peers


def section(n, repetitions, layer, peers):
    load = ", ".join(f"{v:.2f}" for v in os.getloadavg())
    versions = f"NumPy {np.__version__}"
    try:
        import scipy
        versions += f", SciPy {scipy.__version__}"
    except ImportError:
        pass
    lines = [
        BEGIN,
        "## Python ufuncs",
        "",
        f"Measured on {datetime.date.today()} with `bench/bench_python.py`: time per element over contiguous arrays "
        f"of 2^{n.bit_length() - 1} elements, the best of {repetitions} runs; {versions}; load average at the "
        f"start {load}.",
        "",
        "The ufunc layer: each ufunc against the array form it calls, both writing into a preallocated array "
        "(`f(x, out=y)`; the array form called once through ctypes). The ufunc makes that one call for a whole "
        "contiguous array, so the two columns differ by a constant of microseconds; spread beyond that is the "
        "machine's load.",
        "",
        "| function | array form (ns) | ufunc (ns) | ratio |",
        "|---|---:|---:|---:|",
    ]
    lines += [f"| `{name}` | {form:.3g} | {ufunc:.3g} | {ufunc / form:.2f} |" for name, form, ufunc in layer]
    lines += [
        "",
        "Against NumPy's conversion and SciPy's special functions, each call allocating its result "
        "(SciPy's results are not the device's bits).",
        "",
        "| function | peer | hostmath (ns) | peer (ns) | ratio |",
        "|---|---|---:|---:|---:|",
    ]
    lines += [f"| `{name}` | `{peer}` | {ours:.3g} | {theirs:.3g} | {ours / theirs:.3g} |"
              for name, peer, ours, theirs in peers]
    return "\n".join(lines + [END])


def write(text, path):
    """Replaces the section between the markers, or appends it."""
    with open(path) as f:
        doc = f.read()
    if BEGIN in doc and END in doc:
        doc = doc[:doc.index(BEGIN)] + text + doc[doc.index(END) + len(END):]
    else:
        doc = doc.rstrip("\n") + "\n\n" + text + "\n"
    with open(path, "w") as f:
        f.write(doc)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--log2-size", type=int, default=24)
    parser.add_argument("--repetitions", type=int, default=5)
    parser.add_argument("--library", default=os.path.join(ROOT, "build/default/libhostmath.so"))
    parser.add_argument("--no-write", action="store_true", help="print the section only")
    args = parser.parse_args()
    n = 1 << args.log2_size
    text = section(n, args.repetitions, *measure(n, args.repetitions, args.library))
    print(text)
    if not args.no_write:
        write(text, os.path.join(ROOT, "docs/benchmarks.md"))


if __name__ == "__main__":
    main()
