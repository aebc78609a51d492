"""Sigma-lognormal synthesis: the speed of a rapid movement is a sum of overlapping strokes,
each with a lognormal speed profile and a direction that turns along a circular arc."""

from __future__ import annotations

import math
from dataclasses import dataclass

import numpy as np

from ..script import Point, Script
from ..trajectory import FloatArray, fitts_duration
from .base import Context, PathFamily

SQRT2 = math.sqrt(2.0)


@dataclass(frozen=True)
class LognormalPlan:
    a: float
    b: float
    width: float
    strokes: tuple[int, int]    # range of stroke counts per move
    sigma: tuple[float, float]  # range of log-time spread (shape of each speed bump)
    arc: float                  # typical turn of a stroke's direction, radians
    overlap: tuple[float, float]


def _erf(z: FloatArray) -> FloatArray:
    """Abramowitz-Stegun 7.1.26 (error below 1.5e-7), vectorised."""
    sign = np.sign(z)
    a = np.abs(z)
    k = 1.0 / (1.0 + 0.3275911 * a)
    poly = k * (0.254829592 + k * (-0.284496736 + k * (1.421413741 + k * (-1.453152027 + k * 1.061405429))))
    out: FloatArray = sign * (1.0 - poly * np.exp(-a * a))
    return out


def _lognormal_cdf(t: FloatArray, t0: float, mu: float, sigma: float) -> FloatArray:
    shifted = np.maximum(t - t0, 1e-9)
    z = (np.log(shifted) - mu) / (sigma * SQRT2)
    out = 0.5 * (1.0 + _erf(z))
    out[t <= t0] = 0.0
    return out


class SigmaLognormal(PathFamily):
    name = "sigma_lognormal"
    description = "sigma-lognormal strokes (kinematic theory): overlapping lognormal speed bumps along arcs"

    def plan(self, rng: np.random.Generator, difficulty: float) -> LognormalPlan:
        easy = difficulty < 0.25
        return LognormalPlan(
            a=float(rng.uniform(60.0, 200.0)), b=float(rng.uniform(90.0, 170.0)),
            width=float(rng.uniform(15.0, 80.0)),
            strokes=(1, 1) if easy else (2, int(rng.integers(3, 6))),
            sigma=(0.25, 0.3) if easy else (float(rng.uniform(0.15, 0.25)), float(rng.uniform(0.3, 0.5))),
            arc=0.0 if easy else float(rng.uniform(0.3, 0.9)),
            overlap=(float(rng.uniform(0.2, 0.4)), float(rng.uniform(0.5, 0.9))))

    def duration(self, rng: np.random.Generator, plan: LognormalPlan, distance: float) -> float:
        return fitts_duration(rng, distance, plan.a, plan.b, plan.width)

    def path(self, rng: np.random.Generator, plan: LognormalPlan, start: Point, end: Point,
             times: FloatArray, ctx: Context, script: Script) -> tuple[FloatArray, FloatArray]:
        dx, dy = end[0] - start[0], end[1] - start[1]
        dist = math.hypot(dx, dy)
        heading = math.atan2(dy, dx)
        count = int(rng.integers(plan.strokes[0], plan.strokes[1] + 1))
        # Intrinsic time axis: the first stroke's median time is 1.
        params: list[tuple[float, float, float, float, float, float]] = []
        t0, remaining = 0.0, 1.0
        for k in range(count):
            sigma = float(rng.uniform(*plan.sigma))
            mu = float(rng.normal(0.0, 0.1)) + (0.0 if k == 0 else math.log(float(rng.uniform(0.3, 0.7))))
            share = remaining if k == count - 1 else remaining * (
                float(rng.uniform(0.75, 0.95)) if k == 0 else float(rng.uniform(0.4, 0.8)))
            remaining -= share
            turn = float(rng.normal(0.0, plan.arc)) if k == 0 else float(rng.normal(0.0, plan.arc * 0.5))
            aim = heading + float(rng.normal(0.0, 0.08 if k == 0 else 0.3))
            params.append((t0, mu, sigma, share * dist, aim - turn / 2.0, aim + turn / 2.0))
            t0 += math.exp(mu) * float(rng.uniform(*plan.overlap))
        end_time = max(p[0] + math.exp(p[1] + 3.0 * p[2]) for p in params)
        tau = times / times[-1] * end_time
        x = np.full_like(tau, start[0])
        y = np.full_like(tau, start[1])
        cdf_last = np.zeros_like(tau)
        for p0, mu, sigma, d, th_s, th_e in params:
            cdf = _lognormal_cdf(tau, p0, mu, sigma)
            # Displacement along an arc: integrate speed times direction numerically.
            phi = th_s + (th_e - th_s) * cdf
            step = np.diff(cdf, prepend=0.0) * d
            x += np.cumsum(step * np.cos(phi))
            y += np.cumsum(step * np.sin(phi))
            cdf_last = cdf
        # The strokes' sum misses the target slightly: the last stroke absorbs the error.
        weight = cdf_last / max(float(cdf_last[-1]), 1e-9)
        x += (end[0] - x[-1]) * weight
        y += (end[1] - y[-1]) * weight
        x[-1], y[-1] = end
        return x, y
