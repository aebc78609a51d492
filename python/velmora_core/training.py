"""Fitting the detector's model (`velmora-core train` and `evaluate`; needs velmora_core_rs[train]).

Every session's features are computed as for scoring; a gradient-boosted tree ensemble
(LightGBM) is fitted to the labels; its trees are copied into the model file and scored
by the native evaluator, here as in production.

Two estimates come with a model:
- cross-validated: out-of-fold scores of every session, the humans split by person
  (people.py), since every real user is a person the model has never seen. The threshold is
  the one that flags at most the target share of the out-of-fold human scores.
- leave-one-family-out: for each bot family, models fitted without it (humans split in
  folds) score its sessions against a threshold chosen the same way. This is what a bot
  of a kind never seen in training can expect.
"""

import importlib
import math
from collections.abc import Callable, Mapping, Sequence
from dataclasses import dataclass
from functools import cache, partial
from pathlib import Path
from typing import IO, Any, Final

import numpy as np
import numpy.typing as npt

from velmora_core import _native
from velmora_core.people import manifest_people
from velmora_core.batch import Summary, run
from velmora_core.detect import evidence, familiarity, feature_set, verdicts
from velmora_core.detect.familiarity import Familiar
from velmora_core.detect.model_file import Basis, Forest, Model
from velmora_core.detect.rows import BOT_VARIANT, labelled_chunk
from velmora_core.errors import BatchError, missing_extra
from velmora_core.batch.writers import MemorySink

Matrix = npt.NDArray[np.float64]
Vector = npt.NDArray[np.float64]
Indices = npt.NDArray[np.intp]

FOLDS: Final = 5
# Small trees, many of them: the data are a few thousand sessions. One thread and the
# deterministic mode make a fit the same for a seed on any machine of one platform.
# Each tree sees 15 % of the features: a model that spreads its evidence over many
# features catches unseen bot families far better than one leaning on the few that
# separate the families it was shown. With feature set 8, 30 % caught more of them
# (leave-one-family-out mean, seeds 1 / 2 / 3: 91.8 / 91.9 / 93.8 %, against 88.8 / 91.7 /
# 91.4 %) but judged held-out people "bot" more often as other devices report them (sent
# at a third 4.7 %, against 3.4 %; 240 Hz 1.4 %, against 0.2 %): kept at 15 %.
ROUNDS: Final = 200
PARAMS: Final[dict[str, Any]] = dict(objective="binary", learning_rate=0.05, num_leaves=15, min_data_in_leaf=10,
                                     feature_fraction=0.15, lambda_l2=1.0, deterministic=True,
                                     force_row_wise=True, num_threads=1, verbose=-1)
# A hardened model (redteam harden) calls "human" only below the score that leaves this
# share of its people, out of fold, above it; above it a session is a bot only when the
# trees fitted without the adversarial rounds' evasive bots also score it above their own
# threshold (at the target rate), else "unsure". A band that our attacker has to get under
# (the bundled model with such a band, `make attack` seeds 1-10: 23 % through at 10,000
# queries on average, 42 % without), and people whom only the evasive bots resemble stay
# "unsure" (redteam devices, seed 1: on a 144 Hz display 0.3 % "bot", 24.7 % without).
HUMAN_BAND: Final = 0.03

@dataclass
class Dataset:
    x: Matrix  # one row of features per session
    y: npt.NDArray[np.int64]  # 1 for a bot
    family: npt.NDArray[np.str_]  # the bot family (for humans: their source)
    sources: dict[str, int]  # sessions per source
    families: dict[str, list[str]]  # bot family -> its sources
    summary: Summary
    # For each row, the row it is a variant of (variants.py), itself for a session of the
    # input; None: no variants. Variants are fitted on with their person, never judged.
    origin: Indices | None = None
    # Who recorded each human row (people.py); None, or a bot: the row is its own person.
    person: npt.NDArray[np.str_] | None = None


def origins(data: Dataset) -> Indices:
    return data.origin if data.origin is not None else np.arange(len(data.y))


def people(data: Dataset) -> npt.NDArray[np.str_]:
    """The person of each row ("#N" for a row that is its own)."""
    if data.person is not None:
        return data.person
    return np.array([f"#{i}" for i in range(len(data.y))], dtype=np.str_)


