"""Simple per-session statistics for checking that no family is given away by one of them."""

from __future__ import annotations

import math
import statistics
from typing import Any

import numpy as np

from .script import Session

STAT_NAMES = ("dt_cv", "zero_dt", "straight", "int_xy", "key_cv", "hold_cv", "peaks", "peak_at")
PAUSE_MS = 200.0


def _cv(values: list[float]) -> float | None:
    if len(values) < 3:
        return None
    mean = statistics.fmean(values)
    return statistics.pstdev(values) / mean if mean > 0 else None


def _movement(session: Session) -> tuple[list[float], list[float], list[float]]:
    rows: list[tuple[float, float, float]] = []
    for m in session.get("mouse_movements") or []:
        rows.append((float(m["t"]), float(m["x"]), float(m["y"])))
    rows.sort(key=lambda r: r[0])
    return [r[0] for r in rows], [r[1] for r in rows], [r[2] for r in rows]


def _strokes(t: list[float]) -> list[tuple[int, int]]:
    bounds: list[tuple[int, int]] = []
    begin = 0
    for i in range(1, len(t) + 1):
        if i == len(t) or t[i] - t[i - 1] > PAUSE_MS:
            bounds.append((begin, i))
            begin = i
    return bounds


def _speed_shape(t: list[float], x: list[float], y: list[float]) -> tuple[int, float] | None:
    """Local speed maxima (above a fifth of the top speed) and where the top lies (0-1)."""
    tt, xx, yy = np.array(t), np.array(x), np.array(y)
    dt = np.diff(tt)
    keep = dt > 0
    if keep.sum() < 4:
        return None
    speed = np.hypot(np.diff(xx), np.diff(yy))[keep] / dt[keep]
    mid = (tt[1:][keep] + tt[:-1][keep]) / 2.0
    if len(speed) >= 3:
        speed = np.convolve(speed, np.ones(3) / 3.0, mode="same")
    top = float(speed.max())
    if top <= 0:
        return None
    inner = speed[1:-1]
    peaks = int(np.sum((inner > speed[:-2]) & (inner >= speed[2:]) & (inner > 0.2 * top)))
    span = tt[-1] - tt[0]
    at = float((mid[int(speed.argmax())] - tt[0]) / span) if span > 0 else 0.5
    return max(peaks, 1), at


def session_stats(session: Session) -> dict[str, float | None]:
    t, x, y = _movement(session)
    dts = [b - a for a, b in zip(t, t[1:])]
    short = [d for d in dts if d < PAUSE_MS]
    straight: list[float] = []
    peaks: list[float] = []
    peak_at: list[float] = []
    for begin, end in _strokes(t):
        if end - begin < 5:
            continue
        path = sum(math.hypot(x[i + 1] - x[i], y[i + 1] - y[i]) for i in range(begin, end - 1))
        if path <= 20.0:
            continue
        straight.append(math.hypot(x[end - 1] - x[begin], y[end - 1] - y[begin]) / path)
        shape = _speed_shape(t[begin:end], x[begin:end], y[begin:end])
        if shape is not None:
            peaks.append(float(shape[0]))
            peak_at.append(shape[1])
    coords = x + y
    keys: list[dict[str, Any]] = [k for k in session.get("keystrokes") or [] if isinstance(k, dict)]
    downs = sorted(float(k["t"]) for k in keys if "t" in k)
    holds = [float(k["duration_ms"]) for k in keys if "duration_ms" in k]
    return {
        "dt_cv": _cv(short),
        "zero_dt": (sum(1 for d in dts if d == 0) / len(dts)) if dts else None,
        "straight": statistics.median(straight) if straight else None,
        "int_xy": (sum(1 for v in coords if v == round(v)) / len(coords)) if coords else None,
        "key_cv": _cv([b - a for a, b in zip(downs, downs[1:])]),
        "hold_cv": _cv(holds),
        "peaks": statistics.median(peaks) if peaks else None,
        "peak_at": statistics.median(peak_at) if peak_at else None,
    }


def summary(sessions: list[Session]) -> dict[str, float | None]:
    """Median over sessions of each statistic (sessions without it are left out)."""
    per = [session_stats(s) for s in sessions]
    out: dict[str, float | None] = {}
    for name in STAT_NAMES:
        values = [v for p in per if (v := p[name]) is not None]
        out[name] = statistics.median(values) if values else None
    return out


def format_table(rows: list[tuple[str, int, dict[str, float | None]]]) -> str:
    head = f"{'source':<22} {'n':>5} " + " ".join(f"{n:>8}" for n in STAT_NAMES)
    lines = [head]
    for name, count, stats in rows:
        cells = " ".join(f"{'-' if (v := stats[n]) is None else f'{v:.3f}':>8}" for n in STAT_NAMES)
        lines.append(f"{name:<22} {count:>5} {cells}")
    return "\n".join(lines)
