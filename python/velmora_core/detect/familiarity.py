"""What a model considers familiar: the range of each pointer feature over the people it
was fitted on (or calibrated to), and how far a session lies outside those ranges; and,
for a few features the trees never read, a ceiling that all but a few of those people stay under.

Being unlike these people is not evidence of a bot: another task, device or population
lands outside them too. A verdict uses it only to say "unsure" where the trees, which
know nothing beyond the people they were shown, would otherwise decide.
"""

import math
from collections.abc import Iterable, Mapping, Sequence
from dataclasses import dataclass
from typing import Any, Final

from velmora_core.detect import feature_set

# What a session's motion and typing measure: every feature the trees may split on.
FEATURES: Final[tuple[str, ...]] = tuple(n for n in feature_set.NAMES if n not in feature_set.NOT_FITTED)
# Features whose value above all but a few people's keeps a session from being called human, though
# it is no evidence of a bot alone. dt_stroke_divergence: sampling steps that differ from one
# movement to the next as no single device's do, as when strokes replayed from several
# recordings are joined (or, rarely, a device changes its rate mid-session). The trees do
# not read it: fitted on, it sharpened them against our generators' sampler and made people
# on faster devices or sent early more often "bot" (redteam/README.md).
CEILINGS: Final[tuple[str, ...]] = ("dt_stroke_divergence",)
# The range leaves this share of people outside at either end.
TAIL: Final = 0.005
# One feature adds at most this many scales, so that one odd value cannot carry a session.
CAP: Final = 5.0
# The limit: this quantile of the excess of each half of the population over the ranges
# of the other half (what new people of the same population show), times the margin.
LIMIT_QUANTILE: Final = 0.98
LIMIT_MARGIN: Final = 1.0
LIMIT_FLOOR: Final = 1.0
SCALE_FLOOR: Final = 1e-9


@dataclass(frozen=True)
class Familiar:
    names: tuple[str, ...]
    low: tuple[float, ...]
    high: tuple[float, ...]
    scale: tuple[float, ...]  # interquartile range over 1.349: a standard deviation, robustly
    limit: float  # a session whose excess is above this is unfamiliar
    ceiling: tuple[tuple[str, float], ...] = ()  # (feature, the people's high end); () for none

    def to_json(self) -> dict[str, Any]:
        body: dict[str, Any] = {"names": list(self.names), "low": list(self.low), "high": list(self.high),
                                "scale": list(self.scale), "limit": self.limit}
        if self.ceiling:
            body["ceiling"] = dict(self.ceiling)
        return body


@dataclass(frozen=True)
class Excess:
    total: float  # scales outside the ranges, summed over the features
    worst: str  # the feature furthest outside ("" when none is)
    value: float  # its value
    bound: float  # the end of its range it passed


def quantile(ordered: Sequence[float], q: float) -> float:
    """The q-quantile of sorted values, interpolated linearly (numpy's default)."""
    if not ordered:
        return math.nan
    at = q * (len(ordered) - 1)
    below = math.floor(at)
    above = min(below + 1, len(ordered) - 1)
    return ordered[below] + (ordered[above] - ordered[below]) * (at - below)


def columns(rows: Iterable[Sequence[float]], index: Sequence[int]) -> list[list[float]]:
    out: list[list[float]] = [[] for _ in index]
    for row in rows:
        for column, i in zip(out, index):
            column.append(row[i])
    return out


def profile(rows: Sequence[Sequence[float]], names: Sequence[str],
            people: Sequence[Sequence[float]] | None = None) -> Familiar:
    """The ranges of FEATURES over these rows (in names order), and a limit that leaves all
    but a few new people of the same population familiar (measured on people: default rows)."""
    ranges = _ranges(rows, names)
    people = rows if people is None else people
    halves = (people[0::2], people[1::2])
    held_out: list[float] = []
    if all(len(h) >= 2 for h in halves):
        for fit, other in (halves, halves[::-1]):
            part = _ranges(fit, names)
            held_out += [excess(part, row, indices(part, names)).total for row in other]
    held_out.sort()
    limit = max(LIMIT_MARGIN * quantile(held_out, LIMIT_QUANTILE), LIMIT_FLOOR) if held_out else LIMIT_FLOOR
    ceiling = tuple((name, quantile(sorted(column), 1.0 - TAIL))
                    for name, column in zip(CEILINGS, columns(rows, [names.index(n) for n in CEILINGS]))) \
        if rows else ()
    return Familiar(ranges.names, ranges.low, ranges.high, ranges.scale, limit, ceiling)