def person_numbers(persons: npt.NDArray[Any]) -> npt.NDArray[np.intp]:
    """A number per row for its person, in order of first appearance."""
    _, first, inverse = np.unique(persons, return_index=True, return_inverse=True)
    numbers: npt.NDArray[np.intp] = np.argsort(np.argsort(first))[inverse]
    return numbers


def sessions_of(data: Dataset) -> npt.NDArray[np.bool_]:
    """The rows that are sessions of the input (not variants)."""
    same: npt.NDArray[np.bool_] = np.equal(origins(data), np.arange(len(data.y)))
    return same


def with_variants(data: Dataset, rows: Indices) -> Indices:
    """rows and the variants of them."""
    chosen = np.zeros(len(data.y), dtype=np.bool_)
    chosen[rows] = True
    return np.flatnonzero(chosen[origins(data)])


def variants_of(data: Dataset, rows: Indices) -> list[list[list[float]]]:
    """Per row, its variants' feature rows."""
    origin = origins(data)
    return [data.x[np.flatnonzero((origin == r) & (np.arange(len(origin)) != r))].tolist() for r in rows]


def _lightgbm() -> Any:
    try:
        return importlib.import_module("lightgbm")
    except ImportError:
        raise missing_extra("train", "lightgbm", "training a model") from None


def load(inputs: Sequence[str], family_of: Mapping[str, str], *, jobs: int | None = None, strict: bool = False,
         progress: bool = False, errors: IO[str] | None = None, variants: bool = True) -> Dataset:
    """The labelled sessions of the inputs; a bot's family is family_of[source], else its source.
    With variants, each human session's variants (variants.py) follow its row."""
    sink = MemorySink()
    work = partial(labelled_chunk, variants=variants)
    summary = run(inputs, sink, jobs=jobs, strict=strict, progress=progress, errors=errors, work=work)
    rows = sink.rows
    x = np.array([row[3:] for row in rows], dtype=np.float64).reshape(len(rows), len(feature_set.NAMES))
    y = np.array([1 if row[1] in (1, BOT_VARIANT) else 0 for row in rows], dtype=np.int64)
    origin = np.arange(len(rows))
    manifest = cache(lambda k: manifest_people(Path(inputs[k])))  # read once, for inputs with humans only
    person: list[str] = []
    sources: dict[str, int] = {}
    families: dict[str, list[str]] = {}
    names: list[str] = []
    for i, row in enumerate(rows):
        source: str = row[2]
        if row[1] < 0:  # a variant
            origin[i] = origin[i - 1]  # after its session's row, or after another variant of it
            person.append(person[i - 1])
        else:
            sources[source] = sources.get(source, 0) + 1
            known = manifest(sink.sources[i]).get(row[0]) if row[1] == 0 else None
            person.append(known if known is not None else f"#{i}")
        name = family_of.get(source, source) if row[1] == 1 else source
        names.append(name)
        if row[1] == 1 and source not in families.setdefault(name, []):
            families[name].append(source)
    return Dataset(x, y, np.array(names, dtype=np.str_), dict(sorted(sources.items())),
                   dict(sorted(families.items())), summary, origin, np.array(person, dtype=np.str_))


def check(data: Dataset) -> None:
    sessions = sessions_of(data)
    humans, bots = int(((data.y == 0) & sessions).sum()), int(((data.y == 1) & sessions).sum())
    if humans < 2 * FOLDS or bots < 2 * FOLDS:
        raise BatchError(f"too few labelled sessions to fit and check a model: {humans} human and {bots} bot; "
                         f"at least {2 * FOLDS} of each are needed")


# The family a calibration gives a site's sessions (among the people).
SITE: Final = "site"


def weights(y: npt.NDArray[np.int64], family: npt.NDArray[np.str_], site_share: float = 0.0) -> Vector:
    """Sample weights: humans and bots weigh the same in total, and so does every bot family,
    so that a family with few sessions teaches as much as a large one. A site's people
    (family SITE) weigh at least site_share of the humans' total, so that a few dozen of
    them are not lost among thousands of ours."""
    w = np.zeros(len(y), dtype=np.float64)
    humans = y == 0
    w[humans] = 1.0 / max(int(humans.sum()), 1)
    site = humans & (family == SITE)
    if site.any() and (~site & humans).any() and site.mean() < site_share * humans.mean():
        w[site] = site_share / int(site.sum())
        w[humans & ~site] = (1.0 - site_share) / int((humans & ~site).sum())
    names = sorted(set(family[~humans].tolist()))
    for name in names:
        members = (~humans) & (family == name)
        w[members] = 1.0 / (len(names) * int(members.sum()))
    return w * len(y) / 2.0


