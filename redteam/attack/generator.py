"""The attacker's bot: one session from a human script and a point of settings.

Everything is computed for the whole session at once with NumPy: the event clock first
(when the page would receive events), then the pointer's position at each poll behind
those events, from closed-form movement profiles. There is no per-move or per-event
Python loop, so a session takes about a millisecond and 10,000 queries a few minutes.
"""

from __future__ import annotations

import math
from dataclasses import dataclass

import numpy as np
from numpy.typing import NDArray

from ..script import Script, Session
from .params import DEVICE_PIXEL_RATIO, Settings

FloatArray = NDArray[np.float64]
# Events end this long after the last move arrives (the resting place gets reported).
TAIL_MS = 250.0
MIN_MOVE_MS = 8.0


@dataclass(frozen=True)
class Plan:
    """A script's moves as columns, built once per script."""

    earliest: FloatArray
    t_start: FloatArray
    deadline: FloatArray
    end: FloatArray      # (n, 2)
    start: FloatArray    # (2,)
    distance: FloatArray


def plan_of(script: Script) -> Plan:
    moves = script.moves
    end = np.array([m.end for m in moves], dtype=np.float64).reshape(len(moves), 2)
    begin = np.array([m.start for m in moves], dtype=np.float64).reshape(len(moves), 2)
    return Plan(
        earliest=np.array([m.earliest for m in moves], dtype=np.float64),
        t_start=np.array([m.t_start for m in moves], dtype=np.float64),
        deadline=np.array([m.deadline for m in moves], dtype=np.float64),
        end=end, start=np.array(script.start, dtype=np.float64),
        distance=np.hypot(end[:, 0] - begin[:, 0], end[:, 1] - begin[:, 1]))


def min_jerk(u: FloatArray) -> FloatArray:
    u = np.clip(u, 0.0, 1.0)
    out: FloatArray = u * u * u * (10.0 - 15.0 * u + 6.0 * u * u)
    return out


def profile(u: FloatArray, peak_at: float, sharpness: float) -> FloatArray:
    """Share of the path covered at time share u: minimum jerk on a skewed clock (the speed
    peaks near `peak_at`), sharpened or flattened symmetrically around the middle."""
    skew = math.log(0.5) / math.log(peak_at)
    s = np.clip(min_jerk(np.clip(u, 0.0, 1.0) ** skew), 0.0, 1.0)
    if abs(sharpness - 1.0) > 1e-9:
        a = s ** sharpness
        b = (1.0 - s) ** sharpness
        s = a / np.maximum(a + b, 1e-300)
    return s


def _smooth_noise(rng: np.random.Generator, times: FloatArray, t0: float, t1: float,
                  sd: float, corr_ms: float) -> FloatArray:
    """Noise of deviation `sd` that changes over about `corr_ms`: independent values on knots
    that far apart, interpolated."""
    if sd <= 0.0 or len(times) == 0:
        return np.zeros_like(times)
    count = int((t1 - t0) / corr_ms) + 3
    knots = t0 - corr_ms + corr_ms * np.arange(count)
    out: FloatArray = np.interp(times, knots, rng.normal(0.0, sd, count))
    return out


def _event_clock(rng: np.random.Generator, s: Settings, t0: float, t1: float) -> tuple[FloatArray, FloatArray]:
    """(when each polled position was read, the event's time stamp), in delivery order."""
    mean = s["event_ms"]
    cv = s["event_cv"]
    count = int((t1 - t0) / mean * 1.2) + 16
    parts: list[FloatArray] = []
    reached = t0 + float(rng.uniform(0.0, mean))
    while reached < t1:
        gaps = mean * np.exp(rng.normal(-0.5 * cv * cv, cv, count)) if cv > 0 else np.full(count, mean)
        ticks = reached + np.cumsum(gaps)
        parts.append(ticks)
        reached = float(ticks[-1])
    ticks = np.concatenate(parts)
    ticks = ticks[ticks <= t1]
    if s["drop_share"] > 0.0:
        ticks = ticks[rng.random(len(ticks)) >= s["drop_share"]]
    poll = s["poll_ms"]
    phase = float(rng.uniform(0.0, poll))
    reads = np.floor((ticks - phase) / poll) * poll + phase
    stamps = ticks + rng.normal(0.0, s["stamp_noise_ms"], len(ticks)) if s["stamp_noise_ms"] > 0 else ticks.copy()
    if s["batch_prob"] > 0.0 and len(stamps):
        # A batch: events read at different moments, delivered with one stamp (its last).
        size = max(int(round(s["batch_size"])), 2)
        order = np.arange(len(stamps))
        starts = rng.random(len(stamps)) < s["batch_prob"] / size
        last_start = np.maximum.accumulate(np.where(starts, order, -1))
        inside = (last_start >= 0) & (order - last_start < size)
        closing = np.minimum(last_start + size - 1, len(stamps) - 1)
        stamps = np.where(inside, stamps[closing], stamps)
    stamps = np.maximum.accumulate(stamps)
    stamps = np.round(stamps) if s["stamp_round"] > 0.5 else np.round(stamps, 1)
    return reads, stamps


