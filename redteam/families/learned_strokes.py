"""A data-driven generator: a statistical model of people's strokes, fitted on the
held-out SapiMouse people's library (redteam.persons), sampled anew for every move.

Each library stroke is put in its own frame (start at 0, the chord along x, chord length
and duration 1) and read at fixed time shares: how far along the chord it is and how far
off it. The model is the mean of those shapes and their main modes of variation
(principal components, with the rest as independent noise), and a line for log duration
against log chord length. A move draws a new shape and a duration from it, so no stroke is
ever replayed, yet the speed profile, the bow, the overshoot and the corrective bumps are
people's on average. The path is then hardened and sampled as every path family's is.
"""

from __future__ import annotations

import math
from dataclasses import dataclass
from typing import cast

import numpy as np

from ..script import Point, Script, Session, Stroke
from ..trajectory import FloatArray, fitts_duration, min_jerk
from .base import Context, PathFamily, PerBuild

KNOTS = 24              # time shares read per stroke, ends included
COMPONENTS = 10         # modes of variation kept
REST_SHARE = 0.25        # of the variation the modes leave out, drawn per knot
MIN_STROKES = 30        # fewer usable strokes than this: no model (a plain reach instead)
MIN_CHORD_PX = 20.0
MIN_SAMPLES = 8
MIN_STRAIGHTNESS = 0.8    # chord over path length: one reach, as human_replay takes them


@dataclass(frozen=True)
class StrokeModel:
    mean: FloatArray          # along shares then off shares at the inner knots
    modes: FloatArray         # (COMPONENTS, dims), each scaled by its standard deviation
    rest: FloatArray          # standard deviation left per dimension
    slope: float              # log duration = intercept + slope * log chord
    intercept: float
    spread: float             # its residual standard deviation


@dataclass(frozen=True)
class LearnedPlan:
    temperature: float        # how far from the average shape a session's strokes stray
    pace: float               # a session's duration factor


def _shape(stroke: Stroke, inner: FloatArray) -> tuple[FloatArray, float, float] | None:
    t = np.array(stroke.t, dtype=np.float64)
    z = np.array(stroke.x, dtype=np.float64) + 1j * np.array(stroke.y, dtype=np.float64)
    chord = float(abs(z[-1] - z[0]))
    span = float(t[-1] - t[0])
    if len(t) < MIN_SAMPLES or chord < MIN_CHORD_PX or span <= 0.0:
        return None
    if chord < MIN_STRAIGHTNESS * float(np.abs(np.diff(z)).sum()):
        return None  # a wandering stroke is several reaches, not one
    w = (z - z[0]) * np.conj(z[-1] - z[0]) / (chord * chord)
    u = cast(FloatArray, np.maximum.accumulate((t - t[0]) / span))
    along = np.interp(inner, u, w.real)
    off = np.interp(inner, u, w.imag)
    return np.concatenate([along, off]), chord, span


def fit(strokes: tuple[tuple[int, Stroke], ...]) -> StrokeModel | None:
    """The model of these strokes; None when too few are usable."""
    inner = np.linspace(0.0, 1.0, KNOTS)[1:-1]
    shapes = [s for s in (_shape(stroke, inner) for _, stroke in strokes) if s is not None]
    if len(shapes) < MIN_STROKES:
        return None
    x = np.array([v for v, _, _ in shapes])
    mean = x.mean(axis=0)
    _, sv, vt = np.linalg.svd(x - mean, full_matrices=False)
    k = min(COMPONENTS, len(sv))
    modes = vt[:k] * (sv[:k] / math.sqrt(len(x) - 1))[:, None]
    left = (x - mean) - ((x - mean) @ vt[:k].T) @ vt[:k]
    log_chord = np.log([c for _, c, _ in shapes])
    log_span = np.log([s for _, _, s in shapes])
    slope, intercept = np.polyfit(log_chord, log_span, 1)
    spread = float(np.std(log_span - (intercept + slope * log_chord)))
    return StrokeModel(mean, modes, left.std(axis=0), float(slope), float(intercept), spread)


def _smooth(knots: FloatArray, values: FloatArray, at: FloatArray) -> FloatArray:
    """Cubic Hermite interpolation with centred-difference slopes (a smooth speed profile)."""
    h = np.diff(knots)
    slope = np.gradient(values, knots)
    i = np.clip(np.searchsorted(knots, at, side="right") - 1, 0, len(h) - 1)
    s = np.clip((at - knots[i]) / h[i], 0.0, 1.0)
    s2, s3 = s * s, s * s * s
    out: FloatArray = ((2 * s3 - 3 * s2 + 1) * values[i] + (s3 - 2 * s2 + s) * h[i] * slope[i]
                       + (-2 * s3 + 3 * s2) * values[i + 1] + (s3 - s2) * h[i] * slope[i + 1])
    return out


class LearnedStrokes(PathFamily):
    name = "learned_strokes"
    description = "a statistical model of held-out people's strokes (mean shape, main modes, timing), sampled per move"

    def __init__(self) -> None:
        self.model = PerBuild(fit)
        self._current: StrokeModel | None = None  # the model of the session being made

    def session(self, script: Script, ctx: Context, rng: np.random.Generator,
                difficulty: float, notes: dict[str, str] | None = None) -> Session:
        self._current = self.model(ctx)  # duration() has no context of its own
        return super().session(script, ctx, rng, difficulty, notes)

    def plan(self, rng: np.random.Generator, difficulty: float) -> LearnedPlan:
        return LearnedPlan(temperature=float(rng.uniform(0.5, 1.1)), pace=float(np.exp(rng.normal(0.0, 0.15))))

    def duration(self, rng: np.random.Generator, plan: LearnedPlan, distance: float) -> float:
        model = self._current
        if model is None:  # too few strokes to learn from: a Fitts reach
            return fitts_duration(rng, distance, 80.0, 90.0, 40.0)
        log_span = model.intercept + model.slope * math.log(max(distance, 1.0))
        return plan.pace * math.exp(log_span + float(rng.normal(0.0, model.spread)))

    def path(self, rng: np.random.Generator, plan: LearnedPlan, start: Point, end: Point,
             times: FloatArray, ctx: Context, script: Script) -> tuple[FloatArray, FloatArray]:
        dx, dy = end[0] - start[0], end[1] - start[1]
        u = times / times[-1]
        model = self.model(ctx)
        if model is None or math.hypot(dx, dy) < 1.0:
            s = min_jerk(u)
            return start[0] + dx * s, start[1] + dy * s
        # The modes give the shape; the rest, independent at each knot, only a trace of wobble.
        draw = model.mean + plan.temperature * (rng.normal(0.0, 1.0, len(model.modes)) @ model.modes
                                                + REST_SHARE * rng.normal(0.0, 1.0, len(model.rest)) * model.rest)
        inner = len(draw) // 2
        knots = np.linspace(0.0, 1.0, KNOTS)
        along = _smooth(knots, np.concatenate([[0.0], draw[:inner], [1.0]]), u)
        off = _smooth(knots, np.concatenate([[0.0], draw[inner:], [0.0]]), u)
        if rng.random() < 0.5:
            off = -off
        along[-1], off[-1] = 1.0, 0.0
        return start[0] + dx * along - dy * off, start[1] + dy * along + dx * off
