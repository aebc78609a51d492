"""Time per call of the two curvature entry points next to a plain NumPy version.

    .venv/bin/python -m bench.bench_curvature [--repeat N]

Paths of 300 points (one feature-extraction track) and 100,000 points, given as
lists and as NumPy arrays. The NumPy version computes the same statistics with
array operations (its sums are pairwise, so it agrees only to rounding).
"""

import argparse
import math
import timeit

import numpy as np

import velmora_core_rs as core
from bench.numpy_curvature import numpy_curvature


def pointer_path(n, seed):
    """A smooth wandering path sampled about every 16 ms with jitter."""
    rng = np.random.default_rng(seed)
    heading = np.cumsum(rng.normal(0.0, 0.15, n))
    step = rng.uniform(1.0, 6.0, n)
    x = np.cumsum(step * np.cos(heading))
    y = np.cumsum(step * np.sin(heading))
    t = np.cumsum(rng.uniform(12.0, 20.0, n))
    return x, y, t


def per_call_us(fn, repeat):
    timer = timeit.Timer(fn)
    number, _ = timer.autorange()
    return min(timer.repeat(repeat=repeat, number=number)) / number * 1e6


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--repeat", type=int, default=7)
    args = parser.parse_args()

    print(f"{'points':>8} {'input':>6} {'naturalness_rs':>15} {'zerocopy_rs':>12} {'numpy':>10}  agree")
    for n in (300, 100_000):
        arrays = pointer_path(n, seed=n)
        for form, data in (("list", tuple(a.tolist() for a in arrays)), ("numpy", arrays)):
            native = core.evaluate_curvature_zerocopy_rs(*data)
            plain = numpy_curvature(*data)
            agree = all(math.isclose(native[k], plain[k], rel_tol=1e-9, abs_tol=1e-300) for k in native)
            times = [per_call_us(lambda f=f: f(*data), args.repeat)
                     for f in (core.evaluate_curvature_naturalness_rs, core.evaluate_curvature_zerocopy_rs,
                               numpy_curvature)]
            print(f"{n:>8} {form:>6} " + " ".join(f"{v:>{w}.1f}" for v, w in zip(times, (15, 12, 10)))
                  + f"  {'yes' if agree else 'NO'}")
    print("(microseconds per call, best of", args.repeat, "runs)")


if __name__ == "__main__":
    main()
