"""Inputs sized beyond the machine raise MemoryError; look-alike NumPy types get no fast path.

Each memory case runs in a fresh interpreter whose address space is capped a little
above what it already uses once the input is built, so the native copy of that input
cannot be had; the call must raise MemoryError (or finish, when nothing needs copying)
and the interpreter must go on working afterwards.
"""

import os
import subprocess
import sys

import numpy as np
import pytest

import velmora_core_rs as core

SANITIZED = bool(os.environ.get("VELMORA_SANITIZED"))
needs_plain_allocator = pytest.mark.skipif(
    SANITIZED,
    reason="AddressSanitizer reserves terabytes of shadow memory (RLIMIT_AS cannot apply) "
    "and reports a failed allocation as an error instead of throwing std::bad_alloc",
)

LIMITED = """
import resource, sys
import numpy as np
import velmora_core_rs as V

def address_space():
    with open("/proc/self/status") as status:
        kib = next(int(line.split()[1]) for line in status if line.startswith("VmSize:"))
    return kib * 1024

SETUP
_, hard = resource.getrlimit(resource.RLIMIT_AS)
resource.setrlimit(resource.RLIMIT_AS, (address_space() + 256 * 2**20, hard))
try:
    outcome = CALL
except MemoryError:
    outcome = "MemoryError"
del SETUP_NAMES
# The interpreter goes on working: the module, and allocations of a fair size.
line = V.evaluate_curvature_naturalness_rs([0, 1, 2, 3, 4], [0] * 5, [0, 10, 20, 30, 40])
assert line["curvature_score"] == 0.95, line
assert len(bytearray(64 * 2**20)) == 64 * 2**20
print(outcome if isinstance(outcome, str) else type(outcome).__name__)
"""

# (setup, names to drop afterwards, call, expected outcome)
CASES = {
    "float64 buffer": (
        "x = np.broadcast_to(np.float64(1.0), (2**26,))",
        "x",
        "V.evaluate_curvature_zerocopy_rs(x, x, x)",
        "MemoryError",
    ),
    "generic sequence": (
        "x = range(2**40)",
        "x",
        "V.evaluate_curvature_naturalness_rs(x, [0.0] * 4, [0.0] * 4)",
        "MemoryError",
    ),
    "movement list": (
        "moves = [{'x': 1.0, 'y': 2.0, 't': 3.0}] * 8_000_000",
        "moves",
        "V.extract_features_rs({'mouse_movements': moves})",
        "MemoryError",
    ),
    "movement list without samples": (
        "moves = [None] * 20_000_000",
        "moves",
        "V.extract_features_rs({'mouse_movements': moves})",
        "dict",
    ),
    "keystroke list": (
        "keys = [('a', 1.0, 2.0)] * 8_000_000",
        "keys",
        "V.evaluate_keystroke_dynamics_rs(keys)",
        "MemoryError",
    ),
    "hydrate_bans_rs": (
        "bans = [('a' * 1000, 2**62)] * 1_000_000",
        "bans",
        "V.hydrate_bans_rs(bans)",
        "MemoryError",
    ),
}


def run(script):
    env = dict(os.environ, OPENBLAS_NUM_THREADS="1", OMP_NUM_THREADS="1")
    return subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=300, env=env)


@needs_plain_allocator
@pytest.mark.skipif(sys.platform != "linux", reason="reads the address-space size from /proc")
@pytest.mark.parametrize("case", CASES)
def test_input_too_large_for_memory_raises_memory_error(case):
    setup, names, call, expected = CASES[case]
    script = LIMITED.replace("SETUP_NAMES", names).replace("SETUP", setup).replace("CALL", call)
    result = run(script)
    assert result.returncode == 0, result.stderr
    assert result.stdout.strip() == expected


@needs_plain_allocator
def test_broadcast_array_of_a_trillion_items_raises_instead_of_aborting():
    huge = np.broadcast_to(np.float64(1.0), (2**40,))
    for evaluate in (core.evaluate_curvature_naturalness_rs, core.evaluate_curvature_zerocopy_rs):
        with pytest.raises(MemoryError):
            evaluate(huge, [0.0] * 4, [0.0] * 4)


LOOKALIKE = """
import array, sys, types
import velmora_core_rs as V

class ndarray(array.array):
    # The raw doubles would score 0.9; the items this class yields score 0.1.
    def __iter__(self):
        return iter([0.0, 1.0, 2.0, 3.0, 4.0])

ndarray.__module__ = "numpy"
y, t = [0, 0, 3, 3, 0], [0, 10, 20, 30, 40]
scores = []
def score():
    scores.append(V.evaluate_curvature_naturalness_rs(ndarray("d", [0, 3, 3, 0, 0]), y, t)["curvature_score"])

score()  # before numpy is imported
sys.modules["numpy"] = types.SimpleNamespace(ndarray=ndarray)  # not even a module
score()
fake = types.ModuleType("numpy")
fake.ndarray = ndarray  # a module, but ndarray defined in Python
sys.modules["numpy"] = fake
score()
del sys.modules["numpy"]
import numpy as np
score()
real = V.evaluate_curvature_naturalness_rs(np.array([0.0, 3.0, 3.0, 0.0, 0.0]), y, t)["curvature_score"]
print(scores, real)
"""


def test_a_type_posing_as_numpy_ndarray_is_read_through_its_iterator():
    result = run(LOOKALIKE)
    assert result.returncode == 0, result.stderr
    assert result.stdout.split() == ["[0.1,", "0.1,", "0.1,", "0.1]", "0.9"]
