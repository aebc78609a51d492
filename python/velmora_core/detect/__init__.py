"""A bot detector: one session's telemetry to a score in [0, 1] and a verdict.

    from velmora_core.detect import Detector
    det = Detector.default()        # the model shipped with the package
    det = Detector.load(path)       # a file written by `velmora-core train`
    det.verdict(telemetry).outcome  # "human", "unsure" or "bot"
    det.verdict_json(body)          # the same from the JSON text, with no json.loads
    det.calibrated(sessions)        # the model fitted to a site's own users
    det.verdict(telemetry, memory=StrokeMemory())  # also a bot when its strokes replay earlier sessions

The model is a tree ensemble evaluated natively (velmora_core._native); scoring needs no
training library. The threshold was chosen on held-out human sessions to keep false
positives at the model's target rate (a hardened model: to leave a few per cent of them
"unsure", with a second set of trees at the target rate for "bot"). "bot" needs evidence of
automation: a consistency check, or the trees for a session like the people the model knows
(verdicts.py).
"""

import os
from dataclasses import dataclass
from functools import cache
from importlib import resources
from collections.abc import Iterable
from typing import Any, Final, Self, cast
from types import CapsuleType

from velmora_core import _native, ingest
from velmora_core.detect import evidence, familiarity, feature_set, model_file, verdicts
from velmora_core.detect.familiarity import Excess
from velmora_core.detect.model_file import Model
from velmora_core.detect.stroke_memory import AsyncStrokeMemory, StrokeMemory, row_with_replays
from velmora_core.detect.verdicts import Outcome, Reason, Verdict, with_replay
from velmora_core.feature_info import FEATURE_INFO
from velmora_core.records import FeatureRecord, Telemetry

__all__ = ["AsyncStrokeMemory", "Detector", "Outcome", "Reason", "StrokeMemory", "Verdict", "DEFAULT_MODEL"]

DEFAULT_MODEL: Final = "default_model.json"
# Reasons given with a verdict: the features that pushed the score most its way.
MAX_REASONS: Final = 3


def _title(name: str) -> str:
    info = FEATURE_INFO.get(name)
    return info.title if info is not None else name.replace("_", " ")


def _check_telemetry(telemetry: object) -> Telemetry:
    if not isinstance(telemetry, dict):
        raise TypeError(f"telemetry must be a dict (one session's JSON object), not {type(telemetry).__name__}")
    return telemetry  # type: ignore[return-value]


