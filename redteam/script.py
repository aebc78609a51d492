"""Session scripts taken from human sessions.

A stealthy bot replays a real person's session rhythm: when and where the clicks land, how
long the pauses last, when the page scrolls, the browser facts and the typed keys. All it
has to invent is the pointer path between those fixed points and, for typing bots, the key
timing. A `Script` is that fixed skeleton: the copied records plus the list of `Move`s, the
spans in which the human's pointer was moving, each with the place it must reach.
"""

from __future__ import annotations

import json
import math
from dataclasses import dataclass
from pathlib import Path
from typing import Any

# A click inside a stroke is reached this long before it at the latest.
CLICK_LEAD_MS = 30.0
# Strokes are split at pauses longer than this many typical intervals (at least 200 ms).
GAP_FACTOR = 3.0
MIN_GAP_MS = 200.0
# A stroke point is kept as a waypoint when it lies this far off the chord.
WAYPOINT_MIN_PX = 40.0
WAYPOINT_CHORD_SHARE = 0.3
WAYPOINT_MIN_MS = 150.0

Point = tuple[float, float]
Session = dict[str, Any]


class DataError(Exception):
    """The human data cannot be read."""


@dataclass(frozen=True)
class Move:
    """The pointer rests at `start` until it leaves (not before `earliest`) and must rest at
    `end` by `deadline`. `t_start` is when the human left; `ends_at_click` marks a move whose
    end is a click place."""

    earliest: float
    t_start: float
    deadline: float
    start: Point
    end: Point
    ends_at_click: bool


@dataclass(frozen=True)
class Stroke:
    """One human stroke: samples between pauses, kept for path replay."""

    t: tuple[float, ...]
    x: tuple[float, ...]
    y: tuple[float, ...]


@dataclass(frozen=True)
class Script:
    index: int
    source: str
    browser: dict[str, Any]
    width: float
    height: float
    clicks: list[dict[str, Any]]
    scrolls: list[dict[str, Any]]
    keystrokes: list[dict[str, Any]]
    moves: tuple[Move, ...]
    start: Point
    median_dt: float
    strokes: tuple[Stroke, ...]


def load_humans(paths: list[Path]) -> list[Session]:
    """Reads human session lines; a missing or unreadable file raises DataError."""
    sessions: list[Session] = []
    for path in paths:
        if not path.is_file():
            raise DataError(
                f"human data file {path} not found; the human sessions live in ../shared/data "
                "relative to the repository root (or pass --humans FILE...)")
        with path.open(encoding="utf-8") as handle:
            for number, line in enumerate(handle, 1):
                if not line.strip():
                    continue
                try:
                    row = json.loads(line)
                except json.JSONDecodeError as error:
                    raise DataError(f"{path}:{number}: not JSON ({error.msg})") from None
                if not isinstance(row, dict):
                    raise DataError(f"{path}:{number}: a line must be a JSON object")
                sessions.append(row)  # pyright: ignore[reportUnknownArgumentType]
    return sessions


def _samples(session: Session) -> list[tuple[float, float, float]]:
    out: list[tuple[float, float, float]] = []
    for item in session.get("mouse_movements") or []:
        try:
            t, x, y = float(item["t"]), float(item["x"]), float(item["y"])
        except (KeyError, TypeError, ValueError):
            continue
        if math.isfinite(t) and math.isfinite(x) and math.isfinite(y):
            out.append((t, x, y))
    out.sort(key=lambda s: s[0])
    return out


def _clicks(session: Session) -> list[tuple[float, Point]]:
    out: list[tuple[float, Point]] = []
    for item in session.get("clicks") or []:
        try:
            out.append((float(item["t"]), (float(item["x"]), float(item["y"]))))
        except (KeyError, TypeError, ValueError):
            continue
    out.sort(key=lambda c: c[0])
    return out


