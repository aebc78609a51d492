"""Centripetal Catmull-Rom splines through jittered waypoints, with smooth positional noise
and a skewed bell-shaped speed profile along the arc length."""

from __future__ import annotations

import math
from dataclasses import dataclass

import numpy as np

from ..script import Point, Script
from ..trajectory import FloatArray, fitts_duration, skewed_min_jerk, smooth_noise, taper
from .base import Context, PathFamily

SEGMENT_POINTS = 120


@dataclass(frozen=True)
class SplinePlan:
    a: float
    b: float
    width: float
    waypoints: int      # most interior waypoints per move
    spread: float       # waypoint sideways spread, share of distance
    noise_px: float     # smooth noise deviation
    noise_ms: float     # smooth noise correlation time
    peak: float


def _catmull_rom(points: FloatArray) -> FloatArray:
    """Dense centripetal Catmull-Rom curve through `points` (k x 2), ends included."""
    padded = np.vstack([2 * points[0] - points[1], points, 2 * points[-1] - points[-2]])
    out: list[FloatArray] = []
    for i in range(1, len(padded) - 2):
        p0, p1, p2, p3 = padded[i - 1], padded[i], padded[i + 1], padded[i + 2]
        t0 = 0.0
        t1 = t0 + max(float(np.linalg.norm(p1 - p0)) ** 0.5, 1e-6)
        t2 = t1 + max(float(np.linalg.norm(p2 - p1)) ** 0.5, 1e-6)
        t3 = t2 + max(float(np.linalg.norm(p3 - p2)) ** 0.5, 1e-6)
        t = np.linspace(t1, t2, SEGMENT_POINTS, endpoint=False)[:, None]
        a1 = (t1 - t) / (t1 - t0) * p0 + (t - t0) / (t1 - t0) * p1
        a2 = (t2 - t) / (t2 - t1) * p1 + (t - t1) / (t2 - t1) * p2
        a3 = (t3 - t) / (t3 - t2) * p2 + (t - t2) / (t3 - t2) * p3
        b1 = (t2 - t) / (t2 - t0) * a1 + (t - t0) / (t2 - t0) * a2
        b2 = (t3 - t) / (t3 - t1) * a2 + (t - t1) / (t3 - t1) * a3
        out.append((t2 - t) / (t2 - t1) * b1 + (t - t1) / (t2 - t1) * b2)
    out.append(points[-1][None, :])
    return np.vstack(out)


class NoisySpline(PathFamily):
    name = "noisy_spline"
    description = "Catmull-Rom splines through jittered waypoints plus smooth (OU) noise, bell speed on arc length"

    def plan(self, rng: np.random.Generator, difficulty: float) -> SplinePlan:
        easy = difficulty < 0.25
        return SplinePlan(
            a=float(rng.uniform(60.0, 200.0)), b=float(rng.uniform(90.0, 170.0)),
            width=float(rng.uniform(15.0, 80.0)),
            waypoints=1 if easy else int(rng.integers(1, 4)),
            spread=float(rng.uniform(0.01, 0.05)) if easy else float(rng.uniform(0.04, 0.18)),
            noise_px=0.0 if easy else float(rng.uniform(0.3, 1.5)),
            noise_ms=float(rng.uniform(60.0, 150.0)),
            peak=0.5 if easy else float(rng.uniform(0.3, 0.55)))

    def duration(self, rng: np.random.Generator, plan: SplinePlan, distance: float) -> float:
        return fitts_duration(rng, distance, plan.a, plan.b, plan.width)

    def path(self, rng: np.random.Generator, plan: SplinePlan, start: Point, end: Point,
             times: FloatArray, ctx: Context, script: Script) -> tuple[FloatArray, FloatArray]:
        dx, dy = end[0] - start[0], end[1] - start[1]
        dist = math.hypot(dx, dy)
        nx, ny = (-dy / dist, dx / dist) if dist > 0 else (0.0, 0.0)
        count = int(rng.integers(1, plan.waypoints + 1)) if dist > 30.0 else 0
        fractions = np.sort(rng.uniform(0.1, 0.9, count))
        bow = float(rng.normal(0.0, plan.spread))
        pts = [start]
        for f in fractions:
            # A common bow plus per-point jitter that shrinks toward the target.
            off = dist * (bow * math.sin(math.pi * f) + float(rng.normal(0.0, plan.spread * 0.5)) * (1.0 - f))
            along = dist * float(rng.normal(0.0, 0.03))
            pts.append((start[0] + dx * f + nx * off + dx / max(dist, 1e-9) * along,
                        start[1] + dy * f + ny * off + dy / max(dist, 1e-9) * along))
        pts.append(end)
        curve = _catmull_rom(np.array(pts, dtype=np.float64))
        arc = np.concatenate([[0.0], np.cumsum(np.hypot(np.diff(curve[:, 0]), np.diff(curve[:, 1])))])
        n = len(times) - 1
        share = skewed_min_jerk(times / times[-1], plan.peak)
        if arc[-1] <= 0:
            x, y = np.full_like(times, start[0]), np.full_like(times, start[1])
        else:
            x = np.interp(share * arc[-1], arc, curve[:, 0])
            y = np.interp(share * arc[-1], arc, curve[:, 1])
        if plan.noise_px > 0.0 and n > 4:
            window = taper(n)
            corr = plan.noise_ms / max(float(times[1] - times[0]), 1e-6)
            x = x + smooth_noise(rng, n, plan.noise_px, corr) * window
            y = y + smooth_noise(rng, n, plan.noise_px, corr) * window
        x[0], y[0] = start
        x[-1], y[-1] = end
        return x, y
