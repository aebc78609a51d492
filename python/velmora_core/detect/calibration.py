"""Fitting a model to a site's own users (`Detector.calibrated`, `velmora-core calibrate`).

The input is the site's traffic without labels, mostly human. Two things move:
- what is familiar: the ranges of the pointer features become those of the base model's
  people joined with the site's, each site range widened a little when it was read from
  few sessions (a few dozen people rarely show a population's extremes);
- the threshold: where the target share of the site's people lies, estimated twice (the
  lower is taken): from the site's own scores, and from the base model's own human scores
  carried over robustly (median and spread of the log-odds), which a few per cent of bots
  barely move. Sessions a consistency check calls bots, or too thin to judge, are left out
  first. The threshold never drops below the base model's.

Memory is bounded: a fixed-size uniform sample of the rows (reservoir) stands for them all.
"""

import datetime
import hashlib
import math
import random
import struct
from collections.abc import Callable, Iterable, Sequence
from dataclasses import dataclass, replace
from typing import TYPE_CHECKING, Any, Final

from velmora_core.detect import evidence, familiarity, feature_set
from velmora_core.detect.familiarity import Familiar
from velmora_core.detect.model_file import Model
from velmora_core.records import Telemetry

if TYPE_CHECKING:
    from velmora_core.detect import Detector

# Rows kept for the quantiles, however many sessions come.
SAMPLE_ROWS: Final = 20_000
# Fewer usable sessions than this cannot be calibrated to.
MIN_SESSIONS: Final = 20
# A site range read from n sessions is widened by PAD / sqrt(n) of its scale at each end.
PAD: Final = 10.0
THRESHOLD_PAD: Final = 2.0
SEED: Final = 20261209


@dataclass(frozen=True)
class Fitted:
    familiar: Familiar
    threshold: float
    used: int  # sessions that shaped it


class CalibrationError(ValueError):
    """The sessions cannot calibrate a model (too few usable ones)."""


def _logit(p: float) -> float:
    p = min(max(p, 1e-12), 1.0 - 1e-12)
    return math.log(p / (1.0 - p))


def _median_spread(values: Sequence[float]) -> tuple[float, float]:
    ordered = sorted(values)
    median = familiarity.quantile(ordered, 0.5)
    spread = familiarity.quantile(ordered, 0.75) - familiarity.quantile(ordered, 0.25)
    return median, max(spread, 1e-6)


def usable(row: Sequence[float]) -> bool:
    """Rows that may shape a calibration: enough data, and no check calls them bots."""
    named = evidence.Row(feature_set.NAMES, row)
    return evidence.thin(named) is None and not evidence.findings(named)


def fit_rows(base: Familiar, scores: Callable[[list[list[float]]], list[float]], rows: list[list[float]],
             base_threshold: float, base_human_scores: Sequence[float], target_fpr: float = 0.01) -> Fitted:
    """The familiar ranges and threshold for these (usable) rows, from a base model's."""
    rows = [list(r) for r in rows if usable(r)]
    if len(rows) < MIN_SESSIONS:
        raise CalibrationError(f"{len(rows)} usable sessions: at least {MIN_SESSIONS} are needed to calibrate")
    ranges = familiarity.profile(rows, feature_set.NAMES)
    pad = PAD / math.sqrt(len(rows))
    position = {name: k for k, name in enumerate(base.names)}
    low: list[float] = []
    high: list[float] = []
    scale: list[float] = []
    for k, name in enumerate(ranges.names):
        b = position[name]
        low.append(min(ranges.low[k] - pad * ranges.scale[k], base.low[b]))
        high.append(max(ranges.high[k] + pad * ranges.scale[k], base.high[b]))
        scale.append(ranges.scale[k])
    joined = Familiar(ranges.names, tuple(low), tuple(high), tuple(scale), max(ranges.limit, base.limit))
    threshold: float = base_threshold
    if base_human_scores:
        reference = sorted(_logit(s) for s in base_human_scores)
        ref_median, ref_spread = _median_spread(reference)
        # How far above the median, in spreads, the base model's people pass target_fpr of them.
        spreads = (familiarity.quantile(reference, 1.0 - target_fpr) - ref_median) / ref_spread
        site = sorted(_logit(s) for s in scores(rows))
        site_median, site_spread = _median_spread(site)
        # Where the site's own target share lies, unless a few per cent of bots pushed it up.
        # A quantile read from n sessions is widened like the ranges, by THRESHOLD_PAD / sqrt(n) spreads.
        empirical = familiarity.quantile(site, 1.0 - target_fpr) + THRESHOLD_PAD / math.sqrt(len(site)) * site_spread
        robust = min(site_median + spreads * site_spread, empirical)
        threshold = max(base_threshold, 1.0 / (1.0 + math.exp(-robust)))
    return Fitted(joined, threshold, len(rows))


class Reservoir:
    """A uniform sample of at most `size` rows of a stream, and the stream's count and digest."""

    def __init__(self, size: int = SAMPLE_ROWS) -> None:
        self.size, self.seen, self.rows = size, 0, list[list[float]]()
        self._random = random.Random(SEED)
        self._digest = hashlib.sha256()

    def add(self, row: Sequence[float]) -> None:
        self._digest.update(struct.pack(f"<{len(row)}d", *row))
        self.seen += 1
        if len(self.rows) < self.size:
            self.rows.append(list(row))
        else:
            at = self._random.randrange(self.seen)
            if at < self.size:
                self.rows[at] = list(row)

    def digest(self) -> str:
        return self._digest.hexdigest()


def calibrated_model(detector: "Detector", sample: Reservoir, target_fpr: float, what: dict[str, Any]) -> Model:
    """The detector's model calibrated to the sampled rows."""
    model = detector.model
    if model.familiar is None:
        raise CalibrationError("the base model records no familiar ranges; retrain it with this version")
    cv = model.training.get("cross_validation", {})
    human_scores = [float(s) for s in cv.get("human_scores", []) if isinstance(s, (int, float))]

    def scores(rows: list[list[float]]) -> list[float]:
        return [detector.score_row(tuple(r)) for r in rows]

    fitted = fit_rows(model.familiar, scores, sample.rows, model.threshold, human_scores, target_fpr)
    record = {"sessions": sample.seen, "sampled": len(sample.rows), "used": fitted.used,
              "rows_sha256": sample.digest(), "date": datetime.date.today().isoformat(),
              "target_fpr": target_fpr, "base_threshold": model.threshold, **what}
    return replace(model, threshold=fitted.threshold, target_fpr=target_fpr, familiar=fitted.familiar,
                   calibration=record)


def calibrate(detector: "Detector", sessions: Iterable[Telemetry], target_fpr: float) -> Model:
    """Detector.calibrated: the sessions read as dicts."""
    if not 0.0 <= target_fpr < 1.0:
        raise ValueError("target_fpr must be at least 0 and below 1")
    sample = Reservoir()
    for telemetry in sessions:
        if not isinstance(telemetry, dict):
            raise TypeError(f"sessions must be telemetry dicts, not {type(telemetry).__name__}")
        sample.add(feature_set.feature_row(telemetry))
    return calibrated_model(detector, sample, target_fpr, {})
