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
# Inside a stroke, a speed minimum below this share of the top speed, this far from the
# ends and from other anchors, is a submovement boundary (at most DIP_MAX per stroke part).
DIP_SHARE = 0.25
DIP_MIN_MS = 150.0
DIP_MAX = 3
# A clock with 64 Hz resolution (Windows' default timer), as remote-desktop humans show.
COARSE_TICK_MS = 1000.0 / 64.0
COARSE_SHARE = 0.85
COARSE_OTHER = 0.05

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
    coarse_clock: bool      # the human's times tick in 15.625 ms steps (a remote desktop)
    strokes: tuple[Stroke, ...]


def load_humans(paths: list[Path]) -> list[Session]:
    """Reads human session lines; a missing or unreadable file raises DataError."""
    return load_humans_traced(paths)[0]


def load_humans_traced(paths: list[Path]) -> tuple[list[Session], list[tuple[str, int]]]:
    """The sessions and, for each, its file and 1-based line number."""
    sessions: list[Session] = []
    origins: list[tuple[str, int]] = []
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
                origins.append((str(path), number))
    return sessions, origins


def _samples(session: Session) -> list[tuple[float, float, float]]:
    out: list[tuple[float, float, float]] = []
    items = session.get("mouse_movements")
    for item in items if isinstance(items, list) else []:  # pyright: ignore[reportUnknownVariableType]
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
    items = session.get("clicks")
    for item in items if isinstance(items, list) else []:  # pyright: ignore[reportUnknownVariableType]
        try:
            out.append((float(item["t"]), (float(item["x"]), float(item["y"]))))
        except (KeyError, TypeError, ValueError):
            continue
    out.sort(key=lambda c: c[0])
    return out


def _records(session: Session, key: str) -> list[dict[str, Any]]:
    """Copies of the dict items of a list field (anything else is no record to copy)."""
    items = session.get(key)
    if not isinstance(items, list):
        return []
    return [dict(item) for item in items if isinstance(item, dict)]  # pyright: ignore[reportUnknownArgumentType, reportUnknownVariableType]


def _size(value: Any, default: float) -> float:
    """A positive finite screen size, or the default."""
    if isinstance(value, (int, float)) and not isinstance(value, bool) and math.isfinite(value) and value > 0:
        return float(value)
    return default


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


def _speed_dips(part: list[tuple[float, float, float]]) -> list[tuple[float, float, float]]:
    """Points where the human nearly stopped inside a stroke: the ends of submovements."""
    if len(part) < 7 or part[-1][0] - part[0][0] < 2 * DIP_MIN_MS:
        return []
    speeds: list[float] = []
    for a, b in zip(part, part[1:]):
        dt = max(b[0] - a[0], 1.0)
        speeds.append(math.hypot(b[1] - a[1], b[2] - a[2]) / dt)
    smooth = [sum(speeds[max(0, i - 1): i + 2]) / len(speeds[max(0, i - 1): i + 2]) for i in range(len(speeds))]
    top = max(smooth)
    if top <= 0.0:
        return []
    dips: list[tuple[float, float, float]] = []
    last = part[0][0]
    for i in range(1, len(smooth) - 1):
        point = part[i + 1]
        if (smooth[i] <= smooth[i - 1] and smooth[i] < smooth[i + 1] and smooth[i] < DIP_SHARE * top
                and point[0] - last >= DIP_MIN_MS and part[-1][0] - point[0] >= DIP_MIN_MS
                and max(smooth[i + 1:]) > 2.0 * DIP_SHARE * top):
            dips.append(point)
            last = point[0]
            if len(dips) == DIP_MAX:
                break
    return dips


def _anchors(part: list[tuple[float, float, float]]) -> list[tuple[float, float, float]]:
    """The route's far points and the submovement ends of a stroke part, in time order."""
    found = sorted(set(_waypoints(part, 2)) | set(_speed_dips(part)))
    kept: list[tuple[float, float, float]] = []
    for point in found:
        if not kept or point[0] - kept[-1][0] >= DIP_MIN_MS / 2:
            kept.append(point)
    return kept


def build_script(session: Session, index: int) -> Script:
    samples = _samples(session)
    clicks = _clicks(session)
    raw_browser = session.get("browser")
    browser: dict[str, Any] = dict(raw_browser) if isinstance(raw_browser, dict) else {}  # pyright: ignore[reportUnknownArgumentType]
    width = _size(browser.get("screen_width"), 1024.0)
    height = _size(browser.get("screen_height"), 768.0)
    intervals = [b[0] - a[0] for a, b in zip(samples, samples[1:])]
    median_dt = _median([d for d in intervals if d > 0])
    # Intervals of a coarse clock are whole ticks (up to rounding), and not all of one tick.
    ticks = [round(d / COARSE_TICK_MS) for d in intervals]
    on_tick = sum(1 for d, k in zip(intervals, ticks) if abs(d - COARSE_TICK_MS * k) <= 1.0)
    off_one = sum(1 for k in ticks if k != 1)
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
            for w in _anchors(stroke[piece_start:cut]):
                anchors.append((w[0], w[0], (w[1], w[2]), False))
            anchors.append((tc - CLICK_LEAD_MS, tc, place, True))
            piece_start = cut
            ci += 1
        for w in _anchors(stroke[piece_start:]):
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
        clicks=_records(session, "clicks"), scrolls=_records(session, "scrolls"),
        keystrokes=_records(session, "keystrokes"),
        moves=tuple(moves), start=start, median_dt=median_dt,
        coarse_clock=len(intervals) >= 10 and on_tick >= COARSE_SHARE * len(intervals)
        and off_one >= COARSE_OTHER * len(intervals), strokes=kept)
