"""What every path family shares: following the script, hardening, sampling, output."""

from __future__ import annotations

import math
from abc import ABC, abstractmethod
from dataclasses import dataclass, field
from collections.abc import Callable
from typing import Any, Generic, TypeVar

import numpy as np

from ..sampler import BATCH_TICKS, REMOTE_CLOCK_MS, SamplerParams, plan_sampler, sample_events
from ..script import Point, Script, Session, Stroke
from ..trajectory import FloatArray, grid, min_jerk, smooth_noise, taper, tremor


@dataclass(frozen=True)
class Context:
    """Material shared by all sessions of a build: the human strokes that replay families
    draw from (each tagged with the index of its session), and the library of strokes of
    the held-out SapiMouse people (redteam.persons) that warp_replay draws from."""

    strokes: tuple[tuple[int, Stroke], ...] = field(default=())
    library: tuple[tuple[int, Stroke], ...] = field(default=())


T = TypeVar("T")


class PerBuild(Generic[T]):
    """What a family makes once per build from the library (the held-out people's strokes, or
    all the strokes when there is none): the last context's value is kept, held by identity."""

    def __init__(self, make: Callable[[tuple[tuple[int, Stroke], ...]], T]) -> None:
        self._make = make
        self._made: tuple[Context, T] | None = None

    def __call__(self, ctx: Context) -> T:
        if self._made is None or self._made[0] is not ctx:
            self._made = (ctx, self._make(ctx.library or ctx.strokes))
        return self._made[1]


@dataclass(frozen=True)
class Hardening:
    """Per-session settings that hide the generator, scaled by difficulty."""

    tremor_px: float            # tremor amplitude
    jitter_px: float            # fast hand noise, standard deviation
    jitter_ms: float            # its correlation time
    correction_prob: float      # chance of overshoot-and-correct on a long move
    creep_prob: float           # chance of creeping over the last few pixels
    secondary_prob: float       # chance of a secondary submovement after a slow human reach
    overshoot_share: float      # overshoot length as a share of the distance
    human_timing_prob: float    # chance of using the human's own move duration
    duration_sd: float          # log-normal spread of model durations
    margin_ms: float            # extra arrival margin before a deadline


def plan_hardening(rng: np.random.Generator, difficulty: float) -> Hardening:
    d = difficulty
    return Hardening(
        tremor_px=float(rng.uniform(0.2, 1.2)) * d if d >= 0.25 else 0.0,
        jitter_px=float(rng.uniform(0.2, 0.9)) * d if d >= 0.25 else 0.0,
        jitter_ms=float(rng.uniform(6.0, 20.0)),
        correction_prob=float(rng.uniform(0.4, 0.9)) * d,
        creep_prob=float(rng.uniform(0.3, 0.9)) * d,
        secondary_prob=float(rng.uniform(0.3, 0.8)) * d,
        overshoot_share=float(rng.uniform(0.03, 0.12)),
        human_timing_prob=float(np.clip(d * rng.uniform(0.7, 1.4), 0.0, 1.0)),
        duration_sd=0.25 * d,
        margin_ms=float(rng.uniform(0.0, 40.0)),
    )


class Family(ABC):
    name: str = ""
    description: str = ""

    @abstractmethod
    def session(self, script: Script, ctx: Context, rng: np.random.Generator,
                difficulty: float, notes: dict[str, str] | None = None) -> Session:
        """One bot session that follows `script`; `notes` receives the settings drawn
        (for the build's manifest)."""


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
                difficulty: float, notes: dict[str, str] | None = None) -> Session:
        sampler = plan_sampler(rng, difficulty, script.coarse_clock, script.median_dt > 50.0)
        hard = plan_hardening(rng, difficulty)
        plan = self.plan(rng, difficulty)
        if notes is not None:
            notes["sampler"] = describe_sampler(sampler)
        movements = follow_script(self, plan, script, ctx, rng, sampler, hard)
        return assemble(self.name, script, script.keystrokes, movements)


