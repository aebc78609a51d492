"""The detector's model file: JSON data (never code), versioned, checked whole on reading.

    {"format": "velmora-detector-model", "version": 1,
     "feature_set": {"name": ..., "version": ..., "names": [...]},
     "threshold": 0.8, "target_fpr": 0.01,
     "forest": {"baseline": ..., "roots": [...], "feature": [...], "left": [...],
                "right": [...], "missing_left": [...], "threshold": [...], "value": [...]},
     "plain": {"threshold": 0.7, "forest": {...}, "without": [...]},   (hardened models only)
     "training": {...},
     "familiar": {"names": [...], "low": [...], "high": [...], "scale": [...], "limit": ...,
                  "ceiling": {"dt_stroke_divergence": ...}},
     "calibration": {"sessions": ..., "sha256": ..., "date": ..., ...},   (calibrated models only)
     "basis": {"rows": "<base64>", "labels": [0, 1, ...], "families": [...], "people": [0, 0, 1, ...]},
     "sha256": "..."}

"plain" holds trees fitted without the evasive bots of the adversarial rounds, with their
own threshold: a hardened model calls a session "bot" only when both sets of trees score it
above their thresholds (verdicts.py). Its "without" names the basis families those bots
are, so that a calibration can fit both sets again. The basis is the labelled rows the trees were fitted
on (little-endian float64, row after row, base64), kept so that a calibration can fit the
trees again with a site's people among them. The forest's columns hold one item per node;
a leaf has feature -1. "sha256" is the digest of the rest (keys sorted, compact separators),
so a file changed by accident is refused rather than read as a different model. Every number
in the file must be finite, and a file, its trees and its nodes have upper limits, so that
no file can make a reader spend unbounded memory or time.
"""

import base64
import binascii
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
# Limits of a model file, far above what `velmora-core train` writes (the bundled model:
# 2.5 MiB, 200 trees, 5,800 nodes; its basis and training record grow with the sessions fitted).
MAX_FILE_BYTES: Final = 16 << 20
MAX_TREES: Final = 1024
MAX_NODES: Final = 65536


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
class Plain:
    """Trees fitted without the adversarial rounds' evasive bots: what the bots of the other
    families alone teach. Only a session both sets score above their thresholds is a bot."""

    forest: Forest
    threshold: float  # its people's target share above it
    without: tuple[str, ...] = ()  # the basis families it was not fitted on (); older files: unknown

    def to_json(self) -> dict[str, Any]:
        body: dict[str, Any] = {"threshold": self.threshold, "forest": self.forest.to_json()}
        if self.without:
            body["without"] = list(self.without)
        return body


@dataclass(frozen=True)
class Basis:
    """The labelled rows a model was fitted on."""

    rows: bytes  # little-endian float64, len(labels) rows of the model's features
    labels: tuple[int, ...]  # 1 for a bot
    families: tuple[str, ...]  # each row's bot family or human source
    people: tuple[int, ...] | None = None  # a number per row, the same for one person's; None: each its own

    def to_json(self) -> dict[str, Any]:
        body = {"rows": base64.b64encode(self.rows).decode("ascii"), "labels": list(self.labels),
                "families": list(self.families)}
        return body if self.people is None else {**body, "people": list(self.people)}


@dataclass(frozen=True)
class Model:
    names: tuple[str, ...]  # the features, in row order
    threshold: float  # bot when score > threshold (and, with plain trees, theirs above their threshold)
    target_fpr: float
    forest: Forest
    training: dict[str, Any] = field(default_factory=dict[str, Any])
    feature_set_name: str = feature_set.FEATURE_SET
    feature_set_version: int = feature_set.FEATURE_SET_VERSION
    familiar: Familiar | None = None  # the ranges of the people fitted on; None: no familiarity test
    calibration: dict[str, Any] | None = None  # what a calibration was made on
    basis: Basis | None = None  # the rows fitted on; None: a calibration cannot refit the trees
    plain: Plain | None = None  # trees without the evasive bots; None: the forest decides alone


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
    if model.plain is not None:
        body["plain"] = model.plain.to_json()
    if model.familiar is not None:
        body["familiar"] = model.familiar.to_json()
    if model.calibration is not None:
        body["calibration"] = model.calibration
    if model.basis is not None:
        body["basis"] = model.basis.to_json()
    return {**body, "sha256": _digest(body)}


