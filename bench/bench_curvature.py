"""Time per call of the two curvature entry points next to a plain NumPy version.

    .venv/bin/python bench/bench_curvature.py [--repeat N]

Paths of 300 points (one feature-extraction track) and 100,000 points, given as
lists and as NumPy arrays. The NumPy version computes the same statistics with
array operations (its sums are pairwise, so it agrees only to rounding).
"""

import argparse
import math
import timeit

import numpy as np

import velmora_core_rs as core


def numpy_curvature(x, y, t):
    x, y, t = (np.asarray(s, dtype=np.float64) for s in (x, y, t))
    n = min(len(x), len(y), len(t))
    if n < 4:
        return dict.fromkeys(["curvature_score", "mean_curvature", "curvature_var", "curvature_rate_var"], 0.0)
    x, y, t = x[:n], y[:n], t[:n]
    d = np.diff(t)
    dt = np.where(d > 0.1, d, 0.1)
    vx, vy = np.diff(x) / dt, np.diff(y) / dt
    tm = (dt[1:] + dt[:-1]) * 0.5
    ax, ay = np.diff(vx) / tm, np.diff(vy) / tm
    s = vx[1:] * vx[1:] + vy[1:] * vy[1:] + 1e-6
    kappa = np.abs(vx[1:] * ay - vy[1:] * ax) / (s * np.sqrt(s))
    rate = np.diff(kappa) / np.maximum(tm[1:], 0.1)
    mean, var, rate_var = float(kappa.mean()), float(kappa.var()), float(rate.var())
    if mean < 1e-6 and var < 1e-7:
        score = 0.95
    elif var < 1e-4 and rate_var < 1e-8:
        score = 0.9
    elif var > 10 or rate_var > 5:
        score = 0.85
    elif np.count_nonzero(kappa > 0.1) > (n - 2) // 2 and rate_var > 2:
        score = 0.75
    else:
        score = 0.1
    return {"curvature_score": score, "mean_curvature": mean, "curvature_var": var, "curvature_rate_var": rate_var}


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
