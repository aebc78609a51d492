"""Runs the C++ test executables of the native cores (built with the modules by `make install`)."""

import os
import pathlib
import subprocess

import pytest

NATIVE_DIR = pathlib.Path(os.environ.get("VELMORA_NATIVE_TESTS_DIR", "build/release"))
SOURCES = sorted(pathlib.Path(__file__).parent.glob("test_*.cpp"))


@pytest.mark.parametrize("source", SOURCES, ids=[s.stem for s in SOURCES])
def test_native_executable(source):
    exe = NATIVE_DIR / source.stem
    assert exe.exists(), f"{exe} is not built: run `make native-tests` (or `make test`)"
    result = subprocess.run([str(exe)], capture_output=True, text=True, timeout=600)
    assert result.returncode == 0, result.stdout + result.stderr
