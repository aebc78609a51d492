"""How held-out people fare on other devices (`python -m redteam devices DATA... [--model FILE]`,
run by `make evaluate`): out-of-fold models (fitted as `velmora-core evaluate` fits them, the
variants of `velmora_core.detect.variants` included, and with the bots that only the model's
basis holds, the evasive bots of its adversarial rounds: fitted as the model was) judge each
held-out person's session as
a slower, faster, lossier, coarser-clocked or smaller-screened device would report it, as a page
that sends it early would, or as a collector that sends no browser facts would.
A hardened model's plain trees are fitted out of fold too, without those bots, and the
outcomes are a hardened model's (training.HUMAN_BAND).
Another device, or less of a session, is no evidence of a bot: the share judged "bot"
should stay near the false-positive target.
"""

from __future__ import annotations

import json
import math
from collections.abc import Callable, Sequence
from dataclasses import dataclass
from typing import Any, cast

import numpy as np

from velmora_core import training
from velmora_core.batch import Summary
from velmora_core.detect import Detector, feature_set
from velmora_core.detect.variants import scaled
from velmora_core.records import Telemetry

from .attack.rounds import concat
from .script import Session

Shift = Callable[[Session], Session]


def _clock(session: Session, tick: float) -> Session:
    def floor(items: Any) -> Any:
        return [{**e, "t": math.floor(e["t"] / tick) * tick} for e in items]
    return {**session, "mouse_movements": floor(session["mouse_movements"]), "clicks": floor(session["clicks"])}


def _stamp(item: Any) -> float:
    """An event's time: its first finite time key, in the order the features read them (only
    key presses have the others)."""
    for key in ("t", "down", "time"):
        value = item.get(key) if isinstance(item, dict) else None
        if isinstance(value, (int, float)) and math.isfinite(value):
            return float(value)
    return math.inf


def _sent_early(session: Session, share: float) -> Session:
    """The session as a page that sends its telemetry early would: its first share of
    pointer samples and whatever came before the last of them (a movement may be cut)."""
    moves = session["mouse_movements"][: int(share * len(session["mouse_movements"]))]
    until = moves[-1]["t"] if moves else -math.inf
    return {**session, "mouse_movements": moves,
            **{key: [e for e in session.get(key, []) if _stamp(e) <= until]
               for key in ("clicks", "scrolls", "keystrokes")}}


def _faster(session: Session, period: float, gap: float = 50.0) -> Session:
    """The track as a faster device would report it: a Catmull-Rom curve through each pair of
    samples under gap ms apart (a pause is left as it is), read every period ms and sent when
    its whole-pixel position changes. Our recordings are at most 120 Hz; this is the nearest
    we get to a 144 Hz display or raw pointer events."""
    moves = session["mouse_movements"]
    if len(moves) < 2:
        return session
    t, x, y = (np.array([m[k] for m in moves], dtype=np.float64) for k in ("t", "x", "y"))
    out = [moves[0]]
    last = (round(x[0]), round(y[0]))
    for i in range(len(moves) - 1):
        a, b = t[i], t[i + 1]
        if 0.0 < b - a <= gap:
            j = (max(i - 1, 0), i, i + 1, min(i + 2, len(moves) - 1))
            k = math.floor(a / period) + 1
            while k * period < b:
                s = (k * period - a) / (b - a)
                at = (round(_catmull_rom(x[list(j)], s)), round(_catmull_rom(y[list(j)], s)))
                if at != last:
                    out.append({"x": float(at[0]), "y": float(at[1]), "t": float(round(k * period))})
                    last = at
                k += 1
        out.append(moves[i + 1])
        last = (round(x[i + 1]), round(y[i + 1]))
    return {**session, "mouse_movements": out}


def _catmull_rom(v: Any, s: float) -> float:
    v0, v1, v2, v3 = (float(c) for c in v)
    return 0.5 * (2 * v1 + (v2 - v0) * s + (2 * v0 - 5 * v1 + 4 * v2 - v3) * s * s
                  + (3 * v1 - v0 - 3 * v2 + v3) * s ** 3)


