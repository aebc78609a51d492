"""Fitting a model to a site's own users (`Detector.calibrated`, `velmora-core calibrate`).

The input is the site's traffic without labels, mostly human. Three things move:
- the trees: fitted again on the rows the model was fitted on (its basis) with the site's
  sessions among the people, so that what sets the site's people apart from ours no longer
  looks like a bot. Each site session is fitted on with its variants (variants.py), as our
  people are (see below why). This needs the 'train' extra (LightGBM) and a model with a
  basis; by default (refit None) a calibration without them keeps the trees and warns. The
  site's scores for the threshold below are then out-of-fold (each from trees that did not
  see it), and so are the model's own people's;
- what is familiar: the ranges of the pointer features become those of the base model's
  people joined with the site's, each site range widened a little when it was read from
  few sessions (a few dozen people rarely show a population's extremes), and each ceiling
  the higher of the two;
- the threshold: where the target share of the site's people lies, estimated twice (the
  lower is taken): from the site's own scores, and from the base model's own human scores
  carried over robustly (median and spread of the log-odds), which a few per cent of bots
  barely move. Sessions a consistency check calls bots, or too thin to judge, are left out
  first. The threshold never drops below the one the (refitted) trees need for the
  model's own people.

A hardened model (model_file.Plain) keeps its rule: both sets are fitted again with the
site's people, its trees' threshold the band (training.HUMAN_BAND of the site's people
above it), its plain trees' at the target; "bot" only when both score a session above
theirs. Its trees alone, refitted with the site's one device, called the same people on
faster displays or smaller screens "bot" (up to 22 %; redteam/calibrated_devices.py) and
caught fewer bots. Without a refit, or from a file that does not name the families its
plain trees left out, a calibrated model has one set of trees: "bot" above its threshold,
"human" at or below.

Memory is bounded: a fixed-size uniform sample of the rows (reservoir) stands for them all.
"""

import datetime
import hashlib
import importlib.util
import math
import random
import struct
import warnings
from collections.abc import Callable, Iterable, Sequence
from dataclasses import dataclass, replace
from typing import TYPE_CHECKING, Any, Final

from velmora_core.detect import evidence, familiarity, feature_set
from velmora_core.detect.familiarity import Familiar
from velmora_core.detect.model_file import Forest, Model, Plain
from velmora_core.detect.variants import variant_rows
from velmora_core.errors import require_extra
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
# In a refit, the site's people weigh at least this share of all the people: a few dozen
# among our thousands of rows would barely move the trees, and the threshold would then
# have to rise over them, letting bots through (leaving out one human source of the shared
# data and calibrating to 45 of its people: the bots caught of seeds 1 / 2 / 3 were
# 68.4 / 95.4 / 90.7 % at their natural weight, 87.5 / 94.5 / 92.8 % at a quarter).
SITE_SHARE: Final = 0.25
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
    """The familiar ranges and threshold for these rows under the base model's trees."""
    rows = site_rows(rows)
    threshold = site_threshold(scores(rows), base_human_scores, base_threshold, target_fpr)
    return Fitted(joined_familiar(base, rows), threshold, len(rows))


def site_rows(rows: Iterable[Sequence[float]]) -> list[list[float]]:
    """The usable rows; CalibrationError when too few are."""
    return site_sessions(rows, None)[0]


def site_sessions(rows: Iterable[Sequence[float]], variants: Sequence[Sequence[Sequence[float]]] | None
                  ) -> tuple[list[list[float]], list[Sequence[Sequence[float]]]]:
    """The usable rows and the variant rows of each (variants: per row, None: none);
    CalibrationError when too few are usable."""
    kept: list[list[float]] = []
    their: list[Sequence[Sequence[float]]] = []
    for k, row in enumerate(rows):
        if usable(row):
            kept.append(list(row))
            their.append(() if variants is None else variants[k])
    if len(kept) < MIN_SESSIONS:
        raise CalibrationError(f"{len(kept)} usable sessions: at least {MIN_SESSIONS} are needed to calibrate")
    return kept, their


def joined_familiar(base: Familiar, rows: list[list[float]]) -> Familiar:
    """The base ranges joined with the rows' own, each widened by PAD / sqrt(n) of its scale."""
    ranges = familiarity.profile(rows, feature_set.NAMES)
    pad = PAD / math.sqrt(len(rows))
    position = {name: k for k, name in enumerate(base.names)}
    low: list[float] = []
    high: list[float] = []
    for k, name in enumerate(ranges.names):
        b = position[name]
        low.append(min(ranges.low[k] - pad * ranges.scale[k], base.low[b]))
        high.append(max(ranges.high[k] + pad * ranges.scale[k], base.high[b]))
    ceiling = dict(base.ceiling)
    for name, bound in ranges.ceiling:
        ceiling[name] = max(bound, ceiling.get(name, bound))
    return Familiar(ranges.names, tuple(low), tuple(high), ranges.scale, max(ranges.limit, base.limit),
                    tuple(ceiling.items()))


