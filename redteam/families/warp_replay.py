"""Session replay: real strokes of people held out of the fit, moved onto the script's
targets by rotation and scaling, with their own timing.

Each move takes a recorded stroke (from the held-out SapiMouse people's library, see
redteam.persons) of similar length whose duration fits the time the script leaves, maps
its first and last samples onto the move's start and end (one rotation and one uniform
scale), and sends its samples at their recorded time steps: the sampling, the speed
profile, the tremor and the submovements are a real person's. Only the geometry is
warped. Nothing else is added.
"""

from __future__ import annotations

import math
from dataclasses import dataclass

import numpy as np

from ..script import Script, Session, Stroke
from .base import Context, Family, PerBuild, assemble

CANDIDATES = 48
MIN_CHORD_PX = 20.0
# How far a stroke's length may be from the move's before it is not worth warping.
MAX_SCALE = 2.5


@dataclass(frozen=True)
class _Source:
    t: np.ndarray
    z: np.ndarray       # positions as complex numbers
    chord: float
    span: float


def _sources(pool: tuple[tuple[int, Stroke], ...]) -> list[tuple[int, _Source]]:
    out: list[tuple[int, _Source]] = []
    for owner, stroke in pool:
        t = np.array(stroke.t, dtype=np.float64)
        z = np.array(stroke.x, dtype=np.float64) + 1j * np.array(stroke.y, dtype=np.float64)
        chord = float(abs(z[-1] - z[0]))
        if chord >= MIN_CHORD_PX and t[-1] > t[0]:
            out.append((owner, _Source(t - t[0], z, chord, float(t[-1] - t[0]))))
    return out


class WarpReplay(Family):
    name = "warp_replay"
    description = "real strokes of held-out people, rotated and scaled onto each move, with their own timing"

    def __init__(self) -> None:
        self._library = PerBuild(_sources)

    def session(self, script: Script, ctx: Context, rng: np.random.Generator,
                difficulty: float, notes: dict[str, str] | None = None) -> Session:
        library = [(o, s) for o, s in self._library(ctx) if o != script.index]
        if notes is not None:
            notes["sampler"] = "replayed"
        events: list[tuple[float, float, float]] = []
        margin = float(rng.uniform(10.0, 60.0))
        for move in script.moves:
            start = complex(*move.start)
            end = complex(*move.end)
            distance = abs(end - start)
            # Never before the pointer may leave (a move the script squeezes in after a click).
            arrive = max(move.deadline - margin * float(rng.random()), min(move.earliest + 1.0, move.deadline))
            room = max(arrive - move.earliest, 2.0)
            wanted = min(max(arrive - move.t_start, 8.0), room)
            source = self._pick(rng, library, distance, wanted, room) if distance >= 3.0 else None
            if source is None:
                # Too short to be worth a stroke: one step, as a small nudge is.
                events.append((float(round(arrive)), float(round(end.real)), float(round(end.imag))))
                continue
            stretch = 1.0 if source.span <= room else room / source.span
            times = arrive - source.span * stretch + source.t * stretch
            # The similarity that takes the stroke's ends onto the move's.
            factor = (end - start) / (source.z[-1] - source.z[0])
            z = start + (source.z - source.z[0]) * factor
            x = np.clip(np.round(z.real), 0.0, script.width - 1.0)
            y = np.clip(np.round(z.imag), 0.0, script.height - 1.0)
            x[-1], y[-1] = round(end.real), round(end.imag)
            stamps = np.round(times)
            for t, ex, ey in zip(stamps.tolist(), x.tolist(), y.tolist()):
                if events and (ex, ey) == events[-1][1:]:
                    continue
                events.append((max(t, events[-1][0]) if events else t, ex, ey))
        return assemble(self.name, script, script.keystrokes, events)

    def _pick(self, rng: np.random.Generator, library: list[tuple[int, _Source]], distance: float,
              wanted: float, room: float) -> _Source | None:
        if not library:
            return None
        best: _Source | None = None
        best_score = math.inf
        for i in rng.integers(0, len(library), CANDIDATES).tolist():
            source = library[i][1]
            scale = abs(math.log(distance / source.chord))
            if scale > math.log(MAX_SCALE):
                continue
            # A stroke that fits in the time keeps its timing exactly; similar length keeps
            # its speeds human.
            late = 0.0 if source.span <= room else 3.0 + math.log(source.span / room)
            score = scale + 0.5 * abs(math.log(source.span / max(wanted, 1.0))) + late
            if score < best_score:
                best, best_score = source, score
        return best