def _phone_on_its_side(session: Session) -> Session:
    """The session on a phone held sideways (844 x 390 px) whose browser reports the screen
    upright, 390 px wide, as Safari on iOS does."""
    width = session["browser"]["screen_width"]
    turned = cast(Session, scaled(cast(Telemetry, session), 844.0 / width))
    return {**turned, "browser": {**turned["browser"], "screen_width": 390, "screen_height": 844,
                                  "touch_supported": True, "max_touch_points": 5}}


SHIFTS: dict[str, Shift] = {
    "every 2nd sample": lambda s: {**s, "mouse_movements": s["mouse_movements"][::2]},
    "every 3rd sample": lambda s: {**s, "mouse_movements": s["mouse_movements"][::3]},
    "a third of samples lost": lambda s: {**s, "mouse_movements": [
        m for i, m in enumerate(s["mouse_movements"]) if (i * 7919) % 3 != 0]},
    "16 ms clock": lambda s: _clock(s, 16.0),
    "100 ms clock": lambda s: _clock(s, 100.0),
    "sent at a third": lambda s: _sent_early(s, 1 / 3),
    "144 Hz display": lambda s: _faster(s, 1000 / 144),
    "240 Hz display": lambda s: _faster(s, 1000 / 240),
    "1000 Hz raw events": lambda s: _faster(s, 1.0),
    "half the screen": lambda s: cast(Session, scaled(cast(Telemetry, s), 0.5)),
    "a third of the screen": lambda s: cast(Session, scaled(cast(Telemetry, s), 1 / 3)),
    "a phone on its side": _phone_on_its_side,
    "no browser facts": lambda s: {k: v for k, v in s.items() if k != "browser"},
}


def human_sessions(inputs: Sequence[str]) -> list[Session]:
    out: list[Session] = []
    for path in inputs:
        with open(path, encoding="utf-8") as f:
            out += [s for s in map(json.loads, filter(str.strip, f)) if s.get("label") == "human"]
    return out


def model_only_bots(detector: Detector, data: training.Dataset) -> training.Dataset | None:
    """The bot rows of the model's basis whose family the data lack (its adversarial rounds'
    evasive bots), each variant with its session; None when there are none."""
    basis = detector.model.basis
    if basis is None:
        return None
    families = np.array(basis.families, dtype=np.str_)
    known = set(data.families) | {source for sources in data.families.values() for source in sources}
    keep = np.flatnonzero((np.array(basis.labels) == 1) & ~np.isin(families, sorted(known)))
    if len(keep) == 0:
        return None
    x = np.frombuffer(basis.rows, dtype="<f8").reshape(len(basis.labels), len(feature_set.NAMES))[keep]
    person = np.array(basis.people)[keep] if basis.people is not None else np.arange(len(keep))
    _, first, number = np.unique(person, return_index=True, return_inverse=True)
    origin = first[number].astype(np.intp)  # a session's variants follow it and share its person
    names = families[keep]
    kinds, sessions = np.unique(names[first], return_counts=True)
    return training.Dataset(x, np.ones(len(keep), dtype=np.int64), names,
                            {str(n): int(c) for n, c in zip(kinds, sessions)}, {str(n): [str(n)] for n in kinds},
                            Summary(), origin, np.array([f"#{o}" for o in origin], dtype=np.str_))


@dataclass(frozen=True)
class Fitting:
    """The data to fit out-of-fold models on as a model file was fitted."""

    plain: training.Dataset  # the data read: what its plain trees were fitted on
    data: training.Dataset  # and the bots only the model's basis holds (after the data's rows)
    extra: training.Dataset | None  # those bots, if any
    hardened: bool  # the model has plain trees: judge as it does (training.HUMAN_BAND)

    def described(self) -> str:
        fitted = "" if self.extra is None else \
            f", fitted also on the model's {len(self.extra.sources)} families the data lack"
        return fitted + (" and, as its plain trees are, without them" if self.hardened else "")