def write(model: Model, path: str | os.PathLike[str]) -> None:
    """Writes the file through a new temporary beside it, so a reader never sees half a model.

    BatchError when it cannot be written (one line saying why).
    """
    from velmora_core.batch.output_files import replacing
    text = json.dumps(to_json(model), indent=1, allow_nan=False) + "\n"
    with replacing(os.fspath(path)) as target:
        target.write(text.encode())
        target.commit()


def _refuse(what: str, source: str) -> ValueError:
    return ValueError(f"{source}: {what}")


def _finite(value: object) -> float | None:
    """value as a float when it is a number a float holds finitely (not a bool, not a huge int)."""
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        return None
    try:
        number = float(value)
    except OverflowError:
        return None
    return number if math.isfinite(number) else None


def _number(value: object, what: str, source: str) -> float:
    number = _finite(value)
    if number is None:
        raise _refuse(f"damaged model file: {what} is not a finite number", source)
    return number


def _column(forest: dict[str, Any], name: str, what: str, source: str, whole: bool) -> list[Any]:
    values = _list(forest.get(name), f"{what}.{name}", source)
    if len(values) > MAX_NODES:
        raise _refuse(f"too large: {what}.{name} holds {len(values)} items; a model may have at most "
                      f"{MAX_NODES} nodes", source)
    if name == "roots" and len(values) > MAX_TREES:
        raise _refuse(f"too large: {len(values)} trees; a model may have at most {MAX_TREES}", source)
    if whole:
        for v in values:
            if isinstance(v, bool) or not isinstance(v, int):
                raise _refuse(f"damaged model file: {what}.{name} holds {type(v).__name__} items", source)
        return values
    numbers = [_finite(v) for v in values]
    if None in numbers:
        raise _refuse(f"damaged model file: {what}.{name} holds an item that is not a finite number", source)
    return numbers


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
    if type(version) is not int or version != VERSION:  # 1.0 and true are not version 1
        raise _refuse(f"model file version {version!r} is not supported; this build reads version {VERSION}",
                      source)
    digest = body.pop("sha256", None)
    if not isinstance(digest, str):
        raise _refuse("damaged model file: it has no sha256 of its contents", source)
    if digest != _digest_or_none(body):
        raise _refuse("damaged model file: its sha256 does not match its contents", source)
    features = _object(body.get("feature_set"), "feature_set", source)
    names = _list(features.get("names"), "feature_set.names", source)
    if not all(isinstance(n, str) for n in names):
        raise _refuse("damaged model file: feature_set.names is not a list of names", source)
    wanted = (feature_set.FEATURE_SET, feature_set.FEATURE_SET_VERSION, list(feature_set.NAMES))
    found = (features.get("name"), features.get("version"), names)
    if found != wanted or type(found[1]) is not int:
        raise _refuse(f"the model reads feature set {found[0]!r} version {found[1]!r} ({len(names)} features); "
                      f"this build computes {wanted[0]!r} version {wanted[1]} ({len(wanted[2])} features): "
                      f"train a model for this build", source)
    target_fpr = _number(body.get("target_fpr"), "target_fpr", source)
    threshold = _number(body.get("threshold"), "threshold", source)
    forest = _forest(_object(body.get("forest"), "forest", source), "forest", source)
    plain = None
    if "plain" in body:
        raw = _object(body["plain"], "plain", source)
        without = raw.get("without", [])
        if not isinstance(without, list) or not all(isinstance(f, str) for f in without):
            raise _refuse("damaged model file: plain.without is not a list of family names", source)
        plain = Plain(_forest(_object(raw.get("forest"), "plain.forest", source), "plain.forest", source),
                      _number(raw.get("threshold"), "plain.threshold", source), tuple(cast(list[str], without)))
    training = _object(body.get("training", {}), "training", source)
    familiar = None
    if "familiar" in body:
        try:
            familiar = familiarity.parse(_object(body["familiar"], "familiar", source), feature_set.NAMES)
        except ValueError as error:
            raise _refuse(f"damaged model file: {error}", source) from None
    calibration = _object(body["calibration"], "calibration", source) if "calibration" in body else None
    basis = _basis(_object(body["basis"], "basis", source), len(names), source) if "basis" in body else None
    return Model(tuple(cast(list[str], names)), threshold, target_fpr, forest, training,
                 familiar=familiar, calibration=calibration, basis=basis, plain=plain)