class Detector:
    """A loaded model: score sessions, or decide them against its threshold."""

    def __init__(self, model: Model) -> None:
        try:
            self._forest = _build(model.forest, len(model.names))
            self._plain = None if model.plain is None else \
                (_build(model.plain.forest, len(model.names)), model.plain.threshold)
        except (ValueError, TypeError, OverflowError) as error:
            raise ValueError(f"damaged model file: {error}") from None
        self.model: Final = model
        self._familiar = (model.familiar, familiarity.indices(model.familiar, model.names),
                          familiarity.ceiling_indices(model.familiar, model.names)) \
            if model.familiar is not None else None

    @classmethod
    def load(cls, path: str | os.PathLike[str]) -> Self:
        """The model in a file written by `velmora-core train`.

        OSError when the file cannot be read; ValueError when it is damaged, is not a
        model, or was fitted on another feature set than this build computes.
        """
        return cls(model_file.read(path))

    @classmethod
    def default(cls) -> "Detector":
        """The model shipped with the package (loaded once per process)."""
        return _default()

    @property
    def threshold(self) -> float:
        """A session is "human" only at or below this score, and a bot above it (with a
        hardened model's plain trees agreeing; otherwise "unsure")."""
        return self.model.threshold

    @property
    def target_fpr(self) -> float:
        return self.model.target_fpr

    @property
    def training(self) -> dict[str, Any]:
        """What the fit recorded: data counts, cross-validated AUC, the leave-one-family-out table."""
        return self.model.training

    def score_row(self, row: tuple[float, ...]) -> float:
        """The score of a row of features in feature_set.NAMES order."""
        return _native.forest_score(self._forest, row)

    def score(self, telemetry: Telemetry) -> float:
        """How bot-like the session is, in [0, 1]."""
        # One native call: the session read once, every feature, the trees.
        return _native.session_score(self._forest, _check_telemetry(telemetry))

    def verdict(self, telemetry: Telemetry, features: FeatureRecord | None = None, *,
                memory: StrokeMemory | None = None) -> Verdict:
        """The decision with its score and the features that weighed most towards it.

        features, when the caller has it already, is extract_features_rs(telemetry): it is
        then not computed again. With a stroke memory the session is also a bot when its
        strokes replay earlier sessions' (the first reason says so); its strokes are then
        remembered.
        """
        telemetry = _check_telemetry(telemetry)
        if memory is None:
            row, replay = feature_set.feature_row(telemetry, features), None
        else:
            row, replay = row_with_replays(memory, telemetry, features)
        verdict = self.verdict_row(row)
        if verdict.outcome == "unsure" and verdict.reasons and verdict.reasons[0].feature == "mouse_points":
            verdict = _with_data_problem(verdict, telemetry)
        if replay is not None and replay.is_replay:
            verdict = with_replay(verdict, replay)
        return verdict

    def score_json(self, data: ingest.JsonText) -> float:
        """score of the JSON telemetry object in data, read straight from its text.

        json.JSONDecodeError when data is not JSON; TypeError when it is not an object.
        """
        score = self.score_json_native(data)
        if score is None:  # text only json.loads decides, or not an object
            score = self.score(_check_telemetry(ingest.loads(data)))
        return score

    def score_json_native(self, data: ingest.JsonText) -> float | None:
        """score_json when the native reader decides the text and it is a JSON object, in one
        call that parses it once; None otherwise (the caller then reads it with json.loads)."""
        return _native.session_score_json(self._forest, data, None)

    def verdict_json(self, data: ingest.JsonText) -> Verdict:
        """verdict of the JSON telemetry object in data, read straight from its text."""
        return self.verdict_row(self._row_json(data))

    def verdict_row(self, row: tuple[float, ...]) -> Verdict:
        """The verdict on a row of features in feature_set.NAMES order."""
        score = _native.forest_score(self._forest, row)
        named = evidence.Row(self.model.names, row)
        checks = evidence.findings(named)
        thin = evidence.thin(named)
        excess = self.familiarity(row)
        limit = self.model.familiar.limit if self.model.familiar is not None else 0.0
        ceiling = self.ceiling(row)
        plain = self._plain_score(row, score)
        confirmed = plain is None or plain[0] > plain[1]
        outcome, why = verdicts.decide(score, self.threshold, checks, thin, excess, limit, ceiling, confirmed)
        if why == "plain" and plain is not None:
            reasons = (verdicts.attacker_like(score, self.threshold, *plain), *self.reasons(row, True))
        elif why == "checks":
            reasons = tuple(map(verdicts.from_finding, checks))
        elif why == "data" and thin is not None:
            reasons = (verdicts.from_finding(thin),)
        elif why == "unfamiliar" and excess is not None:
            reasons = (verdicts.unfamiliar(excess, _title(excess.worst)),)
        elif why == "ceiling" and ceiling is not None:
            reasons = (verdicts.above_ceiling(ceiling, _title(ceiling.worst)),)
        else:
            reasons = self.reasons(row, outcome == "bot")
        return Verdict(outcome, score, reasons)

    def _plain_score(self, row: tuple[float, ...], score: float) -> tuple[float, float] | None:
        """The plain trees' score and threshold, when the model has them and the score is above
        its threshold (only then do they have a say)."""
        if self._plain is None or score <= self.threshold:
            return None
        forest, threshold = self._plain
        return _native.forest_score(forest, row), threshold

    def familiarity(self, row: tuple[float, ...]) -> familiarity.Excess | None:
        """How far the row lies outside the model's familiar ranges (None: the model has none)."""
        if self._familiar is None:
            return None
        return familiarity.excess(self._familiar[0], row, self._familiar[1])

    def ceiling(self, row: tuple[float, ...]) -> Excess | None:
        """The first of the model's ceilings the row is above (None: none, or no ceilings)."""
        if self._familiar is None:
            return None
        return familiarity.above_ceiling(self._familiar[0], row, self._familiar[2])

    def calibrated(self, sessions: "Iterable[Telemetry]", target_fpr: float = 0.01, *,
                   refit: bool | None = None) -> "Detector":
        """This model fitted to a site's own users, from these sessions (unlabelled, mostly
        human): its trees fitted again with them among the people, what it considers
        familiar, and its threshold. See calibration.py.

        refit: True fits the trees again (it needs the 'train' extra and a model file that
        carries its basis; BatchError or CalibrationError otherwise), False keeps them, None
        (the default) refits when it can and warns (RuntimeWarning) when it cannot.
        """
        from velmora_core.detect import calibration
        return type(self)(calibration.calibrate(self, sessions, target_fpr, refit))

    def _row_json(self, data: ingest.JsonText) -> tuple[float, ...]:
        row = feature_set.feature_row_json(data)
        if row is None:  # text only json.loads decides, or not an object
            row = feature_set.feature_row(_check_telemetry(ingest.loads(data)))
        return row

    def reasons(self, row: tuple[float, ...], is_bot: bool) -> tuple[Reason, ...]:
        """The features that pushed the trees' score furthest towards bot (or human)."""
        _, parts = _native.forest_explain(self._forest, row)
        side = 1.0 if is_bot else -1.0
        ranked = sorted((i for i, c in enumerate(parts) if side * c > 1e-9), key=lambda i: -side * parts[i])
        names = self.model.names
        return tuple(verdicts.model_reason(_title(names[i]), names[i], row[i], parts[i]) for i in ranked[:MAX_REASONS])


def _build(forest: model_file.Forest, features: int) -> CapsuleType:
    return _native.forest_build(forest.baseline, features, forest.feature, forest.left, forest.right,
                                forest.missing_left, forest.threshold, forest.value, forest.roots)


def _with_data_problem(verdict: Verdict, telemetry: Telemetry) -> Verdict:
    """A thin session's reason says what was wrong with the pointer data, when the dict shows it."""
    moves = cast(dict[str, object], telemetry).get("mouse_movements")
    first = verdict.reasons[0]
    if moves is None:
        text = "no mouse_movements: no pointer data to judge"
    elif not isinstance(moves, list):
        text = f"mouse_movements is a {type(moves).__name__}, not a list: no pointer data to judge"
    elif len(moves) > first.value:
        bad = len(moves) - int(first.value)
        text = f"{bad} of {len(moves)} pointer samples unusable (not objects with finite x, y and t): too few to judge"
    else:
        return verdict
    return Verdict(verdict.outcome, verdict.score, (Reason(first.feature, first.value, 0.0, text),))


@cache
def _default() -> Detector:
    path = resources.files(__name__).joinpath(DEFAULT_MODEL)
    with resources.as_file(path) as file:
        return Detector.load(file)
