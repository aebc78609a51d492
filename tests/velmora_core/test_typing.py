"""Static checks: mypy --strict and pyright on the package and the typed sample, the misuse
file's expected errors, and stubtest of the extension's stubs against the installed module.

Settings come from pyproject.toml ([tool.mypy], [tool.basedpyright]). The stubs are read
from the installed wheel, so the installed copy must be the source tree's (`make install`).
"""

import json
import os
import pathlib
import re
import subprocess
import sys
import sysconfig

import pytest
from helpers import ROOT

TYPING_DIR = "tests/velmora_core/typing"
TYPING = ROOT / TYPING_DIR
STUBS = "velmora_core_rs-stubs/__init__.pyi"
PYRIGHT = pathlib.Path(sys.executable).parent / "basedpyright"

# The sanitizer venv has no type checkers; these checks do not depend on how the module was built.
pytestmark = pytest.mark.skipif(bool(os.environ.get("VELMORA_SANITIZED")), reason="static checks run in the plain suite")


def run(*command):
    return subprocess.run(command, cwd=ROOT, capture_output=True, text=True, timeout=300)


def mypy(*paths):
    return run(sys.executable, "-m", "mypy", *paths)


def pyright(*paths):
    return run(str(PYRIGHT), "--pythonpath", sys.executable, *paths)


def test_installed_stubs_are_the_source_tree_s():
    installed = pathlib.Path(sysconfig.get_paths()["purelib"]) / STUBS
    assert installed.read_bytes() == (ROOT / "python" / STUBS).read_bytes(), "stale install: run `make install`"


def test_package_and_sample_pass_both_checkers():
    checked = mypy("python/velmora_core", f"{TYPING_DIR}/sample.py")
    assert checked.returncode == 0, checked.stdout
    checked = pyright(f"{TYPING_DIR}/sample.py")
    assert checked.returncode == 0, checked.stdout
    ran = run(sys.executable, f"{TYPING_DIR}/sample.py")
    assert ran.returncode == 0, ran.stderr


def expected_error_lines():
    lines = (TYPING / "misuse.py").read_text().splitlines()
    return {number for number, line in enumerate(lines, 1) if "  # error: " in line}


def mypy_error_lines():
    result = mypy(f"{TYPING_DIR}/misuse.py")
    assert result.returncode == 1, result.stdout
    return {int(n) for n in re.findall(rf"^{re.escape(TYPING_DIR)}/misuse\.py:(\d+): error:", result.stdout, re.M)}


def pyright_error_lines():
    result = pyright("--outputjson", f"{TYPING_DIR}/misuse.py")
    diagnostics = json.loads(result.stdout)["generalDiagnostics"]
    return {d["range"]["start"]["line"] + 1 for d in diagnostics if d["severity"] == "error"}


@pytest.mark.parametrize("error_lines", [mypy_error_lines, pyright_error_lines], ids=["mypy", "pyright"])
def test_misuses_are_rejected_line_by_line(error_lines):
    expected = expected_error_lines()
    assert len(expected) == 14
    assert error_lines() == expected


def test_stubs_match_the_installed_module():
    # No allowlist: every name, parameter name and parameter kind matches the module.
    checked = run(sys.executable, "-m", "mypy.stubtest", "velmora_core_rs")
    assert checked.returncode == 0, checked.stdout + checked.stderr