def site_threshold(site_scores: Sequence[float], reference_scores: Sequence[float], floor: float,
                   target_fpr: float) -> float:
    """Where the target share of the site's people lies (see the module's note), at least floor."""
    if not reference_scores:
        return floor
    reference = sorted(_logit(s) for s in reference_scores)
    ref_median, ref_spread = _median_spread(reference)
    # How far above the median, in spreads, the model's people pass target_fpr of them.
    spreads = (familiarity.quantile(reference, 1.0 - target_fpr) - ref_median) / ref_spread
    site = sorted(_logit(s) for s in site_scores)
    site_median, site_spread = _median_spread(site)
    # Where the site's own target share lies, unless a few per cent of bots pushed it up.
    # A quantile read from n sessions is widened like the ranges, by THRESHOLD_PAD / sqrt(n) spreads.
    empirical = familiarity.quantile(site, 1.0 - target_fpr) + THRESHOLD_PAD / math.sqrt(len(site)) * site_spread
    robust = min(site_median + spreads * site_spread, empirical)
    return max(floor, 1.0 / (1.0 + math.exp(-robust)))


@dataclass(frozen=True)
class Refitted:
    forest: Forest
    fitted: Fitted
    variants: int  # variant rows of the site's sessions fitted on


def refit_rows(x: Any, y: Any, family: Any, base: Familiar, rows: list[list[float]], target_fpr: float,
               seed: int, people: Sequence[int] | None = None,
               variants: Sequence[Sequence[Sequence[float]]] | None = None) -> Refitted:
    """Trees fitted on the basis (x, y, family: numpy arrays) with the usable rows among its
    people, and the familiar ranges and threshold that go with them. people: the basis
    rows' person numbers (None: each row its own), so that a person is judged out of fold.
    variants: per row, its variants' rows, fitted on (and held out) with it."""
    import numpy as np

    from velmora_core import training
    site, their = site_sessions(rows, variants)
    extra = [v for vs in their for v in vs]
    of_session = np.repeat(np.arange(len(site)), [len(vs) for vs in their])
    every = np.vstack([x, np.array([*site, *extra], dtype=np.float64).reshape(-1, x.shape[1])])
    labels = np.concatenate([y, np.zeros(len(site) + len(extra), dtype=np.int64)])
    names = np.concatenate([family, np.full(len(site) + len(extra), training.SITE)])
    at_site = np.arange(len(y), len(y) + len(site))
    at_extra = np.arange(len(y) + len(site), len(every))
    humans = np.flatnonzero(y == 0)
    site_oof = np.empty(len(site))
    people_oof = np.empty(len(humans))
    groups = humans if people is None else np.asarray(people)[humans]  # a row is its own person
    for s, p in zip(training.folds(len(site), seed), training.folds_by(groups, seed + 1)):
        held = np.concatenate([at_site[s], at_extra[np.isin(of_session, s)], humans[p]])
        keep = np.setdiff1d(np.arange(len(every)), held)
        forest = training.fit_forest(every[keep], labels[keep], seed, names[keep], SITE_SHARE)
        score = training.scorer(forest, every.shape[1])
        site_oof[s] = score(every[at_site[s]])
        people_oof[p] = score(every[humans[p]])
    forest = training.fit_forest(every, labels, seed, names, SITE_SHARE)
    floor = training.pick_threshold(people_oof, target_fpr)
    threshold = site_threshold(site_oof.tolist(), people_oof.tolist(), floor, target_fpr)
    return Refitted(forest, Fitted(joined_familiar(base, site), threshold, len(site)), len(extra))


def refit_sets(x: Any, y: Any, family: Any, base: Familiar, rows: list[list[float]], target_fpr: float,
               seed: int, people: Sequence[int] | None, variants: Sequence[Sequence[Sequence[float]]] | None,
               without: Sequence[str]) -> tuple[Refitted, Refitted | None]:
    """The trees fitted again as refit_rows fits them, and None; or, for a hardened model
    (without: the basis families its plain trees left out), its two sets: its trees on the
    whole basis, their threshold the band (training.HUMAN_BAND of the people above it), and
    its plain trees on the basis without those families, at target_fpr."""
    if not without:
        return refit_rows(x, y, family, base, rows, target_fpr, seed, people, variants), None
    import numpy as np

    from velmora_core import training
    shipped = refit_rows(x, y, family, base, rows, training.HUMAN_BAND, seed, people, variants)
    keep = ~np.isin(family, list(without))
    plain = refit_rows(x[keep], y[keep], family[keep], base, rows, target_fpr, seed,
                       None if people is None else [p for p, k in zip(people, keep.tolist()) if k], variants)
    return shipped, plain