def fit(x: Matrix, y: npt.NDArray[np.int64], seed: int, family: npt.NDArray[np.str_] | None = None,
        site_share: float = 0.0) -> Any:
    """A fitted booster (LightGBM, one thread, deterministic for a seed), blind to feature_set.NOT_FITTED."""
    lightgbm = _lightgbm()
    w = weights(y, family if family is not None else np.full(len(y), "bot", dtype=np.str_), site_share)
    if x.shape[1] == len(feature_set.NAMES):
        x = x.copy()
        x[:, [i for i, name in enumerate(feature_set.NAMES) if name in feature_set.NOT_FITTED]] = 0.0
    params = {**PARAMS, "seed": seed}
    return lightgbm.train(params, lightgbm.Dataset(x, y, weight=w, params=params), num_boost_round=ROUNDS)


def export(booster: Any) -> Forest:
    """The fitted trees as node columns, in depth-first order (leaves: feature -1).

    A split's value is the sample-weighted mean of its children's, so that the change of
    value along a path says what each split did (the verdict's reasons). A value the fit
    never saw missing is read as 0 by the booster; its split sends NaN where 0 goes.
    """
    forest = Forest(0.0, [], [], [], [], [], [], [])
    for info in booster.dump_model()["tree_info"]:
        forest.roots.append(len(forest.feature))
        _append(forest, info["tree_structure"])
    return forest


def fit_forest(x: Matrix, y: npt.NDArray[np.int64], seed: int, family: npt.NDArray[np.str_],
               site_share: float = 0.0) -> Forest:
    """The exported fit."""
    return export(fit(x, y, seed, family, site_share))


def familiar_of(data: Dataset, rows: Indices | None = None) -> Familiar:
    """The ranges of the humans among these rows (default: all), variants included: what a
    model fitted on them knows. The limit comes from the sessions alone: a variant in one
    half would make its own session look familiar in the other."""
    chosen = np.arange(len(data.y)) if rows is None else rows
    humans = chosen[data.y[chosen] == 0]
    sessions = humans[sessions_of(data)[humans]]
    return familiarity.profile(data.x[humans].tolist(), feature_set.NAMES, data.x[sessions].tolist())


class Judge:
    """Outcomes of rows under one fitted forest, exactly as Detector.verdict_row decides them."""

    def __init__(self, forest: Forest, familiar: Familiar, features: int) -> None:
        self.scores = scorer(forest, features)
        self._use(familiar)

    def _use(self, familiar: Familiar) -> None:
        self.familiar = familiar
        self.index = familiarity.indices(familiar, feature_set.NAMES)
        self.ceiling_index = familiarity.ceiling_indices(familiar, feature_set.NAMES)

    def with_familiar(self, familiar: Familiar) -> "Judge":
        """The same trees with other familiar ranges (a calibration's)."""
        judge = Judge.__new__(Judge)
        judge.scores = self.scores
        judge._use(familiar)
        return judge

    def judged_by_model(self, x: Matrix) -> npt.NDArray[np.bool_]:
        """Rows whose outcome the trees decide: no check fires, enough data, familiar."""
        return np.array([verdicts.ruled(*self._rules(row)) is None for row in x.tolist()], dtype=np.bool_)

    def _rules(self, row: list[float]) -> tuple[list[evidence.Finding], evidence.Finding | None,
                                                familiarity.Excess, float]:
        named = evidence.Row(feature_set.NAMES, row)
        return (evidence.findings(named), evidence.thin(named),
                familiarity.excess(self.familiar, row, self.index), self.familiar.limit)

    def outcomes(self, x: Matrix, threshold: float, confirmed: Sequence[bool] | None = None) -> list[str]:
        """confirmed: per row, whether the plain trees (a hardened model's) score it above
        their threshold (None: there are none)."""
        scores = self.scores(x).tolist()
        agree = [True] * len(scores) if confirmed is None else list(confirmed)
        return [verdicts.decide(s, threshold, *self._rules(row),
                                familiarity.above_ceiling(self.familiar, row, self.ceiling_index), a)[0]
                for s, row, a in zip(scores, x.tolist(), agree)]