def session(script: Script, plan: Plan, s: Settings, rng: np.random.Generator) -> Session:
    """A bot session following `script` with settings `s`."""
    n = len(plan.deadline)
    if n == 0:
        return _assemble(script, np.zeros(0), np.zeros(0), np.zeros(0), [dict(c) for c in script.clicks])
    # When each move arrives and how long it takes, within the script's times.
    margin = s["settle_ms"] * rng.uniform(0.3, 1.7, n)
    arrive = plan.deadline - margin
    tight = arrive - plan.earliest < MIN_MOVE_MS
    arrive = np.where(tight, plan.deadline - np.minimum(margin, 0.5 * np.maximum(plan.deadline - plan.earliest, 0.0)),
                      arrive)
    # Never before the pointer may leave (a move the script squeezes in after a click).
    arrive = np.maximum(arrive, np.minimum(plan.earliest + 1.0, plan.deadline))
    room = np.maximum(arrive - plan.earliest, 1.0)
    index = np.log2(plan.distance / s["target_width"] + 1.0)
    model = (s["fitts_a"] + s["fitts_b"] * index) * np.exp(rng.normal(0.0, s["duration_sd"], n))
    human = arrive - (plan.t_start + s["start_lag_ms"])
    wanted = np.where(rng.random(n) < s["human_timing"], human, model)
    duration = np.minimum(np.maximum(wanted, MIN_MOVE_MS), room)
    t0 = arrive - duration

    # Where each move rests, and where it starts (the previous resting place).
    angle = rng.uniform(0.0, 2.0 * math.pi, n)
    off = s["end_offset_px"] * np.sqrt(rng.random(n))
    rest = plan.end + np.stack([off * np.cos(angle), off * np.sin(angle)], axis=1)
    begin = np.vstack([plan.start[None, :], rest[:-1]])
    delta = rest - begin
    length = np.hypot(delta[:, 0], delta[:, 1])
    unit = delta / np.maximum(length, 1e-9)[:, None]
    normal = np.stack([-unit[:, 1], unit[:, 0]], axis=1)

    # Per-move draws: bow, miss and correction, second submovement, hesitation.
    hand = 1.0 if rng.random() < 0.5 else -1.0
    bow = hand * s["bow_mean"] + rng.normal(0.0, s["bow_sd"], n)
    correct = (rng.random(n) < s["overshoot_prob"]) & (length > 20.0)
    miss_along = length * s["overshoot_size"] * rng.uniform(0.3, 1.5, n) * np.where(rng.random(n) < 0.3, -1.0, 1.0)
    miss_side = length * rng.normal(0.0, s["overshoot_side"], n)
    miss = rest + unit * miss_along[:, None] + normal * miss_side[:, None]
    target = np.where(correct[:, None], miss, rest)
    primary = np.where(correct, s["primary_share"] * rng.uniform(0.9, 1.1, n).clip(0.0, 1.0 / 0.96), 1.0)
    primary = np.minimum(primary, 0.98)
    sub = np.where(rng.random(n) < s["submove_prob"], s["submove_size"] * rng.uniform(0.5, 1.5, n), 0.0)
    onset = np.clip(s["submove_onset"] * rng.uniform(0.85, 1.15, n), 0.05, 0.95)
    first_end = np.minimum(onset + 0.35, 1.0)
    pause = np.where(rng.random(n) < s["pause_prob"], s["pause_share"] * rng.uniform(0.5, 1.5, n), 0.0)
    pause = np.minimum(pause, 0.8)
    pause_at = rng.uniform(0.2, 0.8, n) * (1.0 - pause)

    t_begin = float(t0[0]) - 200.0
    t_end = float(arrive[-1]) + TAIL_MS
    reads, stamps = _event_clock(rng, s, t_begin, t_end)

    # The move under way (or last finished) at each read.
    m = np.searchsorted(t0, reads, side="right") - 1
    before = m < 0
    mi = np.maximum(m, 0)
    u_all = (reads - t0[mi]) / duration[mi]
    moving = (~before) & (u_all < 1.0)
    # At rest: the resting place (the start before the first move).
    pos = np.where(before[:, None], np.broadcast_to(plan.start, (len(reads), 2)), rest[mi])
    # Moving: the path, computed for those reads only.
    at = np.flatnonzero(moving)
    mm = mi[at]
    u = np.clip(u_all[at], 0.0, 1.0)
    # A hesitation holds the progress still for its share of the time.
    p, pa = pause[mm], pause_at[mm]
    v = np.where(u < pa, u / (1.0 - p), np.where(u < pa + p, pa / (1.0 - p), (u - p) / (1.0 - p)))
    v = np.clip(v, 0.0, 1.0)
    r = primary[mm]
    w = np.minimum(v / r, 1.0)
    # The primary reach, with an overlapping second submovement covering part of the way.
    sm, on, fe = sub[mm], onset[mm], first_end[mm]
    main = profile(np.minimum(w / fe, 1.0), s["peak_at"], s["sharpness"])
    share = (1.0 - sm) * main + sm * min_jerk((w - on) / (1.0 - on))
    b0 = begin[mm]
    tg = target[mm]
    chord = tg - b0
    span = np.hypot(chord[:, 0], chord[:, 1])
    side = bow[mm] * span * np.sin(math.pi * np.clip(share, 0.0, 1.0) ** s["bow_skew"])
    path = b0 + chord * share[:, None] + normal[mm] * side[:, None]
    # The correction from the miss onto the resting place.
    fix = min_jerk((v - r) / np.maximum(1.0 - r, 1e-9))
    corrected = tg + (rest[mm] - tg) * fix[:, None]
    path = np.where(((v > r) & correct[mm])[:, None], corrected, path)

    # Hand noise inside moves (zero at both ends, so the path stays continuous), then the
    # idle drift of the resting hand at all times.
    window = np.sin(math.pi * u) ** 2
    hz = s["tremor_hz"]
    moved = reads[at]
    for axis in range(2):
        wave = np.zeros_like(moved)
        if s["tremor_px"] > 0.0:
            phases = rng.uniform(0.0, 2.0 * math.pi, 2)
            wave = s["tremor_px"] * (np.sin(2e-3 * math.pi * hz * moved + phases[0])
                                     + 0.5 * np.sin(2e-3 * math.pi * 1.7 * hz * moved + phases[1]))
        jitter = _smooth_noise(rng, moved, t_begin, t_end, s["jitter_px"], s["jitter_ms"])
        path[:, axis] += (wave + jitter) * window
        pos[:, axis] += _smooth_noise(rng, reads, t_begin, t_end, s["drift_px"], s["drift_ms"])
    pos[at] += path - rest[mm]  # moving reads are never before the first move
    pos[:, 0] = np.clip(pos[:, 0], 0.0, script.width - 1.0)
    pos[:, 1] = np.clip(pos[:, 1], 0.0, script.height - 1.0)
    if s["subpixel"] > 0.5:
        pos = np.round(np.round(pos * DEVICE_PIXEL_RATIO) / DEVICE_PIXEL_RATIO, 2)
    else:
        pos = np.round(pos)
    # Only a changed position makes an event, unless still polls are sent too.
    changed = np.ones(len(reads), dtype=bool)
    changed[1:] = (pos[1:, 0] != pos[:-1, 0]) | (pos[1:, 1] != pos[:-1, 1])
    keep = changed | (rng.random(len(reads)) < s["report_still"])
    return _assemble(script, stamps[keep], pos[keep, 0], pos[keep, 1], _clicks_at_pointer(script, reads, pos))


def _clicks_at_pointer(script: Script, reads: FloatArray, pos: FloatArray) -> list[dict[str, object]]:
    """The script's clicks, each where the pointer is when it comes, as a browser reports
    them (a keyboard's click at (0, 0) stays there)."""
    clicks = [dict(c) for c in script.clicks]
    for c in clicks:
        x, y, t = c.get("x"), c.get("y"), c.get("t")
        if (x == 0 and y == 0) or not isinstance(t, (int, float)):
            continue
        k = int(np.searchsorted(reads, float(t), side="right")) - 1
        if k >= 0:
            c["x"], c["y"] = float(pos[k, 0]), float(pos[k, 1])
    return clicks


def _assemble(script: Script, t: FloatArray, x: FloatArray, y: FloatArray,
              clicks: list[dict[str, object]]) -> Session:
    return {
        "label": "bot",
        "source": "adaptive_attack",
        "browser": dict(script.browser),
        "clicks": clicks,
        "scrolls": [dict(c) for c in script.scrolls],
        "keystrokes": [dict(k) for k in script.keystrokes],
        "mouse_movements": [{"x": a, "y": b, "t": c} for a, b, c in zip(x.tolist(), y.tolist(), t.tolist())],
    }