class Reservoir:
    """A uniform sample of at most `size` rows of a stream, each with its variants' rows, and
    the stream's count and digest (of the rows)."""

    def __init__(self, size: int = SAMPLE_ROWS) -> None:
        self.size, self.seen, self.rows = size, 0, list[list[float]]()
        self._variants = list[bytes]()  # packed, a quarter of the memory of lists of floats
        self._random = random.Random(SEED)
        self._digest = hashlib.sha256()

    def add(self, row: Sequence[float], variants: Sequence[Sequence[float]] = ()) -> None:
        packed = struct.pack(f"<{len(row)}d", *row)
        self._digest.update(packed)
        self.seen += 1
        theirs = b"".join(struct.pack(f"<{len(v)}d", *v) for v in variants)
        if len(self.rows) < self.size:
            self.rows.append(list(row))
            self._variants.append(theirs)
        else:
            at = self._random.randrange(self.seen)
            if at < self.size:
                self.rows[at] = list(row)
                self._variants[at] = theirs

    def variants(self) -> list[list[list[float]]]:
        """Per sampled row, its variants' rows."""
        width = len(self.rows[0]) if self.rows else 1
        return [[list(v) for v in struct.iter_unpack(f"<{width}d", theirs)] for theirs in self._variants]

    def digest(self) -> str:
        return self._digest.hexdigest()


def refit_missing(model: Model) -> str | None:
    """Why the model's trees cannot be fitted again here (None: they can)."""
    if model.basis is None:
        return "the base model does not carry the rows it was fitted on"
    if any(importlib.util.find_spec(m) is None for m in ("numpy", "lightgbm")):
        return "the 'train' extra (LightGBM, NumPy) is not installed"
    return None


def calibrated_model(detector: "Detector", sample: Reservoir, target_fpr: float, what: dict[str, Any],
                     refit: bool | None = None) -> Model:
    """The detector's model calibrated to the sampled rows. refit: True fits the trees again
    (an error when that cannot be done), False keeps them, None does what can be done and
    warns (RuntimeWarning) when it keeps them."""
    model = detector.model
    if model.familiar is None:
        raise CalibrationError("the base model records no familiar ranges; retrain it with this version")
    if refit is None:
        missing = refit_missing(model)
        if missing is not None:
            warnings.warn(f"calibrating without a refit of the trees: {missing}; fewer bots are caught when the "
                          f"trees see the site's people as bot-like", RuntimeWarning, stacklevel=3)
        refit = missing is None
    record = {"sessions": sample.seen, "sampled": len(sample.rows), "rows_sha256": sample.digest(),
              "date": datetime.date.today().isoformat(), "target_fpr": target_fpr,
              "base_threshold": model.threshold, "refit": refit, **what}
    if refit:
        basis = model.basis
        if basis is None:
            raise CalibrationError("the base model does not carry the rows it was fitted on, so its trees cannot be "
                                   "fitted again: retrain it with this version, or calibrate without refitting")
        require_extra("train", ("numpy", "lightgbm"), "calibrating with a refit of the trees")
        import numpy as np
        x = np.frombuffer(basis.rows, dtype="<f8").reshape(len(basis.labels), len(model.names))
        seed = model.training.get("seed", 1)
        fitting = (x, np.array(basis.labels, dtype=np.int64), np.array(basis.families, dtype=np.str_),
                   model.familiar, sample.rows, target_fpr, seed if type(seed) is int else 1, basis.people,
                   sample.variants())
        without = () if model.plain is None else model.plain.without
        again, refitted = refit_sets(*fitting, without)
        plain = None if refitted is None else Plain(refitted.forest, refitted.fitted.threshold, without)
        return replace(model, forest=again.forest, threshold=again.fitted.threshold, target_fpr=target_fpr,
                       familiar=again.fitted.familiar, plain=plain,
                       calibration={**record, "used": again.fitted.used, "variants": again.variants})
    cv = model.training.get("cross_validation", {})
    human_scores = [float(s) for s in cv.get("human_scores", []) if isinstance(s, (int, float))]

    def scores(rows: list[list[float]]) -> list[float]:
        return [detector.score_row(tuple(r)) for r in rows]

    fitted = fit_rows(model.familiar, scores, sample.rows, model.threshold, human_scores, target_fpr)
    return replace(model, threshold=fitted.threshold, target_fpr=target_fpr, familiar=fitted.familiar,
                   calibration={**record, "used": fitted.used}, plain=None)


def calibrate(detector: "Detector", sessions: Iterable[Telemetry], target_fpr: float,
              refit: bool | None = None) -> Model:
    """Detector.calibrated: the sessions read as dicts."""
    if not 0.0 <= target_fpr < 1.0:
        raise ValueError("target_fpr must be at least 0 and below 1")
    sample = Reservoir()
    with_variants = refit is not False and refit_missing(detector.model) is None
    for telemetry in sessions:
        if not isinstance(telemetry, dict):
            raise TypeError(f"sessions must be telemetry dicts, not {type(telemetry).__name__}")
        sample.add(feature_set.feature_row(telemetry), variant_rows(telemetry, human=True) if with_variants else ())
    return calibrated_model(detector, sample, target_fpr, {}, refit)

