"""The detector's model file: JSON data (never code), versioned, checked whole on reading.

    {"format": "velmora-detector-model", "version": 1,
     "feature_set": {"name": ..., "version": ..., "names": [...]},
     "threshold": 0.8, "target_fpr": 0.01,
     "forest": {"baseline": ..., "roots": [...], "feature": [...], "left": [...],
                "right": [...], "missing_left": [...], "threshold": [...], "value": [...]},
     "training": {...},
     "familiar": {"names": [...], "low": [...], "high": [...], "scale": [...], "limit": ...},
     "calibration": {"sessions": ..., "sha256": ..., "date": ..., ...},   (calibrated models only)
     "sha256": "..."}

The forest's columns hold one item per node; a leaf has feature -1. "sha256" is the
digest of the rest (keys sorted, compact separators), so a file changed by accident is
refused rather than read as a different model.
"""

import hashlib
import json
import math
import os
from dataclasses import dataclass, field
from typing import Any, Final, cast

from velmora_core.detect import familiarity, feature_set
from velmora_core.detect.familiarity import Familiar

FORMAT: Final = "velmora-detector-model"
VERSION: Final = 1
FOREST_COLUMNS: Final = ("roots", "feature", "left", "right", "missing_left", "threshold", "value")


@dataclass(frozen=True)
class Forest:
    baseline: float
    roots: list[int]
    feature: list[int]
    left: list[int]
    right: list[int]
    missing_left: list[int]
    threshold: list[float]
    value: list[float]

    def to_json(self) -> dict[str, Any]:
        return {"baseline": self.baseline, **{name: getattr(self, name) for name in FOREST_COLUMNS}}


@dataclass(frozen=True)
class Model:
    names: tuple[str, ...]  # the features, in row order
    threshold: float  # bot when score > threshold
    target_fpr: float
    forest: Forest
    training: dict[str, Any] = field(default_factory=dict[str, Any])
    feature_set_name: str = feature_set.FEATURE_SET
    feature_set_version: int = feature_set.FEATURE_SET_VERSION
    familiar: Familiar | None = None  # the ranges of the people fitted on; None: no familiarity test
    calibration: dict[str, Any] | None = None  # what a calibration was made on


def _digest(body: dict[str, Any]) -> str:
    text = json.dumps(body, sort_keys=True, separators=(",", ":"), allow_nan=False)
    return hashlib.sha256(text.encode()).hexdigest()


def to_json(model: Model) -> dict[str, Any]:
    body: dict[str, Any] = {
        "format": FORMAT, "version": VERSION,
        "feature_set": {"name": model.feature_set_name, "version": model.feature_set_version,
                        "names": list(model.names)},
        "threshold": model.threshold, "target_fpr": model.target_fpr,
        "forest": model.forest.to_json(), "training": model.training,
    }
    if model.familiar is not None:
        body["familiar"] = model.familiar.to_json()
    if model.calibration is not None:
        body["calibration"] = model.calibration
    return {**body, "sha256": _digest(body)}


def write(model: Model, path: str | os.PathLike[str]) -> None:
    """Writes the file through a temporary beside it, so a reader never sees half a model."""
    text = json.dumps(to_json(model), indent=1, allow_nan=False) + "\n"
    temporary = f"{os.fspath(path)}.{os.getpid()}.part"
    try:
        with open(temporary, "w", encoding="utf-8") as f:
            f.write(text)
        os.replace(temporary, path)
    finally:
        if os.path.exists(temporary):
            os.unlink(temporary)


def _refuse(what: str, source: str) -> ValueError:
    return ValueError(f"{source}: {what}")


def _number(value: object, what: str, source: str) -> float:
    if isinstance(value, bool) or not isinstance(value, (int, float)) or not math.isfinite(value):
        raise _refuse(f"damaged model file: {what} is not a finite number", source)
    return float(value)


def _column(forest: dict[str, Any], name: str, source: str, whole: bool) -> list[Any]:
    values = _list(forest.get(name), f"forest.{name}", source)
    for v in values:
        if isinstance(v, bool) or not isinstance(v, int if whole else (int, float)):
            raise _refuse(f"damaged model file: forest.{name} holds {type(v).__name__} items", source)
    return values


def _list(value: object, what: str, source: str) -> list[object]:
    if not isinstance(value, list):
        raise _refuse(f"damaged model file: {what} is not a list", source)
    return cast(list[object], value)


def _object(value: object, what: str, source: str) -> dict[str, Any]:
    if not isinstance(value, dict):
        raise _refuse(f"damaged model file: {what} is not an object", source)
    return cast(dict[str, Any], value)


def parse(document: object, source: str = "model") -> Model:
    """The model in a decoded file, or ValueError saying why it cannot be used here."""
    if not isinstance(document, dict) or cast(dict[str, object], document).get("format") != FORMAT:
        raise _refuse(f"not a detector model (no \"format\": \"{FORMAT}\")", source)
    body = dict(cast(dict[str, Any], document))
    version = body.get("version")
    if version != VERSION:
        raise _refuse(f"model file version {version!r} is not supported; this build reads version {VERSION}",
                      source)
    digest = body.pop("sha256", None)
    if digest != _digest_or_none(body):
        raise _refuse("damaged model file: its sha256 does not match its contents", source)
    features = _object(body.get("feature_set"), "feature_set", source)
    names = _list(features.get("names"), "feature_set.names", source)
    if not all(isinstance(n, str) for n in names):
        raise _refuse("damaged model file: feature_set.names is not a list of names", source)
    wanted = (feature_set.FEATURE_SET, feature_set.FEATURE_SET_VERSION, list(feature_set.NAMES))
    found = (features.get("name"), features.get("version"), names)
    if found != wanted:
        raise _refuse(f"the model reads feature set {found[0]!r} version {found[1]!r} ({len(names)} features); "
                      f"this build computes {wanted[0]!r} version {wanted[1]} ({len(wanted[2])} features): "
                      f"train a model for this build", source)
    target_fpr = _number(body.get("target_fpr"), "target_fpr", source)
    threshold = _number(body.get("threshold"), "threshold", source)
    raw = _object(body.get("forest"), "forest", source)
    forest = Forest(_number(raw.get("baseline"), "forest.baseline", source),
                    *(_column(raw, name, source, whole=name not in ("threshold", "value"))
                      for name in FOREST_COLUMNS))
    training = _object(body.get("training", {}), "training", source)
    familiar = None
    if "familiar" in body:
        try:
            familiar = familiarity.parse(_object(body["familiar"], "familiar", source), feature_set.NAMES)
        except ValueError as error:
            raise _refuse(f"damaged model file: {error}", source) from None
    calibration = _object(body["calibration"], "calibration", source) if "calibration" in body else None
    return Model(tuple(cast(list[str], names)), threshold, target_fpr, forest, training,
                 familiar=familiar, calibration=calibration)


def _digest_or_none(body: dict[str, Any]) -> str | None:
    try:
        return _digest(body)
    except (TypeError, ValueError):  # NaN or a value JSON cannot hold: not ours
        return None


def read(path: str | os.PathLike[str]) -> Model:
    """The model in the file at path. OSError when it cannot be read, ValueError when it is not a usable model."""
    source = os.fspath(path)
    with open(path, "rb") as f:
        data = f.read()
    try:
        document = json.loads(data)
    except (UnicodeDecodeError, ValueError, RecursionError):
        raise _refuse("damaged or foreign file: not JSON", source) from None
    return parse(document, source)
