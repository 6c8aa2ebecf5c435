#!/usr/bin/env python3
"""hostmath eval and check over array files: planted errors, malformed files,
and eval -> check round trips.  The fixtures are written here with the
standard library alone.  Usage: test_arrays.py HOSTMATH [EMULATOR...]"""
import json
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

HOSTMATH = sys.argv[2:] + sys.argv[1:2]
umask = os.umask(0o022)
os.umask(umask)
failures = []


def run(*args):
    p = subprocess.run(HOSTMATH + list(args), capture_output=True, text=True, errors="replace")
    return p.returncode, p.stdout, p.stderr


def expect(name, ok, detail=""):
    if not ok:
        failures.append(f"{name}: {detail}")


def npy(descr, shape, data, version=(1, 0), fortran=False, padding=0):
    """The bytes of an .npy file; data is the raw element bytes."""
    shape_text = "(" + "".join(f"{d}, " for d in shape).rstrip(" ") + ")" if len(shape) != 1 else f"({shape[0]},)"
    header = f"{{'descr': '{descr}', 'fortran_order': {fortran}, 'shape': {shape_text}, }}"
    header += " " * padding
    size = 2 if version[0] == 1 else 4
    header += " " * (-(8 + size + len(header) + 1) % 64) + "\n"
    return (b"\x93NUMPY" + bytes(version) + len(header).to_bytes(size, "little") + header.encode() + data)


def read_npy(path):
    """(descr, shape, data bytes) of an .npy file that hostmath wrote."""
    raw = open(path, "rb").read()
    assert raw[:6] == b"\x93NUMPY", path
    size = 2 if raw[6] == 1 else 4
    length = int.from_bytes(raw[8:8 + size], "little")
    header = raw[8 + size:8 + size + length].decode()
    descr = re.search(r"'descr': '([^']*)'", header).group(1)
    shape = tuple(int(d) for d in re.findall(r"\d+", re.search(r"'shape': \(([^)]*)\)", header).group(1)))
    return descr, shape, raw[8 + size + length:]


def write(directory, name, content):
    path = os.path.join(directory, name)
    with open(path, "wb") as f:
        f.write(content)
    return path


def f32(values):
    return struct.pack(f"<{len(values)}f", *values)


