"""Turning a continuous pointer trajectory into the events a browser page receives.

A page sees `mousemove` only when the pointer's pixel position changes, at most once per
device poll, and (in most browsers) coalesced to the display frame. So a slow move yields
sparse, irregular events and a fast one a frame-paced stream; stopping yields nothing.
"""

from __future__ import annotations

import math
from dataclasses import dataclass
from typing import Literal

import numpy as np
from numpy.typing import NDArray

FloatArray = NDArray[np.float64]
Mode = Literal["frame", "raw", "fixed"]
Coords = Literal["int", "subpixel"]

# Display refresh periods (ms) and device poll periods (ms) seen on real machines.
# 60 Hz dominates, as on the machines of the human data.
FRAME_PERIODS = (1000.0 / 60.0,) * 6 + (1000.0 / 75.0, 1000.0 / 120.0, 1000.0 / 144.0)
POLL_PERIODS = (1.0, 2.0, 4.0, 8.0, 8.0)
DEVICE_PIXEL_RATIOS = (1.25, 1.5, 1.75)


@dataclass(frozen=True)
class SamplerParams:
    mode: Mode
    period: float       # frame period (frame, fixed) or poll period (raw), ms
    poll: float         # device poll period, ms
    phase: float        # frame clock phase, ms
    jitter: float       # timestamp noise, standard deviation in ms
    drop_prob: float    # chance that a busy main thread skips a frame
    int_time: bool      # timestamps in whole milliseconds
    coords: Coords
    dpr: float          # device pixel ratio for sub-pixel coordinates


def plan_sampler(rng: np.random.Generator, difficulty: float) -> SamplerParams:
    """Per-session event timing. Below difficulty 0.25 the easy tells appear: a fixed
    interval with every tick reported, and sometimes sub-pixel coordinates."""
    if difficulty < 0.25 and rng.random() < 0.7:
        return SamplerParams(
            mode="fixed", period=float(rng.choice([8.0, 10.0, 16.0, 20.0])), poll=1.0, phase=0.0,
            jitter=0.0, drop_prob=0.0, int_time=bool(rng.random() < 0.5),
            coords="subpixel" if rng.random() < 0.5 else "int",
            dpr=float(rng.choice(DEVICE_PIXEL_RATIOS)))
    raw = rng.random() < 0.08
    poll = float(rng.choice(POLL_PERIODS))
    period = (8.0 if poll < 8.0 else poll) if raw else float(rng.choice(FRAME_PERIODS))
    return SamplerParams(
        mode="raw" if raw else "frame", period=period, poll=poll,
        phase=float(rng.uniform(0.0, period)),
        jitter=float(rng.uniform(0.05, 0.6)) * difficulty,
        drop_prob=float(rng.uniform(0.0, 0.06)) * difficulty,
        int_time=bool(rng.random() < 0.85),
        coords="subpixel" if difficulty < 0.3 and rng.random() < 0.3 else "int",
        dpr=float(rng.choice(DEVICE_PIXEL_RATIOS)))


def _quantize(v: FloatArray, params: SamplerParams) -> FloatArray:
    if params.coords == "int":
        return np.round(v)
    return np.round(np.round(v * params.dpr) / params.dpr, 2)


def sample_events(
    t: FloatArray, x: FloatArray, y: FloatArray, params: SamplerParams,
    rng: np.random.Generator, width: float, height: float,
) -> list[tuple[float, float, float]]:
    """Events for one move: `t` is absolute, increasing; the trajectory rests at its last
    point afterwards, so the final place is always reported on the next tick."""
    if len(t) == 0:
        return []
    start, end = float(t[0]), float(t[-1])
    first = math.floor((start - params.phase) / params.period) + 1
    # One tick past the end (and past one poll) so that the resting place is reported.
    last = math.ceil((end + params.poll - params.phase) / params.period)
    ticks = params.phase + params.period * np.arange(first, last + 1, dtype=np.float64)
    if params.mode == "frame" and params.drop_prob > 0.0 and len(ticks) > 2:
        keep = rng.random(len(ticks)) >= params.drop_prob
        keep[-1] = True
        ticks = ticks[keep]
    if params.mode == "fixed":
        stamps = ticks.copy()
    else:
        # The reported time is the last device poll before the tick.
        stamps = np.floor(ticks / params.poll) * params.poll
        stamps = np.maximum(stamps, start)
    px = _quantize(np.clip(np.interp(stamps, t, x), 0.0, width - 1.0), params)
    py = _quantize(np.clip(np.interp(stamps, t, y), 0.0, height - 1.0), params)
    if params.jitter > 0.0:
        stamps = stamps + rng.normal(0.0, params.jitter, len(stamps))
    if params.int_time:
        stamps = np.round(stamps)
    else:
        stamps = np.round(stamps, 1)
    events: list[tuple[float, float, float]] = []
    rest_x = _quantize(np.array([x[0]]), params)
    rest_y = _quantize(np.array([y[0]]), params)
    prev = (float(rest_x[0]), float(rest_y[0]))
    for i in range(len(stamps)):
        place = (float(px[i]), float(py[i]))
        if params.mode != "fixed" and place == prev:
            continue
        events.append((float(stamps[i]), place[0], place[1]))
        prev = place
    return events