def fitting(inputs: Sequence[str], family_of: dict[str, str], variants: bool, model: str | None) -> Fitting:
    plain = training.load(inputs, family_of, jobs=1, variants=variants)
    detector = Detector.default() if model is None else Detector.load(model)
    extra = model_only_bots(detector, plain)
    return Fitting(plain, plain if extra is None else concat([plain, extra]), extra, detector.model.plain is not None)


Pair = tuple[training.Judge, training.Judge | None]


def judges(fit: Fitting, people: Any, others: Any, held: Any, target_fpr: float,
           seed: int) -> tuple[list[Pair], float, float]:
    """Out-of-fold models as the model judges (training.held_out_models on people), in fold
    order: each fitted on fit.data with the bots `others` (rows of fit.plain) and those only
    the model holds, paired with plain trees fitted without the latter for a hardened model
    (else None); and their thresholds (the band's or the target's, and the plain trees')."""
    only_model = np.arange(len(fit.plain.y), len(fit.data.y))
    _, shipped, threshold, _, _ = training.held_out_models(
        fit.data, people, np.concatenate([others, only_model]), held,
        training.HUMAN_BAND if fit.hardened else target_fpr, seed)
    if not fit.hardened:
        return [(judge, None) for judge in shipped], threshold, 0.0
    # The people come first in both datasets, so the folds are the same.
    _, plain, plain_threshold, _, _ = training.held_out_models(fit.plain, people, others, held, target_fpr, seed)
    return list(zip(shipped, plain)), threshold, plain_threshold


def report(inputs: Sequence[str], family_of: dict[str, str], target_fpr: float, seed: int,
           variants: bool = True, model: str | None = None) -> str:
    fit = fitting(inputs, family_of, variants, model)
    data = fit.data
    people = np.flatnonzero((data.y == 0) & training.sessions_of(data))
    sessions = human_sessions(inputs)
    if len(sessions) != len(people):
        raise ValueError("every human line must be a usable session")
    shifted = {name: np.array([feature_set.feature_row(cast(Telemetry, shift(s))) for s in sessions])
               for name, shift in SHIFTS.items()}
    # The thresholds as evaluate picks them: over the people whose outcome the trees decide.
    pairs, threshold, plain_threshold = judges(fit, people, np.flatnonzero(fit.plain.y == 1),
                                               np.empty(0, dtype=np.intp), target_fpr, seed)
    folds = [(shipped, plain, test) for (shipped, plain), test in zip(pairs, training.human_folds(data, people, seed))]

    def shares(rows: Any) -> str:
        return cell(judged(folds, rows, threshold, plain_threshold))
    lines = [f"Held-out people ({len(people)}) as other devices report them, judged by out-of-fold models"
             f"{fit.described()} (share bot / unsure):", f"{'as recorded':<26} " + shares(data.x[people])]
    lines += [f"{name:<26} " + shares(rows) for name, rows in shifted.items()]
    return "\n".join(lines)


def judged(folds: Sequence[tuple[training.Judge, training.Judge | None, Any]], rows: Any, threshold: float,
           plain_threshold: float) -> list[str]:
    """The outcomes of rows[test] by each (judge, its plain judge or None, test), in order."""
    outcomes: list[str] = []
    for judge, plain, test in folds:
        confirmed = None if plain is None else (plain.scores(rows[test]) > plain_threshold).tolist()
        outcomes += judge.outcomes(rows[test], threshold, confirmed)
    return outcomes


def cell(outcomes: Sequence[str]) -> str:
    """The shares "bot" and "unsure" of the outcomes, for a table."""
    got = training.shares(outcomes)
    return f"{100 * got['bot']:>6.1f} % {100 * got['unsure']:>6.1f} %"