def planted_errors(d):
    """check reports exactly the planted differences, across chunks and threads."""
    n = 40000  # more than one chunk of work per thread
    x = [((i * 7919) % 20001 - 10000) / 10000.5 for i in range(n)]
    x[30000] = 0.0  # erfinvf(0) = +0: the -0/+0 swap
    x[35000] = 2.0  # erfinvf(2) = NaN: the payload change
    xs = write(d, "x.npy", npy("<f4", (2, n // 2), f32(x)))
    ref = os.path.join(d, "ref.npy")
    status, _, err = run("eval", "erfinvf", "--in", xs, "--out", ref)
    expect("eval erfinvf", status == 0, err)
    descr, shape, data = read_npy(ref)
    bits = list(struct.unpack(f"<{n}I", data))
    plants = {  # flat index -> (new bits, distance, histogram bin)
        5: (bits[5] + 1, 1, "1"),
        17000: (bits[17000] - 2, 2, "2"),
        25000: (bits[25000] + 3, 3, "3-4"),
        30000: (0x80000000, 0, "0 (other bits)"),
        35000: (bits[35000] ^ 1, 0, "0 (other bits)"),
        39999: (0x7FC00000, None, "NaN vs number"),
    }
    for i, (b, _, _) in plants.items():
        bits[i] = b
    got = write(d, "got.npy", npy(descr, shape, struct.pack(f"<{n}I", *bits)))
    # (options, mismatches expected, exit status)
    for options, mismatches, status in [
        ([], [5, 17000, 25000, 30000, 35000, 39999], 1),
        (["--max-ulp", "3"], [35000, 39999], 1),
        (["--max-ulp", "2", "--nan", "any"], [25000, 39999], 1),
    ]:
        code, out, err = run("check", "erfinvf", "--in", xs, "--got", got, "--json", "-j", "3", *options)
        name = "planted errors " + " ".join(options)
        expect(name, code == status, f"status {code} {err}")
        report = json.loads(out)
        shown = [m["index"][0] * (n // 2) + m["index"][1] for m in report["first_mismatches"]]
        expect(name, report["mismatches"] == len(mismatches) and shown == mismatches, out)
    histogram = {}
    for _, _, b in plants.values():
        histogram[b] = histogram.get(b, 0) + 1
    histogram["identical"] = n - len(plants)
    code, out, _ = run("check", "erfinvf", "--in", xs, "--got", got, "--json")
    report = json.loads(out)
    expect("histogram", report["histogram"] == histogram, report["histogram"])
    distances = [m["distance"] for m in report["first_mismatches"]]
    expect("distances", distances == [p[1] for p in plants.values()], distances)
    expect("worst", report["worst_distance"] == 3 and report["worst_index"] == [1, 5000], out)
    code, out, _ = run("check", "erfinvf", "--in", xs, "--got", got, "--show", "1")
    expect("text report", "worst distance: 3 ulp at [1, 5000]" in out and "(1 ulp)" in out
           and out.count("expected") == 1, out)


def malformed_files(d):
    """Each bad file or usage gets its message and exit status 2."""
    good = npy("<f4", (3,), f32([0.1, 0.2, 0.3]))
    header_only = npy("<f4", (3,), b"")
    rows = [  # (name, file content, extra arguments, message pattern)
        ("missing file", None, [], "cannot open .*No such file"),
        ("not an .npy file", b"0.1 0.2 0.3\n", [], "not an .npy file"),
        ("unsupported version", npy("<f4", (3,), f32([1, 2, 3]), version=(4, 0)), [], "unsupported .npy version 4.0"),
        ("truncated header", good[:20], [], "truncated header"),
        ("truncated data", good[:-1], [], "truncated data"),
        ("dtype mismatch", npy("<f8", (3,), bytes(24)), [], "dtype float64 does not match argument 1"),
        ("Fortran order", npy("<f4", (3,), f32([1, 2, 3]), fortran=True), [], "Fortran order"),
        ("big-endian", npy(">f4", (3,), bytes(12)), [], "big-endian"),
        ("object dtype", npy("|O", (3,), bytes(24)), [], "object dtype"),
        ("structured dtype", header_only.replace(b"'<f4'", b"[('a', '<f4')]"), [], "structured dtype"),
        ("raw size", b"1234567", ["--raw"], "not a multiple of the element size"),
        ("oversized header", npy("<f4", (3,), f32([1, 2, 3]), (2, 0), padding=2**21), [], "header of 2097.* the limit"),
        ("shape overflow", npy("<f4", (2**32, 2**32), b""), [], r"bad\.npy': array shape \(4294967296, 4294967296\) is too"),
        ("bytes from 0x80 escaped", header_only.replace(b"'descr'", b"'\x9bdescr'"), [], r"key '\\x9bdescr'"),
        ("got shape differs", good, ["--got", write(d, "g4.npy", npy("<f4", (4,), bytes(16)))], "shapes differ"),
        ("got dtype differs", good, ["--got", write(d, "g8.npy", npy("<f8", (3,), bytes(24)))], "does not match the result"),
        ("too many inputs", good, ["--in", write(d, "y.npy", good)], "takes 1 input array"),
        ("unknown option", good, ["--frobnicate"], "unknown option '--frobnicate'"),
    ]
    for name, content, extra, pattern in rows:
        path = os.path.join(d, "missing.npy") if content is None else write(d, "bad.npy", content)
        got = [] if "--got" in extra else ["--got", path]
        code, out, err = run("check", "erfinvf", "--in", path, *got, *extra)
        expect(name, code == 2 and out == "" and re.search(pattern, err), f"status {code}, stderr {err!r}")
    a = write(d, "a.npy", npy("<f4", (3,), bytes(12)))
    b = write(d, "b.npy", npy("<f4", (2,), bytes(8)))
    code, _, err = run("eval", "max(float, float)", "--in", a, "--in", b, "--out", os.path.join(d, "m.npy"))
    expect("input shapes differ", code == 2 and "shapes differ" in err, err)
    # A pipe is read into memory up to a limit, 256 MiB: a longer one is refused.
    head = subprocess.Popen(["head", "-c", str(2**28 + 1), "/dev/zero"], stdout=subprocess.PIPE)
    p = subprocess.run(HOSTMATH + ["check", "erfinvf", "--raw", "--in", "/dev/stdin", "--got", a], stdin=head.stdout,
                       capture_output=True, text=True, errors="replace")
    head.stdout.close()
    head.wait()
    expect("endless pipe", p.returncode == 2 and "the limit of an input that is not a regular file" in p.stderr, p.stderr)
    # A bad --out fails before any work and leaves nothing behind.
    for target in [os.path.join(d, "no", "dir.npy"), d]:
        code, _, err = run("eval", "erfinvf", "--in", a, "--out", target)
        expect("bad --out " + target, code == 2 and "cannot write" in err, err)
    leftovers = [f for f in os.listdir(d) if ".tmp." in f or f == "m.npy"]
    expect("no partial output", not leftovers, leftovers)


def round_trips(d):
    """eval -> check gives 0 mismatches, and eval agrees with the scalar command."""
    n = 300
    ints = [(i * 2654435761) % 2**32 - 2**31 for i in range(n)]
    patterns = [i * 217 % 65536 for i in range(2 * n)]
    arrays = {  # name -> (descr, shape, struct code, values); floats travel as bit patterns
        "f32": ("<f4", (n,), "I", [struct.unpack("<I", f32([(i - 150) / 37.0]))[0] for i in range(n)]),
        "f64": ("<f8", (n,), "Q", [struct.unpack("<Q", struct.pack("<d", (i + 0.5) / n * 2))[0] for i in range(n)]),
        "u16": ("<u2", (n,), "H", patterns[:n]),
        "f16": ("<f2", (n,), "H", patterns[n:]),
        "i32": ("<i4", (n,), "i", ints),
        "u32": ("<u4", (n,), "I", [v % 2**32 for v in ints[::-1]]),
        "pair": ("<u2", (n, 2), "H", patterns),
    }

    def words(k, i):
        descr, shape, _, values = arrays[k]
        per = len(values) // n
        prefix = "bits:" if descr in ("<f4", "<f8") else ""
        return [prefix + str(v) for v in values[i * per:(i + 1) * per]]

    for k, (descr, shape, code, values) in arrays.items():
        arrays[k] = (descr, shape, struct.pack(f"<{len(values)}{code}", *values), values)
    files = {k: write(d, k + ".npy", npy(*v[:3])) for k, v in arrays.items()}
    for function, inputs in [
        ("__float2bfloat16_rn", ["f32"]), ("__floats2bfloat162_rn", ["f32", "f32"]), ("__bfloat1622float2", ["pair"]),
        ("__bfloat162int_rz", ["u16"]), ("__half2float", ["f16"]), ("__float2half_rz", ["f32"]),
        ("erfcinv", ["f64"]), ("normcdff", ["f32"]), ("erfcx", ["f64"]), ("sincospif", ["f32"]),
        ("rsqrtf", ["f32"]), ("max(int, unsigned int)", ["i32", "u32"]),
    ]:
        args = [a for k in inputs for a in ("--in", files[k])]
        out = os.path.join(d, "r.npy")
        code, _, err = run("eval", function, *args, "--out", out)
        code2, report, err2 = run("check", function, *args, "--got", out, "--json")
        expect("round trip " + function, code == 0 and code2 == 0 and json.loads(report)["mismatches"] == 0, err + err2)
        descr, shape, data = read_npy(out)
        width = {"1": 1, "2": 2, "4": 4, "8": 8}[descr[-1]]
        per = len(data) // n
        for i in (0, 1, n // 2, n - 1):
            _, line, _ = run(function, *[w for k in inputs for w in words(k, i)])
            bits = [int(w, 16) for w in line.split()[1::2]]
            element = data[i * per:(i + 1) * per]
            want = [int.from_bytes(element[j:j + width], "little") for j in range(0, per, width)]
            expect(f"eval {function} [{i}]", bits == want, f"scalar {line.strip()} vs array {want}")
    # Raw files: the same values without headers.
    raw_in = write(d, "x.raw", arrays["f32"][2])
    raw_out = os.path.join(d, "r.raw")
    code, _, err = run("eval", "__float2half_rn", "--raw", "--dtype", "f32,f16", "--in", raw_in, "--out", raw_out)
    code2, _, err2 = run("check", "__float2half_rn", "--raw", "--dtype", "f32", "--in", raw_in, "--got", raw_out)
    expect("raw round trip", code == 0 and code2 == 0 and os.path.getsize(raw_out) == 2 * n, err + err2)


def outputs(d):
    """Replacing an --out keeps its mode (and owner, where the user may give it); one the user may not write
    is refused unless --force; a name of 255 bytes works (its temporary name is cut short)."""
    x = write(d, "x.npy", npy("<f4", (3,), f32([0.1, 0.2, 0.3])))
    os.chmod(os.path.dirname(d), 0o711)  # for the run as another user
    os.chmod(d, 0o777)
    os.chmod(x, 0o644)
    as_nobody = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] if os.geteuid() == 0 else []
    if as_nobody and not (shutil.which("setpriv") and subprocess.run(as_nobody + ["true"]).returncode == 0):
        as_nobody = None  # no way to run as a user whose permissions count
    rows = [  # (name, existing mode or None, owner, run as, extra options, status, mode afterwards)
        ("private file", 0o600, None, [], [], 0, 0o600),
        ("new file", None, None, [], [], 0, 0o666 & ~umask),
        ("another owner's file", 0o640, 65534, [], [], 0, 0o640),
        ("read-only file", 0o444, None, as_nobody, [], 2, 0o444),
        ("read-only file, forced", 0o444, None, as_nobody, ["--force"], 0, 0o444),
        ("255-byte name", None, None, [], [], 0, 0o666 & ~umask),
    ]
    for name, mode, owner, user, extra, status, mode_after in rows:
        if user is None or (owner is not None and os.geteuid() != 0):
            continue
        out = os.path.join(d, "a" * 255 if "255" in name else "out.npy")
        if mode is not None:
            write(d, os.path.basename(out), b"old")
            os.chmod(out, mode)
            if user or owner:
                os.chown(out, owner or 65534, -1)
        p = subprocess.run(user + HOSTMATH + ["eval", "erfinvf", "--in", x, "--out", out, *extra],
                           capture_output=True, text=True, errors="replace")
        if not os.path.exists(out):
            expect(name, False, f"status {p.returncode}, no output: {p.stderr}")
            continue
        st = os.stat(out)
        replaced = open(out, "rb").read() != b"old"
        expect(name, p.returncode == status and replaced == (status == 0) and st.st_mode & 0o7777 == mode_after
               and (owner is None or st.st_uid == owner) and (status == 0 or "out.npy': Permission denied" in p.stderr),
               f"status {p.returncode}, mode {st.st_mode & 0o7777:o}, uid {st.st_uid}, replaced {replaced}, {p.stderr}")
        os.unlink(out)
    leftovers = [f for f in os.listdir(d) if ".tmp." in f]
    expect("outputs leave no temporary file", not leftovers, leftovers)


def interruptions(d):
    """An input that changes while it is read is reported (exit 2), and SIGINT, SIGTERM and SIGHUP end a run by
    the signal; neither leaves the temporary output file behind, nor a partial output."""
    out = os.path.join(d, "o.npy")

    def leftovers():
        return [f for f in os.listdir(d) if ".tmp." in f or f == "o.npy"]

    n = 1 << 20
    fifo = os.path.join(d, "fifo")
    os.mkfifo(fifo)
    # The second input is a pipe: by the time it is open, the first is mapped and may be cut short.  Cut
    # whole pages off, it faults (SIGBUS); cut part of the last page, it reads zeros where data were.
    for size in (65536, 4 * n + 128 - 2):
        big = write(d, "big.npy", npy("<f4", (n,), bytes(4 * n)))
        p = subprocess.Popen(HOSTMATH + ["eval", "max(float, float)", "--in", big, "--in", fifo, "--out", out,
                                         "-j", "2"], stderr=subprocess.PIPE, text=True, errors="replace")
        while p.poll() is None:  # until the command opens the pipe (or fails before)
            try:
                fd = os.open(fifo, os.O_WRONLY | os.O_NONBLOCK)
            except OSError:
                time.sleep(0.001)
                continue
            os.truncate(big, size)
            os.set_blocking(fd, True)
            with open(fd, "wb") as f:
                f.write(npy("<f4", (n,), bytes(4 * n)))
            break
        err = p.communicate()[1]
        expect(f"input cut to {size} bytes", p.returncode == 2 and "big.npy': input file changed while reading" in err
               and not leftovers(), f"status {p.returncode}, {err}, {leftovers()}")
        for f in leftovers():
            os.unlink(os.path.join(d, f))
    # A long run (a sparse 1 GiB input) is stopped once its temporary file is there.
    sparse = write(d, "sparse.npy", npy("<f4", (1 << 28,), b""))
    os.truncate(sparse, 128 + (4 << 28))
    signals = (signal.SIGINT, signal.SIGTERM, signal.SIGHUP)
    for sig in signals:
        p = subprocess.Popen(HOSTMATH + ["eval", "erfcxf", "--in", sparse, "--out", out, "-j", "2"],
                             preexec_fn=lambda: [signal.signal(s, signal.SIG_DFL) for s in signals])
        while not leftovers() and p.poll() is None:
            time.sleep(0.001)
        p.send_signal(sig)
        p.wait()
        expect(f"stopped by {sig.name}", p.returncode == -sig and not leftovers(), f"status {p.returncode}, {leftovers()}")
        for f in leftovers():
            os.unlink(os.path.join(d, f))


def main():
    with tempfile.TemporaryDirectory() as d:
        for test in (planted_errors, malformed_files, round_trips, outputs, interruptions):
            os.makedirs(os.path.join(d, test.__name__))
            test(os.path.join(d, test.__name__))
    for f in failures:
        print("FAIL", f)
    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
