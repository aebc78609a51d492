"""Replays of recorded human strokes, moved onto the new start and end by a similarity
transform (rotation, scale, translation) with a sideways stretch, and re-timed with a
smooth monotone time warp."""

from __future__ import annotations

import math
from dataclasses import dataclass

import numpy as np

from ..script import Point, Script, Stroke
from ..trajectory import FloatArray, fitts_duration, min_jerk, smooth_noise, taper
from .base import Context, PathFamily

CANDIDATES = 32
MIN_CHORD_PX = 20.0
# Wandering strokes make poor templates for one point-to-point move.
MIN_STRAIGHTNESS = 0.8


@dataclass(frozen=True)
class ReplayPlan:
    a: float
    b: float
    width: float
    stretch: float      # sideways scale spread
    warp: float         # time warp strength (0: linear re-timing)
    smooth: int         # moving-average width over the source samples
    noise_px: float
    max_ratio: float    # how far a source stroke's length may be from the move's


def _chord(stroke: Stroke) -> float:
    return math.hypot(stroke.x[-1] - stroke.x[0], stroke.y[-1] - stroke.y[0])


def _straightness(stroke: Stroke) -> float:
    path = sum(math.hypot(b - a, d - c) for a, b, c, d in
               zip(stroke.x, stroke.x[1:], stroke.y, stroke.y[1:]))
    return _chord(stroke) / path if path > 0 else 0.0


class HumanReplay(PathFamily):
    name = "human_replay"
    description = "human strokes from other sessions, rotated/scaled/translated onto the move and re-timed"

    def plan(self, rng: np.random.Generator, difficulty: float) -> ReplayPlan:
        easy = difficulty < 0.25
        return ReplayPlan(
            a=float(rng.uniform(60.0, 200.0)), b=float(rng.uniform(90.0, 170.0)),
            width=float(rng.uniform(15.0, 80.0)),
            stretch=0.0 if easy else float(rng.uniform(0.05, 0.25)),
            warp=0.0 if easy else float(rng.uniform(0.1, 0.7)),
            smooth=int(rng.integers(1, 4)),
            noise_px=0.0 if easy else float(rng.uniform(0.0, 1.5)),
            max_ratio=float(rng.uniform(1.5, 3.0)))

    def duration(self, rng: np.random.Generator, plan: ReplayPlan, distance: float) -> float:
        return fitts_duration(rng, distance, plan.a, plan.b, plan.width)

    def _pick(self, rng: np.random.Generator, plan: ReplayPlan, ctx: Context, script: Script,
              distance: float, duration: float) -> Stroke | None:
        if not ctx.strokes:
            return None
        best: Stroke | None = None
        best_score = math.inf
        for i in rng.integers(0, len(ctx.strokes), CANDIDATES):
            owner, stroke = ctx.strokes[int(i)]
            chord = _chord(stroke)
            if owner == script.index or chord < MIN_CHORD_PX or _straightness(stroke) < MIN_STRAIGHTNESS:
                continue
            # Similar length and similar duration keep the human's speeds.
            span = max(stroke.t[-1] - stroke.t[0], 1.0)
            score = abs(math.log(chord / max(distance, 1.0))) + 0.5 * abs(math.log(span / max(duration, 1.0)))
            if score < best_score:
                best, best_score = stroke, score
        return best if best_score <= math.log(plan.max_ratio) else None

    def path(self, rng: np.random.Generator, plan: ReplayPlan, start: Point, end: Point,
             times: FloatArray, ctx: Context, script: Script) -> tuple[FloatArray, FloatArray]:
        dx, dy = end[0] - start[0], end[1] - start[1]
        dist = math.hypot(dx, dy)
        u = times / times[-1]
        source = self._pick(rng, plan, ctx, script, dist, float(times[-1])) if dist >= 5.0 else None
        if source is None:
            s = min_jerk(u)
            return start[0] + dx * s, start[1] + dy * s
        st = np.array(source.t) - source.t[0]
        sx, sy = np.array(source.x), np.array(source.y)
        if plan.smooth > 1 and len(sx) > plan.smooth + 2:
            kernel = np.ones(plan.smooth) / plan.smooth
            sx = np.concatenate([[sx[0]], np.convolve(sx, kernel, mode="same")[1:-1], [sx[-1]]])
            sy = np.concatenate([[sy[0]], np.convolve(sy, kernel, mode="same")[1:-1], [sy[-1]]])
        # Source coordinates along and across its own chord, as shares of the chord.
        cx, cy = sx[-1] - sx[0], sy[-1] - sy[0]
        chord = math.hypot(cx, cy)
        ax, ay = cx / chord, cy / chord
        along = ((sx - sx[0]) * ax + (sy - sy[0]) * ay) / chord
        across = ((sx - sx[0]) * -ay + (sy - sy[0]) * ax) / chord
        across = across * (1.0 + float(rng.normal(0.0, plan.stretch)))
        if rng.random() < 0.5:
            across = -across  # a mirror image is as human as the original
        # Re-timing: the source's own clock, stretched to the move and warped smoothly.
        span = float(st[-1]) if st[-1] > 0 else 1.0
        k = plan.warp * float(rng.uniform(-1.0, 1.0))
        src_u = u + k * np.sin(2.0 * math.pi * u) / (2.0 * math.pi)
        ref = np.linspace(0.0, 1.0, len(st)) if st[-1] <= 0 else st / span
        a = np.interp(src_u, ref, along)
        c = np.interp(src_u, ref, across)
        ux, uy = dx / dist, dy / dist
        x = start[0] + dist * (a * ux - c * uy)
        y = start[1] + dist * (a * uy + c * ux)
        n = len(times) - 1
        if plan.noise_px > 0.0 and n > 4:
            window = taper(n)
            x = x + smooth_noise(rng, n, plan.noise_px, 40.0) * window
            y = y + smooth_noise(rng, n, plan.noise_px, 40.0) * window
        x[0], y[0] = start
        x[-1], y[-1] = end
        return x, y
