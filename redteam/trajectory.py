"""Shared pieces of pointer trajectories: speed profiles, tremor, time grids.

A trajectory is a pair of position arrays on a uniform time grid of `n + 1` points
spanning a move's duration; index 0 is the start and index n the exact target.
"""

from __future__ import annotations

import math

import numpy as np
from numpy.typing import NDArray

FloatArray = NDArray[np.float64]

# Grid step in ms: fine enough that the sampler's 1 ms polls see a smooth path.
GRID_MS = 1.0


def grid(duration: float) -> tuple[int, FloatArray]:
    """Number of steps and relative times (ms) for a move of `duration` ms."""
    n = max(2, int(math.ceil(duration / GRID_MS)))
    return n, np.linspace(0.0, duration, n + 1)


def min_jerk(u: FloatArray) -> FloatArray:
    """Position share of a minimum-jerk point-to-point move at normalised time u."""
    u = np.clip(u, 0.0, 1.0)
    return u * u * u * (10.0 - 15.0 * u + 6.0 * u * u)


def skewed_min_jerk(u: FloatArray, peak: float) -> FloatArray:
    """Minimum-jerk share with its speed peak moved to `peak` (0.5 = symmetric) by a
    power warp of time; human reaches peak early (about 0.35-0.5)."""
    exponent = math.log(0.5) / math.log(min(max(peak, 0.15), 0.85))
    return min_jerk(np.power(np.clip(u, 0.0, 1.0), exponent))


def taper(n: int) -> FloatArray:
    """A window that is 0 at both ends, so added noise leaves the end points exact."""
    return np.sin(np.linspace(0.0, math.pi, n + 1)) ** 2


def tremor(rng: np.random.Generator, times: FloatArray, amplitude: float) -> tuple[FloatArray, FloatArray]:
    """Physiological tremor (8-12 Hz) plus a slower drift, as x and y offsets in px."""
    x = np.zeros_like(times)
    y = np.zeros_like(times)
    if amplitude <= 0.0:
        return x, y
    for _ in range(3):
        hz = rng.uniform(7.0, 12.0)
        for arr in (x, y):
            arr += rng.uniform(0.3, 1.0) * amplitude / 3.0 * np.sin(
                2.0 * math.pi * hz * times / 1000.0 + rng.uniform(0.0, 2.0 * math.pi))
    for arr in (x, y):
        hz = rng.uniform(0.8, 3.0)
        arr += rng.uniform(0.5, 1.5) * amplitude * np.sin(
            2.0 * math.pi * hz * times / 1000.0 + rng.uniform(0.0, 2.0 * math.pi))
    window = taper(len(times) - 1)
    return x * window, y * window


def smooth_noise(rng: np.random.Generator, n: int, scale: float, corr_steps: float) -> FloatArray:
    """Ornstein-Uhlenbeck noise of stationary deviation `scale` px, correlation `corr_steps`."""
    out = np.empty(n + 1)
    a = math.exp(-1.0 / max(corr_steps, 1.0))
    b = scale * math.sqrt(1.0 - a * a)
    shocks = rng.normal(0.0, 1.0, n + 1)
    v = 0.0
    for i in range(n + 1):
        v = a * v + b * shocks[i]
        out[i] = v
    return out


def fitts_duration(rng: np.random.Generator, distance: float, a: float, b: float, width: float) -> float:
    """Fitts's law movement time (ms) with a little trial-to-trial spread."""
    index = math.log2(distance / max(width, 1.0) + 1.0)
    return (a + b * index) * float(np.exp(rng.normal(0.0, 0.12)))