def follow_script(family: PathFamily, plan: Any, script: Script, ctx: Context,
                  rng: np.random.Generator, sampler: SamplerParams,
                  hard: Hardening) -> list[tuple[float, float, float]]:
    """Pointer events for every move of the script, each reaching its place in time."""
    events: list[tuple[float, float, float]] = []
    latency = sampler_latency(sampler)
    for move in script.moves:
        distance = math.hypot(move.end[0] - move.start[0], move.end[1] - move.start[1])
        arrive = move.deadline - latency - hard.margin_ms * float(rng.random())
        room = arrive - move.earliest
        if room < 8.0:
            arrive = move.deadline - min(latency, 0.5 * max(move.deadline - move.earliest, 0.0))
            room = max(arrive - move.earliest, 2.0)
        model = family.duration(rng, plan, distance) * float(np.exp(rng.normal(0.0, hard.duration_sd)))
        human_timing = rng.random() < hard.human_timing_prob
        wanted = arrive - move.t_start if human_timing else model
        duration = float(min(max(wanted, 8.0), room))
        t0 = arrive - duration
        n, times = grid(duration)
        if human_timing and distance > 15.0 and duration > 1.5 * model + 100.0:
            # The human took longer than a reach takes: reach at the model's pace, then
            # home in over the rest of the time, as people do.
            share = min(max(model * float(rng.uniform(0.9, 1.3)) / duration, 0.2), 0.85)
            if distance > 40.0 and rng.random() < hard.secondary_prob:
                # A secondary submovement of its own speed, some time after the reach.
                along = distance * float(rng.uniform(0.04, 0.15)) + float(rng.uniform(1.0, 4.0))
                side = distance * float(rng.normal(0.0, 0.04))
                x, y = _with_correction(family, plan, move.start, move.end, times, n, ctx, script, rng,
                                        (along, side), share, fix_ms=float(rng.uniform(120.0, 350.0)))
            else:
                # Creeping in, a pixel every few tens of ms, then resting on the target.
                along = float(rng.uniform(1.0, 4.0)) + min((1.0 - share) * duration / 200.0, 6.0)
                x, y = _with_correction(family, plan, move.start, move.end, times, n, ctx, script, rng,
                                        (along, float(rng.normal(0.0, 1.5))), share, stepwise=True,
                                        fix_ms=(along + 1.0) * float(rng.uniform(30.0, 110.0)))
        elif distance > 60.0 and duration > 250.0 and rng.random() < hard.correction_prob:
            along = max(distance * hard.overshoot_share * float(rng.uniform(0.3, 1.5)), 2.0)
            side = distance * float(rng.normal(0.0, 0.03))
            x, y = _with_correction(family, plan, move.start, move.end, times, n, ctx, script, rng,
                                    (along, side), float(rng.uniform(0.4, 0.85)))
        elif distance > 15.0 and duration > 150.0 and rng.random() < hard.creep_prob:
            # The last few pixels crept over slowly, as a hand settles on a target.
            along = float(rng.uniform(1.0, 5.0))
            creep = min(float(rng.uniform(0.2, 0.5)), float(rng.uniform(150.0, 800.0)) / duration)
            x, y = _with_correction(family, plan, move.start, move.end, times, n, ctx, script, rng,
                                    (along, float(rng.normal(0.0, 1.5))), 1.0 - creep, stepwise=True)
        else:
            x, y = family.path(rng, plan, move.start, move.end, times, ctx, script)
        if hard.tremor_px > 0.0 and distance > 3.0:
            tx, ty = tremor(rng, times, hard.tremor_px)
            x, y = x + tx, y + ty
        if hard.jitter_px > 0.0 and distance > 3.0 and n > 4:
            # Fast, irregular hand noise (a few ms of correlation), gone at both ends.
            window = taper(n)
            x = x + smooth_noise(rng, n, hard.jitter_px, hard.jitter_ms) * window
            y = y + smooth_noise(rng, n, hard.jitter_px, hard.jitter_ms) * window
        for t, ex, ey in sample_events(t0 + times, x, y, sampler, rng, script.width, script.height):
            if events and t < events[-1][0]:
                t = events[-1][0]
            events.append((t, ex, ey))
    return events


