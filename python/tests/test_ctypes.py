"""The ctypes example of README.md runs as written: the C interface from Python without the extension."""
import os
import pathlib
import re
import subprocess
import sys

import pytest

LIBRARY_DIR = os.environ.get("HOSTMATH_LIBRARY_DIR", "")
README = pathlib.Path(__file__).resolve().parents[2] / "README.md"


@pytest.mark.skipif(not LIBRARY_DIR, reason="the library's directory is not given")
def test_readme_ctypes_example():
    blocks = re.findall(r"```python\n(.*?)```", README.read_text(), re.S)
    example = next(b for b in blocks if "ctypes.CDLL" in b)
    env = dict(os.environ, LD_LIBRARY_PATH=LIBRARY_DIR)
    run = subprocess.run([sys.executable, "-c", example], capture_output=True, text=True, env=env)
    assert run.returncode == 0, run.stderr
