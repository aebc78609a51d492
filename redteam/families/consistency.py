"""Families that each break exactly one fact a real pointing device and browser obey,
while everything else in the session is a real person's: the detector's consistency
checks must catch them, since its trees see nothing wrong.

- foreign_track: one person's whole pointer track pasted under another person's clicks,
  keys, scrolls and browser facts (shifted onto the clicks' area and time span), so the
  clicks are not where the pointer is;
- scripted_clicks: a person's clicks, keys and scrolls sent with no pointer events at all
  (element.click()), so clicks land at new places with no move between them;
- disordered_events: a person's own track delivered by a script that merges queues, so
  now and then a sample arrives after a later one;
- off_screen: a person's own session under browser facts copied from a smaller screen,
  so the pointer is where that screen has no pixels;
- teleport_pointer: a person's clicks, keys and scrolls with the pointer moved straight to
  each click's place just before it (one sample there), so it jumps with no path between;
- abrupt_stops: a person's own paths and clicks, re-timed after each movement's top speed
  so that the pointer keeps that speed to the end, as a timer-driven mover does.
"""

from __future__ import annotations

import math
from typing import Any

import numpy as np

from ..script import Script, Session, Stroke
from .base import Context, Family


def _track(strokes: tuple[Stroke, ...]) -> list[tuple[float, float, float]]:
    return [(t, x, y) for s in strokes for t, x, y in zip(s.t, s.x, s.y)]


def _session(name: str, script: Script, moves: list[tuple[float, float, float]],
             browser: dict[str, Any] | None = None, clicks: list[dict[str, Any]] | None = None) -> Session:
    return {"label": "bot", "source": name, "browser": dict(browser if browser is not None else script.browser),
            "clicks": [dict(c) for c in (clicks if clicks is not None else script.clicks)],
            "scrolls": [dict(s) for s in script.scrolls], "keystrokes": [dict(k) for k in script.keystrokes],
            "mouse_movements": [{"x": float(x), "y": float(y), "t": float(t)} for t, x, y in moves]}


class ForeignTrack(Family):
    name = "foreign_track"
    description = "another person's whole pointer track under this person's clicks, keys and browser"

    def session(self, script: Script, ctx: Context, rng: np.random.Generator,
                difficulty: float, notes: dict[str, str] | None = None) -> Session:
        others = sorted({i for i, _ in ctx.strokes if i != script.index})
        donor = others[int(rng.integers(len(others)))]
        track = _track(tuple(s for i, s in ctx.strokes if i == donor))
        clicks = script.clicks or [{"x": script.start[0], "y": script.start[1], "t": track[0][0]}]
        # Over the clicks' time span and onto their area: the cheapest alignment a replay
        # script can make without knowing where each click should be.
        t0, t1 = track[0][0], track[-1][0]
        c0, c1 = min(c["t"] for c in clicks), max(c["t"] for c in clicks)
        lead = float(rng.uniform(200.0, 1500.0))
        scale = (c1 - c0 + 2 * lead) / max(t1 - t0, 1.0)
        cx = float(np.mean([c["x"] for c in clicks])) - float(np.mean([p[1] for p in track]))
        cy = float(np.mean([c["y"] for c in clicks])) - float(np.mean([p[2] for p in track]))
        moves = [(round(c0 - lead + (t - t0) * scale, 1), float(round(min(max(x + cx, 0.0), script.width - 1))),
                  float(round(min(max(y + cy, 0.0), script.height - 1)))) for t, x, y in track]
        if notes is not None:
            notes["mover"] = f"track of human {donor}, time x{scale:.2f}"
        return _session(self.name, script, moves)


class ScriptedClicks(Family):
    name = "scripted_clicks"
    description = "a person's clicks, keys and scrolls with no pointer events (element.click())"

    def session(self, script: Script, ctx: Context, rng: np.random.Generator,
                difficulty: float, notes: dict[str, str] | None = None) -> Session:
        return _session(self.name, script, [])