def shares(outcomes: Sequence[str]) -> dict[str, float]:
    n = max(len(outcomes), 1)
    return {name: sum(1 for o in outcomes if o == name) / n for name in verdicts.OUTCOMES}


def _append(forest: Forest, node: dict[str, Any]) -> tuple[float, float]:
    """Adds node and its subtree; returns its (value, weight)."""
    index = len(forest.feature)
    if "leaf_value" in node:
        _node(forest, -1, 0.0, 0, float(node["leaf_value"]))
        return forest.value[index], float(node.get("leaf_weight", node.get("leaf_count", 0)))
    if node["decision_type"] != "<=" or node["missing_type"] == "Zero":
        raise BatchError(f"cannot export a split of kind {node['decision_type']} / {node['missing_type']}")
    threshold = float(node["threshold"])
    missing_left = bool(node["default_left"]) if node["missing_type"] == "NaN" else 0.0 <= threshold
    _node(forest, int(node["split_feature"]), threshold, int(missing_left), 0.0)
    forest.left[index] = len(forest.feature)
    left_value, left_weight = _append(forest, node["left_child"])
    forest.right[index] = len(forest.feature)
    right_value, right_weight = _append(forest, node["right_child"])
    weight = left_weight + right_weight
    value = (left_weight * left_value + right_weight * right_value) / weight if weight > 0 else 0.0
    forest.value[index] = value
    return value, weight


def _node(forest: Forest, feature: int, threshold: float, missing_left: int, value: float) -> None:
    forest.feature.append(feature)
    forest.threshold.append(threshold)
    forest.missing_left.append(missing_left)
    forest.value.append(value)
    forest.left.append(0)
    forest.right.append(0)


def scorer(forest: Forest, features: int) -> Callable[[Matrix], Vector]:
    """Scores rows with the native evaluator, exactly as a loaded model will."""
    native = _native.forest_build(forest.baseline, features, forest.feature, forest.left, forest.right,
                                  forest.missing_left, forest.threshold, forest.value, forest.roots)
    score = _native.forest_score

    def scores(x: Matrix) -> Vector:
        return np.array([score(native, tuple(row)) for row in x.tolist()], dtype=np.float64)
    return scores


def pick_threshold(human_scores: Vector, target_fpr: float, judged: npt.NDArray[np.bool_] | None = None) -> float:
    """The lowest score threshold (bot when score > it) that flags at most target_fpr of these
    humans; judged marks those whose outcome the trees decide (the others never count)."""
    allowed = math.floor(target_fpr * len(human_scores) + 1e-9)
    ordered = np.sort(human_scores if judged is None else human_scores[judged])[::-1]
    return float(ordered[allowed]) if allowed < len(ordered) else 0.0


def auc(human_scores: Vector, bot_scores: Vector) -> float:
    """Probability that a bot outscores a human (ties count half)."""
    if len(human_scores) == 0 or len(bot_scores) == 0:
        return math.nan
    both = np.concatenate([human_scores, bot_scores])
    order = both.argsort(kind="stable")
    ranks = np.empty(len(both), dtype=np.float64)
    sorted_scores = both[order]
    # Average ranks over ties.
    starts = np.flatnonzero(np.r_[True, sorted_scores[1:] != sorted_scores[:-1]])
    ends = np.r_[starts[1:], len(both)]
    for s, e in zip(starts.tolist(), ends.tolist()):
        ranks[order[s:e]] = (s + e + 1) / 2.0
    bot_ranks = float(ranks[len(human_scores):].sum())
    n_b, n_h = len(bot_scores), len(human_scores)
    return (bot_ranks - n_b * (n_b + 1) / 2.0) / (n_b * n_h)


def folds(count: int, seed: int) -> list[Indices]:
    """count items in FOLDS shuffled folds (test indices of each)."""
    order = np.random.default_rng(seed).permutation(count)
    return [np.sort(part) for part in np.array_split(order, FOLDS)]


def folds_by(groups: npt.ArrayLike, seed: int) -> list[Indices]:
    """Folds (test indices) that keep each group whole: the groups, in order of first
    appearance, shuffled into FOLDS parts. All groups of one item: folds(len(groups), seed).
    Fewer groups than folds cannot be split so: then the items are, as folds() does."""
    numbers = person_numbers(np.asarray(groups))
    count = int(numbers.max()) + 1 if len(numbers) else 0
    if count < FOLDS:
        return folds(len(numbers), seed)
    part = np.empty(count, dtype=np.intp)
    for k, chosen in enumerate(np.array_split(np.random.default_rng(seed).permutation(count), FOLDS)):
        part[chosen] = k
    return [np.flatnonzero(part[numbers] == k) for k in range(FOLDS)]


