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
Mode = Literal["frame", "raw", "fixed", "remote", "timer"]
Coords = Literal["int", "subpixel"]

# Display refresh periods (ms) and device poll periods (ms) seen on real machines.
# 60 Hz dominates, as on the machines of the human data.
FRAME_PERIODS = (1000.0 / 60.0,) * 10 + (1000.0 / 75.0, 1000.0 / 120.0, 1000.0 / 144.0)
POLL_PERIODS = (1.0, 2.0, 4.0, 8.0, 8.0)
DEVICE_PIXEL_RATIOS = (1.25, 1.5, 1.75)
# A remote desktop stamps events with a 64 Hz clock and, on most links, sends the pointer
# about every seventh tick (about 110 ms); the tick counts between updates and their weights.
REMOTE_CLOCK_MS = 1000.0 / 64.0
BATCH_TICKS = (5, 6, 7, 8, 9, 10, 11, 12, 13)
BATCH_WEIGHTS = (0.03, 0.12, 0.45, 0.17, 0.08, 0.06, 0.04, 0.03, 0.02)


@dataclass(frozen=True)
class SamplerParams:
    mode: Mode
    period: float       # frame period (frame, fixed) or poll period (raw), ms
    poll: float         # device poll period, ms
    phase: float        # frame clock phase, ms
    jitter: float       # timestamp noise, standard deviation in ms
    drop_prob: float    # chance that a busy main thread skips a frame
    split_prob: float   # chance that a frame's input arrives as two events (uncoalesced)
    int_time: bool      # timestamps in whole milliseconds
    coords: Coords
    dpr: float          # device pixel ratio for sub-pixel coordinates
    frame_stamps: bool = False  # events carry the frame's time, not the last poll's
    stall_prob: float = 0.0     # timer: chance that a tick waits on a busy event loop
    report_still: bool = False  # timer: events are sent even when the position is unchanged


def plan_timer(rng: np.random.Generator, difficulty: float) -> SamplerParams:
    """Events sent by the bot's own loop rather than by a mouse: one per sleep of `period`
    ms, each late by the scheduler's delay (exponential, mean `jitter`) and now and then
    by a stall; stamped when the page handles them. Harder settings mean more delay and
    fewer whole-millisecond stamps, so the intervals repeat less."""
    return SamplerParams(
        mode="timer", period=float(rng.uniform(4.0, 25.0)), poll=1.0, phase=0.0,
        jitter=float(rng.uniform(0.05, 3.0)) * difficulty, drop_prob=0.0, split_prob=0.0,
        int_time=bool(rng.random() < 1.0 - 0.6 * difficulty), coords="int",
        dpr=float(rng.choice(DEVICE_PIXEL_RATIOS)), stall_prob=float(rng.uniform(0.0, 0.05)) * difficulty,
        report_still=bool(rng.random() < 0.5))


