"""What every path family shares: following the script, hardening, sampling, output."""

from __future__ import annotations

import math
from abc import ABC, abstractmethod
from dataclasses import dataclass, field
from typing import Any

import numpy as np

from ..sampler import SamplerParams, plan_sampler, sample_events
from ..script import Point, Script, Session, Stroke
from ..trajectory import FloatArray, grid, min_jerk, tremor


@dataclass(frozen=True)
class Context:
    """Material shared by all sessions of a build: the human strokes that replay families
    draw from (each tagged with the index of its session)."""

    strokes: tuple[tuple[int, Stroke], ...] = field(default=())


@dataclass(frozen=True)
class Hardening:
    """Per-session settings that hide the generator, scaled by difficulty."""

    tremor_px: float            # tremor amplitude
    correction_prob: float      # chance of overshoot-and-correct on a long move
    overshoot_share: float      # overshoot length as a share of the distance
    human_timing_prob: float    # chance of using the human's own move duration
    duration_sd: float          # log-normal spread of model durations
    margin_ms: float            # extra arrival margin before a deadline


def plan_hardening(rng: np.random.Generator, difficulty: float) -> Hardening:
    d = difficulty
    return Hardening(
        tremor_px=float(rng.uniform(0.2, 1.2)) * d if d >= 0.25 else 0.0,
        correction_prob=float(rng.uniform(0.4, 0.9)) * d,
        overshoot_share=float(rng.uniform(0.03, 0.12)),
        human_timing_prob=float(np.clip(d * rng.uniform(0.4, 1.2), 0.0, 1.0)),
        duration_sd=0.25 * d,
        margin_ms=float(rng.uniform(0.0, 40.0)),
    )


class Family(ABC):
    name: str = ""
    description: str = ""

    @abstractmethod
    def session(self, script: Script, ctx: Context, rng: np.random.Generator,
                difficulty: float) -> Session:
        """One bot session that follows `script`."""


class PathFamily(Family):
    """A family whose sessions differ only by how the pointer travels between anchors."""

    @abstractmethod
    def plan(self, rng: np.random.Generator, difficulty: float) -> Any:
        """Per-session parameters of the path model."""

    @abstractmethod
    def duration(self, rng: np.random.Generator, plan: Any, distance: float) -> float:
        """The model's own movement time (ms) for a move of `distance` px."""

    @abstractmethod
    def path(self, rng: np.random.Generator, plan: Any, start: Point, end: Point,
             times: FloatArray, ctx: Context, script: Script) -> tuple[FloatArray, FloatArray]:
        """Positions at relative `times` (uniform, from 0 to the duration), from exactly
        `start` to exactly `end`."""

    def session(self, script: Script, ctx: Context, rng: np.random.Generator,
                difficulty: float) -> Session:
        sampler = plan_sampler(rng, difficulty)
        hard = plan_hardening(rng, difficulty)
        plan = self.plan(rng, difficulty)
        movements = follow_script(self, plan, script, ctx, rng, sampler, hard)
        return assemble(self.name, script, script.keystrokes, movements)


def follow_script(family: PathFamily, plan: Any, script: Script, ctx: Context,
                  rng: np.random.Generator, sampler: SamplerParams,
                  hard: Hardening) -> list[tuple[float, float, float]]:
    """Pointer events for every move of the script, each reaching its place in time."""
    events: list[tuple[float, float, float]] = []
    latency = sampler.period + sampler.poll + 3.0 * sampler.jitter + 1.0
    for move in script.moves:
        distance = math.hypot(move.end[0] - move.start[0], move.end[1] - move.start[1])
        arrive = move.deadline - latency - hard.margin_ms * float(rng.random())
        room = arrive - move.earliest
        if room < 8.0:
            arrive = move.deadline - min(latency, 0.5 * max(move.deadline - move.earliest, 0.0))
            room = max(arrive - move.earliest, 2.0)
        if rng.random() < hard.human_timing_prob:
            wanted = arrive - move.t_start
        else:
            wanted = family.duration(rng, plan, distance) * float(np.exp(rng.normal(0.0, hard.duration_sd)))
        duration = float(min(max(wanted, 8.0), room))
        t0 = arrive - duration
        n, times = grid(duration)
        if distance > 60.0 and duration > 250.0 and rng.random() < hard.correction_prob:
            x, y = _with_correction(family, plan, move.start, move.end, times, n, ctx, script, rng, hard)
        else:
            x, y = family.path(rng, plan, move.start, move.end, times, ctx, script)
        if hard.tremor_px > 0.0 and distance > 3.0:
            tx, ty = tremor(rng, times, hard.tremor_px)
            x, y = x + tx, y + ty
        for t, ex, ey in sample_events(t0 + times, x, y, sampler, rng, script.width, script.height):
            if events and t < events[-1][0]:
                t = events[-1][0]
            events.append((t, ex, ey))
    return events


def _with_correction(family: PathFamily, plan: Any, start: Point, end: Point, times: FloatArray,
                     n: int, ctx: Context, script: Script, rng: np.random.Generator,
                     hard: Hardening) -> tuple[FloatArray, FloatArray]:
    """A primary move that misses (overshoots, with a lateral error) and a short correction."""
    dx, dy = end[0] - start[0], end[1] - start[1]
    dist = math.hypot(dx, dy)
    ux, uy = dx / dist, dy / dist
    along = max(dist * hard.overshoot_share * float(rng.uniform(0.3, 1.5)), 2.0)
    if rng.random() < 0.3:
        along = -along  # an undershoot
    side = dist * float(rng.normal(0.0, 0.03))
    miss = (end[0] + ux * along - uy * side, end[1] + uy * along + ux * side)
    # Humans reach most of the way fast and home in slowly.
    split = int(n * float(rng.uniform(0.4, 0.85)))
    dwell = int(min(n - split - 2, max(0.0, float(rng.uniform(0.0, 0.25)) * (n - split))))
    x1, y1 = family.path(rng, plan, start, miss, times[: split + 1], ctx, script)
    fix_times = times[split + dwell:] - times[split + dwell]
    u = fix_times / fix_times[-1]
    share = min_jerk(u)
    x2 = miss[0] + (end[0] - miss[0]) * share
    y2 = miss[1] + (end[1] - miss[1]) * share
    x = np.concatenate([x1, np.full(dwell, miss[0]), x2[1:]])
    y = np.concatenate([y1, np.full(dwell, miss[1]), y2[1:]])
    return x, y


def assemble(name: str, script: Script, keystrokes: list[dict[str, Any]],
             movements: list[tuple[float, float, float]]) -> Session:
    return {
        "label": "bot",
        "source": name,
        "browser": dict(script.browser),
        "clicks": [dict(c) for c in script.clicks],
        "scrolls": [dict(s) for s in script.scrolls],
        "keystrokes": [dict(k) for k in keystrokes],
        "mouse_movements": [{"x": x, "y": y, "t": t} for t, x, y in movements],
    }