def _forest(raw: dict[str, Any], what: str, source: str) -> Forest:
    return Forest(_number(raw.get("baseline"), f"{what}.baseline", source),
                  *(_column(raw, name, what, source, whole=name not in ("threshold", "value"))
                    for name in FOREST_COLUMNS))


def _basis(raw: dict[str, Any], features: int, source: str) -> Basis:
    labels, families, rows = raw.get("labels"), raw.get("families"), raw.get("rows")
    if not isinstance(labels, list) or not all(type(v) is int and v in (0, 1) for v in labels):
        raise _refuse("damaged model file: basis.labels is not a list of 0 and 1", source)
    if not isinstance(families, list) or len(families) != len(labels) or not all(isinstance(f, str) for f in families):
        raise _refuse("damaged model file: basis.families is not a name for each row", source)
    try:
        packed = base64.b64decode(rows, validate=True) if isinstance(rows, str) else None
    except binascii.Error:
        packed = None
    if packed is None or len(packed) != 8 * features * len(labels):
        raise _refuse(f"damaged model file: basis.rows is not {len(labels)} rows of {features} numbers", source)
    people = raw.get("people")
    if people is not None and (not isinstance(people, list) or len(people) != len(labels)
                               or not all(type(v) is int for v in people)):
        raise _refuse("damaged model file: basis.people is not a person number for each row", source)
    return Basis(packed, tuple(cast(list[int], labels)), tuple(cast(list[str], families)),
                 None if people is None else tuple(cast(list[int], people)))


def _digest_or_none(body: dict[str, Any]) -> str | None:
    try:
        return _digest(body)
    except (TypeError, ValueError, RecursionError):  # NaN or a value JSON cannot hold: not ours
        return None


class _NotFinite(ValueError):
    pass


def _constant(name: str) -> float:
    raise _NotFinite(name)  # NaN, Infinity, -Infinity: never in a file we write


def _float(text: str) -> float:
    value = float(text)
    if not math.isfinite(value):  # 1e999
        raise _NotFinite(text)
    return value


def decode(data: bytes, source: str = "model") -> object:
    """The JSON document in data; ValueError when it is not JSON or holds a number that is not finite."""
    try:
        return json.loads(data, parse_constant=_constant, parse_float=_float)
    except _NotFinite as error:
        raise _refuse(f"damaged model file: it holds the number {str(error)[:40]}, which is not finite",
                      source) from None
    except (UnicodeDecodeError, ValueError, RecursionError):
        raise _refuse("damaged or foreign file: not JSON", source) from None


def read(path: str | os.PathLike[str]) -> Model:
    """The model in the file at path. OSError when it cannot be read, ValueError when it is not a usable model."""
    source = os.fspath(path)
    with open(path, "rb") as f:
        data = f.read(MAX_FILE_BYTES + 1)  # never more: /dev/zero is refused, not read to the end
    if len(data) > MAX_FILE_BYTES:
        raise _refuse(f"too large for a model file (more than {MAX_FILE_BYTES >> 20} MiB)", source)
    return parse(decode(data, source), source)