def human_folds(data: Dataset, humans: Indices, seed: int) -> list[Indices]:
    """Folds of these human rows (positions in humans) that never split a person."""
    return folds_by(people(data)[humans], seed)


def cross_validate(data: Dataset, target_fpr: float, seed: int) -> dict[str, Any]:
    """Out-of-fold scores and outcomes of every session (folds drawn per class); also the
    threshold that leaves HUMAN_BAND of the people above it ("band_threshold")."""
    oof = np.empty(len(data.y), dtype=np.float64)
    judged = np.empty(len(data.y), dtype=np.bool_)
    sessions = sessions_of(data)
    humans, bots = np.flatnonzero((data.y == 0) & sessions), np.flatnonzero((data.y == 1) & sessions)
    features = data.x.shape[1]
    judges: list[tuple[Judge, Indices]] = []
    for h, b in zip(human_folds(data, humans, seed), folds(len(bots), seed + 1)):
        test = np.concatenate([humans[h], bots[b]])
        train = np.setdiff1d(np.arange(len(data.y)), with_variants(data, test))
        judge = Judge(fit_forest(data.x[train], data.y[train], seed, data.family[train]),
                      familiar_of(data, train), features)
        oof[test] = judge.scores(data.x[test])
        judged[test] = judge.judged_by_model(data.x[test])
        judges.append((judge, test))
    human_scores, bot_scores = oof[humans], oof[bots]
    threshold = pick_threshold(human_scores, target_fpr, judged[humans])
    outcome = np.empty(len(data.y), dtype=object)
    for judge, test in judges:
        outcome[test] = judge.outcomes(data.x[test], threshold)
    human, bot = shares(outcome[humans].tolist()), shares(outcome[bots].tolist())
    by_source = {source: shares(outcome[humans[data.family[humans] == source]].tolist())
                 for source in sorted(set(data.family[humans].tolist()))}
    return {"folds": FOLDS, "auc": auc(human_scores, bot_scores), "threshold": threshold,
            "band_threshold": pick_threshold(human_scores, HUMAN_BAND, judged[humans]),
            "caught": bot["bot"], "bots_unsure": bot["unsure"],
            "false_positive_rate": human["bot"], "humans_unsure": human["unsure"],
            "humans_by_source": {k: {"bot": v["bot"], "unsure": v["unsure"]} for k, v in by_source.items()},
            "human_scores": [round(float(s), 6) for s in human_scores],
            "bot_scores": [round(float(s), 6) for s in bot_scores]}


def held_out_models(data: Dataset, train_humans: Indices, others: Indices, held: Indices, target_fpr: float,
                    seed: int) -> tuple[list[dict[str, float]], list[Judge], float, Vector, Vector]:
    """Models fitted on folds of train_humans (human_folds(data, train_humans, seed)) plus the bots
    others, judging held: per fold model the shares of held's outcomes, the judges (in fold
    order), the threshold, held's mean score and the out-of-fold scores of train_humans."""
    parts = human_folds(data, train_humans, seed)
    features = data.x.shape[1]
    human_scores = np.empty(len(train_humans), dtype=np.float64)
    judged = np.empty(len(train_humans), dtype=np.bool_)
    judges: list[Judge] = []
    held_scores: list[Vector] = []
    for test in parts:
        train = np.concatenate([with_variants(data, np.delete(train_humans, test)), others])
        judge = Judge(fit_forest(data.x[train], data.y[train], seed, data.family[train]),
                      familiar_of(data, train), features)
        human_scores[test] = judge.scores(data.x[train_humans[test]])
        judged[test] = judge.judged_by_model(data.x[train_humans[test]])
        held_scores.append(judge.scores(data.x[held]))
        judges.append(judge)
    threshold = pick_threshold(human_scores, target_fpr, judged)
    per_model = [shares(judge.outcomes(data.x[held], threshold)) for judge in judges]
    return per_model, judges, threshold, np.mean(held_scores, axis=0) if held_scores else np.empty(0), human_scores