def plan_sampler(rng: np.random.Generator, difficulty: float, coarse_clock: bool = False,
                 batched: bool = False) -> SamplerParams:
    """Per-session event timing. Below difficulty 0.25 the easy tells appear: a fixed
    interval with every tick reported, and sometimes sub-pixel coordinates. A script from a
    remote-desktop human (`coarse_clock`, `batched` updates) is usually followed by a bot
    behind a remote desktop too, so its timing does not stand out against its script."""
    if difficulty < 0.25 and rng.random() < 0.7:
        return SamplerParams(
            mode="fixed", period=float(rng.choice([8.0, 10.0, 16.0, 20.0])), poll=1.0, phase=0.0,
            jitter=0.0, drop_prob=0.0, split_prob=0.0, int_time=bool(rng.random() < 0.5),
            coords="subpixel" if rng.random() < 0.5 else "int",
            dpr=float(rng.choice(DEVICE_PIXEL_RATIOS)))
    if coarse_clock and rng.random() < 0.9:
        return SamplerParams(
            mode="remote", period=0.0 if batched else float(rng.choice([8.0, 16.0])),
            poll=1.0, phase=0.0, jitter=float(rng.uniform(0.2, 1.5)), drop_prob=0.0, split_prob=0.0,
            int_time=True, coords="int", dpr=1.0)
    raw = rng.random() < 0.04
    poll = float(rng.choice(POLL_PERIODS))
    period = (8.0 if poll < 8.0 else poll) if raw else float(rng.choice(FRAME_PERIODS))
    return SamplerParams(
        mode="raw" if raw else "frame", period=period, poll=poll,
        phase=float(rng.uniform(0.0, period)),
        jitter=float(rng.uniform(0.05, 0.6)) * difficulty,
        drop_prob=float(rng.uniform(0.0, 0.01)) * difficulty,
        split_prob=float(rng.uniform(0.01, 0.08)) * difficulty,
        frame_stamps=bool(rng.random() < 0.6),
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
    if params.mode == "remote":
        return _remote_events(t, x, y, params, rng, width, height)
    if params.mode == "timer":
        return _timer_events(t, x, y, params, rng, width, height)
    first = math.floor((start - params.phase) / params.period) + 1
    # One tick past the end (and past one poll) so that the resting place is reported.
    last = math.ceil((end + params.poll - params.phase) / params.period)
    ticks = params.phase + params.period * np.arange(first, last + 1, dtype=np.float64)
    if params.mode == "frame" and params.drop_prob > 0.0 and len(ticks) > 2:
        keep = rng.random(len(ticks)) >= params.drop_prob
        keep[-1] = True
        ticks = ticks[keep]
    if params.mode == "frame" and params.split_prob > 0.0 and len(ticks) > 0:
        split = rng.random(len(ticks)) < params.split_prob
        early = ticks[split] - rng.uniform(2.0, params.period - 2.0, int(split.sum()))
        ticks = np.sort(np.concatenate([ticks, early]))
    if params.mode == "fixed":
        reads = ticks.copy()
        stamps = ticks.copy()
    else:
        # The position is the last device poll's; the time is that poll's, or the frame's
        # in browsers that stamp coalesced events when they dispatch them.
        reads = np.maximum(np.floor(ticks / params.poll) * params.poll, start)
        stamps = np.maximum(ticks, start) if params.frame_stamps and params.mode == "frame" else reads.copy()
    px = _quantize(np.clip(np.interp(reads, t, x), 0.0, width - 1.0), params)
    py = _quantize(np.clip(np.interp(reads, t, y), 0.0, height - 1.0), params)
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


def _remote_events(
    t: FloatArray, x: FloatArray, y: FloatArray, params: SamplerParams,
    rng: np.random.Generator, width: float, height: float,
) -> list[tuple[float, float, float]]:
    """Events of a pointer seen through a remote desktop: read every few ms (or once per
    batch of clock ticks) and stamped by the coarse clock, so equal stamps are common."""
    start, end = float(t[0]), float(t[-1])
    if params.period > 0.0:
        count = int(math.ceil((end - start) / params.period)) + 2
        reads = start + params.period * np.arange(1, count + 1) + rng.normal(0.0, params.jitter, count)
        reads = np.sort(reads)
    else:
        ticks = np.cumsum(rng.choice(BATCH_TICKS, size=int((end - start) / (6 * REMOTE_CLOCK_MS)) + 3,
                                     p=BATCH_WEIGHTS))
        first = math.floor(start / REMOTE_CLOCK_MS) + 1
        reads = (first + np.concatenate([[0], ticks])) * REMOTE_CLOCK_MS
    # Read until one update past the end, so the resting place is sent.
    past = int(np.searchsorted(reads, end, side="left"))
    reads = reads[: past + 1]
    stamps = np.round(np.floor(reads / REMOTE_CLOCK_MS + 1e-9) * REMOTE_CLOCK_MS)
    px = np.round(np.clip(np.interp(reads, t, x), 0.0, width - 1.0))
    py = np.round(np.clip(np.interp(reads, t, y), 0.0, height - 1.0))
    events: list[tuple[float, float, float]] = []
    prev = (float(np.round(x[0])), float(np.round(y[0])))
    for i in range(len(reads)):
        place = (float(px[i]), float(py[i]))
        if place != prev:
            events.append((float(stamps[i]), place[0], place[1]))
            prev = place
    return events


def _timer_events(
    t: FloatArray, x: FloatArray, y: FloatArray, params: SamplerParams,
    rng: np.random.Generator, width: float, height: float,
) -> list[tuple[float, float, float]]:
    """Events of a dispatch loop: each tick sleeps `period` plus the scheduler's delay and
    sends the path's position at that moment, until one tick past the end."""
    start, end = float(t[0]), float(t[-1])
    count = int(math.ceil((end - start) / params.period)) + 2
    gaps = params.period + rng.exponential(params.jitter, count) if params.jitter > 0 else np.full(count, params.period)
    stalls = rng.random(count) < params.stall_prob
    gaps = gaps + stalls * rng.uniform(5.0, 30.0, count)
    reads = start + np.cumsum(gaps)
    past = int(np.searchsorted(reads, end, side="left"))
    reads = reads[: past + 1]
    px = _quantize(np.clip(np.interp(reads, t, x), 0.0, width - 1.0), params)
    py = _quantize(np.clip(np.interp(reads, t, y), 0.0, height - 1.0), params)
    stamps = np.round(reads) if params.int_time else np.round(reads, 1)
    events: list[tuple[float, float, float]] = []
    prev = (float(_quantize(np.array([x[0]]), params)[0]), float(_quantize(np.array([y[0]]), params)[0]))
    for i in range(len(reads)):
        place = (float(px[i]), float(py[i]))
        if place == prev and not params.report_still:
            continue
        events.append((float(stamps[i]), place[0], place[1]))
        prev = place
    return events