def _ranges(rows: Sequence[Sequence[float]], names: Sequence[str]) -> Familiar:
    index = [names.index(name) for name in FEATURES]
    low, high, scale = [], [], []
    for column in columns(rows, index):
        column.sort()
        low.append(quantile(column, TAIL))
        high.append(quantile(column, 1.0 - TAIL))
        scale.append(max((quantile(column, 0.75) - quantile(column, 0.25)) / 1.349, SCALE_FLOOR))
    return Familiar(FEATURES, tuple(low), tuple(high), tuple(scale), math.inf)


def indices(familiar: Familiar, names: Sequence[str]) -> list[int]:
    return [names.index(name) for name in familiar.names]


def excess(familiar: Familiar, row: Sequence[float], index: Sequence[int]) -> Excess:
    """How far the row lies outside the ranges (index: each feature's column in the row)."""
    total, worst, far, value, bound = 0.0, "", 0.0, 0.0, 0.0
    for k, i in enumerate(index):
        v = row[i]
        if v > familiar.high[k]:
            d, end = (v - familiar.high[k]) / familiar.scale[k], familiar.high[k]
        elif v < familiar.low[k]:
            d, end = (familiar.low[k] - v) / familiar.scale[k], familiar.low[k]
        else:
            continue
        d = min(d, CAP)
        total += d
        if d > far:
            worst, far, value, bound = familiar.names[k], d, v, end
    return Excess(total, worst, value, bound)


def ceiling_indices(familiar: Familiar, names: Sequence[str]) -> list[int]:
    return [names.index(name) for name, _ in familiar.ceiling]


def above_ceiling(familiar: Familiar, row: Sequence[float], index: Sequence[int]) -> Excess | None:
    """The first ceiling feature whose value in the row (index: each ceiling's column, from
    ceiling_indices) is above the people's (total: by how much), or None."""
    for (name, bound), i in zip(familiar.ceiling, index):
        if row[i] > bound:
            return Excess(row[i] - bound, name, row[i], bound)
    return None


def parse(raw: Mapping[str, Any], known: Sequence[str]) -> Familiar:
    """The familiar record of a model file; ValueError when it is malformed."""
    names = raw.get("names")
    if not isinstance(names, list) or not all(isinstance(n, str) and n in known for n in names):
        raise ValueError("familiar.names is not a list of this feature set's names")
    parts: list[tuple[float, ...]] = []
    for key in ("low", "high", "scale"):
        values = raw.get(key)
        if not isinstance(values, list) or len(values) != len(names) or not all(_finite(v) for v in values):
            raise ValueError(f"familiar.{key} is not a list of {len(names)} finite numbers")
        parts.append(tuple(float(v) for v in values))
    limit = raw.get("limit")
    if not _finite(limit) or any(s <= 0.0 for s in parts[2]):
        raise ValueError("familiar.limit or a scale is not a positive finite number")
    ceiling = raw.get("ceiling", {})
    if not isinstance(ceiling, dict) or not all(n in known and _finite(v) for n, v in ceiling.items()):
        raise ValueError("familiar.ceiling is not an object of this feature set's names and finite numbers")
    return Familiar(tuple(names), parts[0], parts[1], parts[2], float(limit),  # type: ignore[arg-type]
                    tuple((str(n), float(v)) for n, v in ceiling.items()))


def _finite(v: object) -> bool:
    return isinstance(v, (int, float)) and not isinstance(v, bool) and math.isfinite(v)