def _mean_shares(per_model: Sequence[Mapping[str, float]]) -> dict[str, float]:
    return {name: float(np.mean([m[name] for m in per_model])) for name in verdicts.OUTCOMES}


def leave_one_family_out(data: Dataset, target_fpr: float, seed: int,
                         report: Callable[[str], None] | None = None) -> list[dict[str, Any]]:
    """Per bot family: how models fitted without it judge its sessions, at the target FPR."""
    sessions = sessions_of(data)
    humans = np.flatnonzero((data.y == 0) & sessions)
    table: list[dict[str, Any]] = []
    for family in data.families:
        held = np.flatnonzero((data.y == 1) & (data.family == family) & sessions)
        others = np.flatnonzero((data.y == 1) & (data.family != family))  # with their variants
        per_model, _, threshold, held_scores, human_scores = held_out_models(data, humans, others, held, target_fpr, seed)
        got = _mean_shares(per_model)
        row = {"family": family, "bots": len(held), "caught": got["bot"], "unsure": got["unsure"],
               "auc": auc(human_scores, held_scores), "threshold": threshold}
        table.append(row)
        if report is not None:
            report(format_row(row))
    return table


def leave_one_source_out(data: Dataset, target_fpr: float, seed: int,
                         report: Callable[[str], None] | None = None) -> list[dict[str, Any]]:
    """Per human source: how models fitted without its people judge them (people unlike
    those of the fit); then a calibration (a refit, as Detector.calibrated makes) to half of
    them, judging the other half and the half of the bots that calibration did not fit on."""
    from velmora_core.detect import calibration  # the same code as Detector.calibrated
    human = (data.y == 0) & sessions_of(data)
    sources = sorted({str(f) for f in data.family[human].tolist()})
    bots = np.flatnonzero((data.y == 1) & sessions_of(data))
    order = np.random.default_rng([seed, 1]).permutation(bots)
    bots_fit, bots_judged = np.sort(order[: len(order) // 2]), np.sort(order[len(order) // 2:])
    table: list[dict[str, Any]] = []
    if len(sources) < 2:
        return table
    for source in sources:
        held = np.flatnonzero(human & (data.family == source))
        train_humans = np.flatnonzero(human & (data.family != source))
        per_model, _, _, _, _ = held_out_models(data, train_humans, with_variants(data, bots), held, target_fpr, seed)
        got = _mean_shares(per_model)
        shuffled = np.random.default_rng(seed).permutation(held)
        fit_half, judge_half = shuffled[: len(shuffled) // 2], shuffled[len(shuffled) // 2:]
        row = {"source": source, "humans": len(held), "bot": got["bot"], "unsure": got["unsure"],
               "calibrated_on": len(fit_half), "calibrated_bot": None, "calibrated_unsure": None,
               "calibrated_bots_caught": None}
        basis = np.concatenate([with_variants(data, train_humans), with_variants(data, bots_fit)])
        try:
            again = calibration.refit_rows(data.x[basis], data.y[basis], data.family[basis],
                                           familiar_of(data, basis), data.x[fit_half].tolist(),
                                           target_fpr, seed, person_numbers(people(data)[basis]).tolist(),
                                           variants_of(data, fit_half))
        except calibration.CalibrationError:
            again = None  # too few of them to calibrate to: the zero-shot figures stand alone
        if again is not None:
            judge = Judge(again.forest, again.fitted.familiar, data.x.shape[1])
            after = shares(judge.outcomes(data.x[judge_half], again.fitted.threshold))
            row.update(calibrated_bot=after["bot"], calibrated_unsure=after["unsure"],
                       calibrated_bots_caught=shares(judge.outcomes(data.x[bots_judged], again.fitted.threshold))["bot"])
        table.append(row)
        if report is not None:
            report(format_source_row(row))
    return table


def lofo_summary(table: Sequence[Mapping[str, Any]]) -> dict[str, float | None]:
    """Mean and lowest share caught over the families (None without a table: JSON has no NaN)."""
    caught = [float(row["caught"]) for row in table]
    return {"mean_caught": float(np.mean(caught)) if caught else None,
            "min_caught": min(caught) if caught else None}


def format_row(row: Mapping[str, Any]) -> str:
    return (f"{row['family']:<32} {row['bots']:>6} {100 * row['caught']:>8.1f} % {100 * row.get('unsure', 0.0):>8.1f} % "
            f"{row['auc']:>8.4f}")


def _percent(value: float | None, width: int) -> str:
    return f"{'-':>{width}}  " if value is None else f"{100 * value:>{width}.1f} %"


def format_source_row(row: Mapping[str, Any]) -> str:
    return (f"{row['source']:<16} {row['humans']:>6} {100 * row['bot']:>6.1f} % {100 * row['unsure']:>7.1f} %   "
            f"{row['calibrated_on']:>4} {_percent(row['calibrated_bot'], 6)} {_percent(row['calibrated_unsure'], 7)} "
            f"{_percent(row['calibrated_bots_caught'], 7)}")


def format_table(table: Sequence[Mapping[str, Any]], target_fpr: float) -> str:
    head = f"{'held-out family':<32} {'bots':>6} {'bot':>10} {'unsure':>10} {'AUC':>8}"
    lines = [f"Leave-one-family-out at a {100 * target_fpr:g} % false-positive threshold (share judged bot, unsure):",
             head, *map(format_row, table)]
    caught = [float(row["caught"]) for row in table]
    lines.append(f"{'mean over families':<32} {'':>6} {100 * float(np.mean(caught)):>8.1f} %")
    lines.append(f"{'lowest family':<32} {'':>6} {100 * min(caught):>8.1f} %")
    return "\n".join(lines)


def format_source_table(table: Sequence[Mapping[str, Any]]) -> str:
    head = (f"{'left-out humans':<16} {'people':>6} {'bot':>8} {'unsure':>9}   {'fit':>4} {'bot':>8} {'unsure':>9} "
            f"{'bots':>9}")
    return "\n".join(["Leave-one-human-source-out (zero-shot; then calibrated on half of them, judging the other "
                      "half and the half of the bots the calibration did not fit on):", head,
                      *map(format_source_row, table)])


def evaluate(data: Dataset, target_fpr: float, seed: int,
             report: Callable[[str], None] | None = None) -> dict[str, Any]:
    """The training summary: data, cross-validation and the leave-out tables."""
    check(data)
    cv = cross_validate(data, target_fpr, seed)
    if report is not None:
        report(f"cross-validated AUC {cv['auc']:.4f}; at threshold {cv['threshold']:.6f}: "
               f"{100 * cv['caught']:.1f} % of bots judged bot ({100 * cv['bots_unsure']:.1f} % unsure), "
               f"{100 * cv['false_positive_rate']:.2f} % of humans bot ({100 * cv['humans_unsure']:.1f} % unsure)")
    lofo = leave_one_family_out(data, target_fpr, seed, report) if len(data.families) > 1 else []
    loso = leave_one_source_out(data, target_fpr, seed, report)
    return {"seed": seed, "target_fpr": target_fpr, "params": {**PARAMS, "rounds": ROUNDS},
            "sessions": _counts(data),
            "sources": data.sources, "families": data.families,
            "cross_validation": cv, "leave_one_family_out": lofo, **lofo_summary(lofo),
            "leave_one_human_source_out": loso}


def _counts(data: Dataset) -> dict[str, int]:
    sessions = sessions_of(data)
    human, bot = data.y == 0, data.y == 1
    return {"human": int((human & sessions).sum()), "bot": int((bot & sessions).sum()),
            "human_variants": int((human & ~sessions).sum()), "bot_variants": int((bot & ~sessions).sum())}


def train(data: Dataset, target_fpr: float, seed: int, report: Callable[[str], None] | None = None) -> Model:
    """The model fitted on every session, with the threshold from cross-validation."""
    summary = evaluate(data, target_fpr, seed, report)
    forest = fit_forest(data.x, data.y, seed, data.family)
    return Model(feature_set.NAMES, float(summary["cross_validation"]["threshold"]), target_fpr, forest, summary,
                 familiar=familiar_of(data),
                 basis=Basis(data.x.astype("<f8").tobytes(), tuple(data.y.tolist()), tuple(data.family.tolist()),
                             tuple(person_numbers(people(data)).tolist())))


def parse_families(pairs: Sequence[str]) -> dict[str, str]:
    """SOURCE=FAMILY pairs (from --family) as a mapping."""
    mapping: dict[str, str] = {}
    for pair in pairs:
        source, sep, family = pair.partition("=")
        if not sep or not source or not family:
            raise BatchError(f"--family takes SOURCE=FAMILY, not {pair!r}")
        mapping[source] = family
    return mapping