def describe_sampler(sampler: SamplerParams) -> str:
    if sampler.mode == "remote":
        return "remote-batched" if sampler.period == 0.0 else f"remote-{sampler.period:g}ms"
    if sampler.mode == "timer":
        return f"timer-{sampler.period:.0f}ms"
    if sampler.mode == "frame":
        return f"frame-{1000.0 / sampler.period:.0f}hz"
    return f"{sampler.mode}-{sampler.period:g}ms"


def sampler_latency(sampler: SamplerParams) -> float:
    """How long after the pointer stops its resting place may be reported, at most."""
    if sampler.mode == "remote":
        period = sampler.period if sampler.period > 0.0 else max(BATCH_TICKS) * REMOTE_CLOCK_MS
        return period + REMOTE_CLOCK_MS + 4.0 * sampler.jitter + 1.0
    if sampler.mode == "timer":
        return sampler.period + 6.0 * sampler.jitter + (30.0 if sampler.stall_prob > 0.0 else 0.0) + 1.0
    return sampler.period + sampler.poll + 3.0 * sampler.jitter + 1.0


def _with_correction(family: PathFamily, plan: Any, start: Point, end: Point, times: FloatArray,
                     n: int, ctx: Context, script: Script, rng: np.random.Generator,
                     error: tuple[float, float], primary: float,
                     stepwise: bool = False, fix_ms: float | None = None) -> tuple[FloatArray, FloatArray]:
    """A primary move, taking the `primary` share of the time, that misses by `error` (along
    the way past the target, sideways), and a slow correction onto the target: smooth, or
    `stepwise`, pixel by pixel at random moments, as a settling hand creeps. With `fix_ms`
    the correction lasts that long (at most), after a pause, and the pointer then rests."""
    dx, dy = end[0] - start[0], end[1] - start[1]
    dist = math.hypot(dx, dy)
    ux, uy = dx / dist, dy / dist
    along, side = error
    if rng.random() < 0.3:
        along = -along  # an undershoot
    miss = (end[0] + ux * along - uy * side, end[1] + uy * along + ux * side)
    # Humans reach most of the way fast and home in slowly.
    split = min(max(int(n * primary), 1), n - 2)
    rest = 0
    if fix_ms is not None:
        step = float(times[1] - times[0])
        fix = min(n - split - 1, max(2, int(fix_ms / step)))
        free = n - split - fix
        # A short hesitation only: a long one would end the stroke.
        dwell = int(min(free, float(rng.uniform(0.0, 120.0)) / step))
        rest = free - dwell
    else:
        dwell = int(min(n - split - 2, max(0.0, float(rng.uniform(0.0, 0.25)) * (n - split))))
    x1, y1 = family.path(rng, plan, start, miss, times[: split + 1], ctx, script)
    fix_times = times[split + dwell: len(times) - rest] - times[split + dwell]
    u = fix_times / fix_times[-1]
    if stepwise:
        steps = max(1, int(math.ceil(math.hypot(end[0] - miss[0], end[1] - miss[1]))))
        moments = np.sort(rng.uniform(0.0, 1.0, steps))
        moments[-1] = min(float(moments[-1]), 0.97)
        share = np.searchsorted(moments, u, side="right") / steps
        share[-1] = 1.0
    else:
        share = min_jerk(u)
    x2 = miss[0] + (end[0] - miss[0]) * share
    y2 = miss[1] + (end[1] - miss[1]) * share
    x = np.concatenate([x1, np.full(dwell, miss[0]), x2[1:], np.full(rest, end[0])])
    y = np.concatenate([y1, np.full(dwell, miss[1]), y2[1:], np.full(rest, end[1])])
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
