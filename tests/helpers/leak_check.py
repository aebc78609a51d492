"""Reference-leak detection by counting the interpreter's allocated memory blocks."""

import gc
import sys


def allocated_blocks_growth(call, repeats=5000, warmup=500):
    """Blocks still allocated after `repeats` calls, beyond those after a warm-up."""
    for _ in range(warmup):
        call()
    gc.collect()
    before = sys.getallocatedblocks()
    for _ in range(repeats):
        call()
    gc.collect()
    return sys.getallocatedblocks() - before


def assert_no_leak(call, repeats=5000, slack=50):
    """A leak of one block per call shows up as `repeats` blocks; a little slack absorbs caches."""
    growth = allocated_blocks_growth(call, repeats)
    assert growth < slack, f"{growth} blocks left allocated after {repeats} calls"