def _median(values: list[float]) -> float:
    if not values:
        return 16.0
    ordered = sorted(values)
    return ordered[len(ordered) // 2]


def _split_strokes(samples: list[tuple[float, float, float]], gap: float) -> list[list[tuple[float, float, float]]]:
    strokes: list[list[tuple[float, float, float]]] = []
    for sample in samples:
        if strokes and sample[0] - strokes[-1][-1][0] <= gap:
            strokes[-1].append(sample)
        else:
            strokes.append([sample])
    return strokes


def _waypoints(part: list[tuple[float, float, float]], depth: int) -> list[tuple[float, float, float]]:
    """Far-off-chord points of a stroke part, in time order (a coarse route, not the path)."""
    if depth == 0 or len(part) < 3:
        return []
    t0, x0, y0 = part[0]
    t1, x1, y1 = part[-1]
    chord = math.hypot(x1 - x0, y1 - y0)
    best, best_dist = -1, 0.0
    for i in range(1, len(part) - 1):
        t, x, y = part[i]
        if t - t0 < WAYPOINT_MIN_MS or t1 - t < WAYPOINT_MIN_MS:
            continue
        if chord > 1e-9:
            dist = abs((x1 - x0) * (y0 - y) - (x0 - x) * (y1 - y0)) / chord
        else:
            dist = math.hypot(x - x0, y - y0)
        if dist > best_dist:
            best, best_dist = i, dist
    if best < 0 or best_dist < max(WAYPOINT_MIN_PX, WAYPOINT_CHORD_SHARE * chord):
        return []
    return (_waypoints(part[: best + 1], depth - 1) + [part[best]]
            + _waypoints(part[best:], depth - 1))


def build_script(session: Session, index: int) -> Script:
    samples = _samples(session)
    clicks = _clicks(session)
    browser = dict(session.get("browser") or {})
    width = float(browser.get("screen_width") or 1024)
    height = float(browser.get("screen_height") or 768)
    median_dt = _median([b[0] - a[0] for a, b in zip(samples, samples[1:]) if b[0] > a[0]])
    gap = max(MIN_GAP_MS, GAP_FACTOR * median_dt)
    strokes = _split_strokes(samples, gap)

    moves: list[Move] = []
    if clicks and (not samples or clicks[0][0] <= samples[0][0]):
        pos: Point = clicks[0][1]
    elif samples:
        pos = (samples[0][1], samples[0][2])
    else:
        pos = (width / 2, height / 2)
    last_t = (samples[0][0] if samples else clicks[0][0] if clicks else 0.0) - 1000.0
    ci = 0

    def add(earliest: float, t_start: float, deadline: float, end: Point, at_click: bool) -> None:
        nonlocal pos, last_t
        if end != pos:
            deadline = max(deadline, earliest + 1.0)
            start = min(max(t_start, earliest), deadline - 1.0)
            moves.append(Move(earliest, start, deadline, pos, end, at_click))
            pos = end
        last_t = max(last_t, deadline)

    for k, stroke in enumerate(strokes):
        t_s, t_e = stroke[0][0], stroke[-1][0]
        # Clicks in the pause before this stroke: the pointer rests on each of them.
        while ci < len(clicks) and clicks[ci][0] < t_s:
            tc, place = clicks[ci]
            add(last_t + 20.0, tc - 150.0, tc - CLICK_LEAD_MS, place, True)
            last_t = tc
            ci += 1
        next_start = strokes[k + 1][0][0] if k + 1 < len(strokes) else math.inf
        # Anchors inside the stroke: clicks made while moving, and the route's far points.
        anchors: list[tuple[float, float, Point, bool]] = []  # (deadline, restart, place, click)
        inner = [c for c in clicks[ci:] if c[0] <= t_e]
        piece_start = 0
        for tc, place in inner:
            cut = next((i for i, s in enumerate(stroke) if s[0] >= tc), len(stroke))
            for w in _waypoints(stroke[piece_start:cut], 2):
                anchors.append((w[0], w[0], (w[1], w[2]), False))
            anchors.append((tc - CLICK_LEAD_MS, tc, place, True))
            piece_start = cut
            ci += 1
        for w in _waypoints(stroke[piece_start:], 2):
            anchors.append((w[0], w[0], (w[1], w[2]), False))
        # The stroke ends on the first click of the following pause, if there is one.
        if ci < len(clicks) and clicks[ci][0] < next_start:
            end_place, end_click = clicks[ci][1], True
            end_deadline = min(t_e, clicks[ci][0] - CLICK_LEAD_MS)
        else:
            end_place, end_click = (stroke[-1][1], stroke[-1][2]), False
            end_deadline = t_e
        anchors.append((end_deadline, end_deadline, end_place, end_click))
        leave = t_s - median_dt
        for deadline, restart, place, at_click in anchors:
            if deadline <= last_t + 10.0:
                # A too-short span: the pointer jumps within one event interval.
                deadline = min(last_t + 10.0, restart - 1.0) if at_click else last_t + 10.0
            add(last_t + 5.0, leave, deadline, place, at_click)
            leave = restart
            last_t = max(last_t, restart)
    while ci < len(clicks):
        tc, place = clicks[ci]
        add(last_t + 20.0, tc - 150.0, tc - CLICK_LEAD_MS, place, True)
        last_t = tc
        ci += 1

    kept = tuple(Stroke(tuple(s[0] for s in st), tuple(s[1] for s in st), tuple(s[2] for s in st))
                 for st in strokes if len(st) >= 5)
    start = moves[0].start if moves else pos
    return Script(
        index=index, source=str(session.get("source", "")), browser=browser,
        width=width, height=height,
        clicks=[dict(c) for c in session.get("clicks") or []],
        scrolls=[dict(s) for s in session.get("scrolls") or []],
        keystrokes=[dict(k) for k in session.get("keystrokes") or []],
        moves=tuple(moves), start=start, median_dt=median_dt, strokes=kept)