class TeleportPointer(Family):
    name = "teleport_pointer"
    description = "a person's clicks with one pointer sample at each click's place just before it"

    def session(self, script: Script, ctx: Context, rng: np.random.Generator,
                difficulty: float, notes: dict[str, str] | None = None) -> Session:
        moves = [(round(float(c["t"]) - float(rng.uniform(1.0, 40.0)), 1), float(c["x"]), float(c["y"]))
                 for c in sorted(script.clicks, key=lambda c: float(c["t"])) if (c["x"], c["y"]) != (0.0, 0.0)]
        return _session(self.name, script, moves)


class DisorderedEvents(Family):
    name = "disordered_events"
    description = "a person's own track, now and then delivered out of order by a merging script"

    def session(self, script: Script, ctx: Context, rng: np.random.Generator,
                difficulty: float, notes: dict[str, str] | None = None) -> Session:
        moves = _track(script.strokes)
        swaps = max(2, int(len(moves) * float(rng.uniform(0.005, 0.03))))
        for at in sorted(rng.choice(max(len(moves) - 1, 1), size=min(swaps, len(moves) - 1), replace=False)):
            if moves[at][0] < moves[at + 1][0]:
                moves[at], moves[at + 1] = moves[at + 1], moves[at]
        return _session(self.name, script, moves)


class OffScreen(Family):
    name = "off_screen"
    description = "a person's own session under browser facts copied from a smaller screen"

    def session(self, script: Script, ctx: Context, rng: np.random.Generator,
                difficulty: float, notes: dict[str, str] | None = None) -> Session:
        moves = _track(script.strokes)
        reach = max(max(x for _, x, _ in moves), max((c["x"] for c in script.clicks), default=0.0))
        smaller = [w for w in (1024, 1280, 1366, 1440, 1536, 1600, 1680) if w < reach - 10.0]
        width = smaller[int(rng.integers(len(smaller)))] if smaller else int(math.floor(reach * 0.8))
        heights = {1024: 768, 1280: 720, 1366: 768, 1440: 900, 1536: 864, 1600: 900, 1680: 1050}
        browser = {**script.browser, "screen_width": width, "screen_height": heights.get(width, int(width * 0.5625))}
        return _session(self.name, script, moves, browser=browser)


def _without_braking(points: list[tuple[float, float, float]]) -> list[tuple[float, float, float]]:
    """The samples, those after the fastest step re-timed to keep that speed (still ones
    dropped): the pointer arrives early and waits, so what follows keeps its own times."""
    steps = [(math.hypot(b[1] - a[1], b[2] - a[2]), b[0] - a[0]) for a, b in zip(points, points[1:])]
    speeds = [d / dt if dt > 0 else 0.0 for d, dt in steps]
    if len(points) < 5 or max(speeds, default=0.0) <= 0.0:
        return points
    peak = max(range(len(speeds)), key=speeds.__getitem__)
    top = speeds[peak]
    out = points[: peak + 2]
    for (d, _), point in zip(steps[peak + 1:], points[peak + 2:]):
        if d > 0.0:
            out.append((round(out[-1][0] + max(d / top, 0.1), 1), point[1], point[2]))
    return out


def _pieces(stroke: Stroke, clicks: list[float]) -> list[list[tuple[float, float, float]]]:
    """The stroke cut after each click's time, so that no sample moves past a click."""
    pieces: list[list[tuple[float, float, float]]] = [[]]
    cuts = iter(sorted(c for c in clicks if stroke.t[0] <= c < stroke.t[-1]))
    cut = next(cuts, math.inf)
    for point in zip(stroke.t, stroke.x, stroke.y):
        while point[0] > cut:
            pieces.append([])
            cut = next(cuts, math.inf)
        pieces[-1].append(point)
    return pieces


class AbruptStops(Family):
    name = "abrupt_stops"
    description = "a person's own paths and clicks, each movement kept at its top speed to the end"

    def session(self, script: Script, ctx: Context, rng: np.random.Generator,
                difficulty: float, notes: dict[str, str] | None = None) -> Session:
        clicks = [float(c["t"]) for c in script.clicks]
        return _session(self.name, script, [p for s in script.strokes for piece in _pieces(s, clicks)
                                            for p in _without_braking(piece)])


CONSISTENCY_FAMILIES: tuple[Family, ...] = (ForeignTrack(), ScriptedClicks(), TeleportPointer(), DisorderedEvents(),
                                            OffScreen(), AbruptStops())
