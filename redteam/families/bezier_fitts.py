"""Cubic Bezier paths timed by Fitts's law."""

from __future__ import annotations

import math
from dataclasses import dataclass

import numpy as np

from ..script import Point, Script
from ..trajectory import FloatArray, fitts_duration, skewed_min_jerk
from .base import Context, PathFamily


@dataclass(frozen=True)
class BezierPlan:
    a: float            # Fitts intercept, ms
    b: float            # Fitts slope, ms per bit
    width: float        # assumed target width, px
    spread: float       # control-point spread as a share of the distance
    peak: float         # where along the move the speed peaks (0-1)
    eased: bool         # bell-shaped progress (False: constant parameter speed)


class BezierFitts(PathFamily):
    name = "bezier_fitts"
    description = "cubic Bezier curves with random control points, Fitts's-law durations, eased progress"

    def plan(self, rng: np.random.Generator, difficulty: float) -> BezierPlan:
        easy = difficulty < 0.25
        return BezierPlan(
            a=float(rng.uniform(50.0, 200.0)), b=float(rng.uniform(80.0, 180.0)),
            width=float(rng.uniform(15.0, 80.0)),
            spread=float(rng.uniform(0.02, 0.08)) if easy else float(rng.uniform(0.06, 0.3)),
            peak=0.5 if easy else float(rng.uniform(0.32, 0.55)),
            eased=not easy or bool(rng.random() < 0.5))

    def duration(self, rng: np.random.Generator, plan: BezierPlan, distance: float) -> float:
        return fitts_duration(rng, distance, plan.a, plan.b, plan.width)

    def path(self, rng: np.random.Generator, plan: BezierPlan, start: Point, end: Point,
             times: FloatArray, ctx: Context, script: Script) -> tuple[FloatArray, FloatArray]:
        dx, dy = end[0] - start[0], end[1] - start[1]
        dist = math.hypot(dx, dy)
        nx, ny = (-dy / dist, dx / dist) if dist > 0 else (0.0, 0.0)
        # Both control points usually bow to the same side, as an arm's sweep does.
        side = plan.spread * dist * float(rng.normal(0.0, 1.0))
        f1, f2 = float(rng.uniform(0.15, 0.45)), float(rng.uniform(0.55, 0.85))
        o1 = side * float(rng.uniform(0.5, 1.3))
        o2 = side * float(rng.uniform(0.2, 1.1)) + plan.spread * dist * float(rng.normal(0.0, 0.3))
        c1 = (start[0] + dx * f1 + nx * o1, start[1] + dy * f1 + ny * o1)
        c2 = (start[0] + dx * f2 + nx * o2, start[1] + dy * f2 + ny * o2)
        u = times / times[-1]
        s = skewed_min_jerk(u, plan.peak) if plan.eased else u
        m = 1.0 - s
        bx = m ** 3 * start[0] + 3 * m * m * s * c1[0] + 3 * m * s * s * c2[0] + s ** 3 * end[0]
        by = m ** 3 * start[1] + 3 * m * m * s * c1[1] + 3 * m * s * s * c2[1] + s ** 3 * end[1]
        return bx, by
