"""A replay bot with a finite stroke library, reused across its sessions.

Unlike `human_replay`, which draws from every human stroke each time, this bot holds a
fixed library: `library_size` strokes of real people (the build's human strokes, in a
shuffled order fixed by the family, never the script's own). Each move takes the library
stroke closest in length and duration, rotated and scaled onto the move's start and end,
keeping its own timing up to a small uniform stretch and a light smooth warp, then sampled
by the session's device with up to 1 px of noise and a few ms of time jitter. No tremor,
corrections or other hardening: the strokes are people's own.

`stroke_replay` keeps a small library (each stroke comes back every few sessions);
`stroke_replay_thin` spreads a large one thinly, to show where a memory of strokes stops
helping.
"""

from __future__ import annotations

import math
import zlib
from typing import Any

import numpy as np

from ..sampler import plan_sampler, sample_events
from ..script import Move, Script, Session, Stroke
from ..trajectory import fitts_duration, grid, min_jerk
from .base import Context, Family, assemble, describe_sampler, sampler_latency

MIN_CHORD_PX = 40.0
MIN_STRAIGHTNESS = 0.5   # wandering strokes cannot be laid onto a point-to-point move
MIN_SAMPLES = 8
CANDIDATES = 48
REST_MS = 300.0  # moves closer than this in time are one reach


def _chord(stroke: Stroke) -> float:
    return math.hypot(stroke.x[-1] - stroke.x[0], stroke.y[-1] - stroke.y[0])


def _usable(stroke: Stroke) -> bool:
    if len(stroke.t) < MIN_SAMPLES or stroke.t[-1] <= stroke.t[0]:
        return False
    path = sum(math.hypot(b - a, d - c) for a, b, c, d in zip(stroke.x, stroke.x[1:], stroke.y, stroke.y[1:]))
    chord = _chord(stroke)
    return chord >= MIN_CHORD_PX and chord >= MIN_STRAIGHTNESS * path


def _reaches(moves: tuple[Move, ...]) -> list[Move]:
    """The script's moves joined into one per reach: a bot lays one stroke from a resting
    place to the next click or rest, not one per waypoint of the human's route."""
    out: list[Move] = []
    group: list[Move] = []
    for i, move in enumerate(moves):
        group.append(move)
        follows = i + 1 < len(moves) and moves[i + 1].t_start - move.deadline <= REST_MS
        if move.ends_at_click or not follows:
            first = group[0]
            out.append(Move(first.earliest, first.t_start, move.deadline, first.start, move.end, move.ends_at_click))
            group = []
    return out


class StrokeReplay(Family):
    def __init__(self, name: str, library_size: int, description: str) -> None:
        self.name = name
        self.library_size = library_size
        self.description = description
        self._libraries: dict[int, list[tuple[int, Stroke]]] = {}

    def library(self, ctx: Context) -> list[tuple[int, Stroke]]:
        """The bot's strokes: the same for every session of a build (same human strokes)."""
        key = id(ctx.strokes)
        if key not in self._libraries:
            usable = [item for item in ctx.strokes if _usable(item[1])]
            order = np.random.default_rng(zlib.crc32(self.name.encode())).permutation(len(usable))
            self._libraries = {key: [usable[int(i)] for i in order[:self.library_size]]}
        return self._libraries[key]

    def session(self, script: Script, ctx: Context, rng: np.random.Generator,
                difficulty: float, notes: dict[str, str] | None = None) -> Session:
        sampler = plan_sampler(rng, max(difficulty, 0.3), script.coarse_clock, script.median_dt > 50.0)
        if notes is not None:
            notes["sampler"] = describe_sampler(sampler)
        library = [item for item in self.library(ctx) if item[0] != script.index]
        stretch = float(rng.uniform(0.9, 1.1))     # the session's pace against the recordings
        noise = float(rng.uniform(0.3, 1.0))       # px, at most 1 after rounding
        latency = sampler_latency(sampler)
        events: list[tuple[float, float, float]] = []
        for move in _reaches(script.moves):
            dx, dy = move.end[0] - move.start[0], move.end[1] - move.start[1]
            distance = math.hypot(dx, dy)
            room = max(move.deadline - latency - move.earliest, 8.0)
            stroke = self._pick(rng, library, distance, move.deadline - move.t_start) if distance >= 20.0 else None
            if stroke is None:
                duration = min(fitts_duration(rng, distance, 100.0, 130.0, 40.0), room)
                n, times = grid(duration)
                s = min_jerk(times / times[-1])
                x, y = move.start[0] + dx * s, move.start[1] + dy * s
            else:
                span = stroke.t[-1] - stroke.t[0]
                duration = min(span * stretch, room)
                n, times = grid(duration)
                x, y = self._lay(rng, stroke, move.start, move.end, times / times[-1], noise)
            t0 = min(max(move.t_start, move.earliest), move.deadline - latency - duration)
            for t, ex, ey in sample_events(t0 + times, x, y, sampler, rng, script.width, script.height):
                if events and t < events[-1][0]:
                    t = events[-1][0]
                events.append((t, ex, ey))
        return assemble(self.name, script, script.keystrokes, events)

    @staticmethod
    def _pick(rng: np.random.Generator, library: list[tuple[int, Stroke]], distance: float,
              duration: float) -> Stroke | None:
        if not library:
            return None
        best, best_score = None, math.inf
        for i in rng.integers(0, len(library), min(CANDIDATES, len(library))):
            stroke = library[int(i)][1]
            span = max(stroke.t[-1] - stroke.t[0], 1.0)
            score = abs(math.log(_chord(stroke) / max(distance, 1.0))) + 0.5 * abs(math.log(span / max(duration, 1.0)))
            if score < best_score:
                best, best_score = stroke, score
        # Scaled by at most 2 either way: further and the stroke no longer looks like a hand's.
        return best if best is not None and abs(math.log(_chord(best) / distance)) <= math.log(2.0) else None

    @staticmethod
    def _lay(rng: np.random.Generator, stroke: Stroke, start: tuple[float, float], end: tuple[float, float],
             u: Any, noise: float) -> tuple[Any, Any]:
        st = np.array(stroke.t) - stroke.t[0]
        sx, sy = np.array(stroke.x) - stroke.x[0], np.array(stroke.y) - stroke.y[0]
        # The recording's own clock, lightly warped (the ends stay put).
        k = float(rng.uniform(-0.1, 0.1))
        source = (u + k * np.sin(2.0 * math.pi * u) / (2.0 * math.pi)) * st[-1]
        px, py = np.interp(source, st, sx), np.interp(source, st, sy)
        # Rotation and scale that take the stroke's chord onto the move.
        chord = complex(sx[-1], sy[-1])
        turn = complex(end[0] - start[0], end[1] - start[1]) / chord
        z = (px + 1j * py) * turn
        x = start[0] + z.real + rng.uniform(-noise, noise, len(u))
        y = start[1] + z.imag + rng.uniform(-noise, noise, len(u))
        x[0], y[0] = start
        x[-1], y[-1] = end
        return x, y


STROKE_REPLAY = StrokeReplay("stroke_replay", 300, "a fixed library of 300 human strokes reused across sessions, "
                             "rotated/scaled onto each move, own timing, 1 px noise")
STROKE_REPLAY_THIN = StrokeReplay("stroke_replay_thin", 20000, "the same with a library as large as the human "
                                  "strokes available, each reused rarely")
