"""Minimum-jerk submovements, overlapping and superposed (curved paths, corrective bumps)."""

from __future__ import annotations

import math
from dataclasses import dataclass

import numpy as np

from ..script import Point, Script
from ..trajectory import FloatArray, fitts_duration, min_jerk
from .base import Context, PathFamily


@dataclass(frozen=True)
class MinJerkPlan:
    a: float
    b: float
    width: float
    lateral: float        # sideways bow of the primary submovement, share of distance
    primary: float        # share of the distance covered by the primary submovement
    primary_len: float    # primary duration as a share of the move
    extra_subs: int       # corrective submovements after the secondary one


class MinJerk(PathFamily):
    name = "min_jerk"
    description = "superposed minimum-jerk submovements (primary + overlapping corrections), Fitts timing"

    def plan(self, rng: np.random.Generator, difficulty: float) -> MinJerkPlan:
        easy = difficulty < 0.25
        return MinJerkPlan(
            a=float(rng.uniform(60.0, 220.0)), b=float(rng.uniform(90.0, 170.0)),
            width=float(rng.uniform(15.0, 80.0)),
            lateral=0.0 if easy else float(rng.uniform(0.04, 0.22)),
            primary=1.0 if easy else float(rng.uniform(0.8, 0.97)),
            primary_len=1.0 if easy else float(rng.uniform(0.55, 0.85)),
            extra_subs=0 if easy else int(rng.integers(0, 3)))

    def duration(self, rng: np.random.Generator, plan: MinJerkPlan, distance: float) -> float:
        return fitts_duration(rng, distance, plan.a, plan.b, plan.width)

    def path(self, rng: np.random.Generator, plan: MinJerkPlan, start: Point, end: Point,
             times: FloatArray, ctx: Context, script: Script) -> tuple[FloatArray, FloatArray]:
        dx, dy = end[0] - start[0], end[1] - start[1]
        dist = math.hypot(dx, dy)
        nx, ny = (-dy / dist, dx / dist) if dist > 0 else (0.0, 0.0)
        u = times / times[-1]
        x = np.full_like(u, start[0])
        y = np.full_like(u, start[1])
        if plan.primary >= 1.0:
            s = min_jerk(u)
            return start[0] + dx * s, start[1] + dy * s
        bow = plan.lateral * dist * float(rng.normal(0.0, 1.0))
        share = plan.primary * float(rng.uniform(0.95, 1.03))
        subs: list[tuple[float, float, float, float]] = []  # (begin, end, dx, dy) in u
        p_len = plan.primary_len * float(rng.uniform(0.9, 1.1))
        subs.append((0.0, min(p_len, 0.95), dx * share + nx * bow, dy * share + ny * bow))
        rest_x, rest_y = dx - subs[0][2], dy - subs[0][3]
        begin = min(p_len, 0.95) * float(rng.uniform(0.45, 0.8))
        pieces = 1 + plan.extra_subs
        for k in range(pieces):
            w = 1.0 / (pieces - k) if k < pieces - 1 else 1.0
            part_x, part_y = rest_x * w, rest_y * w
            if k < pieces - 1:
                # An intermediate correction that itself misses a little.
                jitter = float(rng.normal(0.0, 0.3))
                part_x, part_y = part_x - ny * jitter * abs(bow) * 0.2, part_y + nx * jitter * abs(bow) * 0.2
            stop = 1.0 if k == pieces - 1 else begin + (1.0 - begin) * float(rng.uniform(0.4, 0.8))
            subs.append((begin, stop, part_x, part_y))
            rest_x, rest_y = rest_x - part_x, rest_y - part_y
            begin = begin + (stop - begin) * float(rng.uniform(0.4, 0.8))
        for b0, b1, sx, sy in subs:
            s = min_jerk((u - b0) / max(b1 - b0, 1e-6))
            x += sx * s
            y += sy * s
        return x, y
