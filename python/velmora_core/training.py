"""Fitting the detector's model (`velmora-core train` and `evaluate`; needs velmora_core_rs[train]).

Every session's features are computed as for scoring; a gradient-boosted tree ensemble
(LightGBM) is fitted to the labels; its trees are copied into the model file and scored
by the native evaluator, here as in production.

Two estimates come with a model:
- cross-validated: out-of-fold scores of every session. The threshold is the one that
  flags at most the target share of the out-of-fold human scores.
- leave-one-family-out: for each bot family, models fitted without it (humans split in
  folds) score its sessions against a threshold chosen the same way. This is what a bot
  of a kind never seen in training can expect.
"""

import importlib
import math
import os
from collections.abc import Callable, Mapping, Sequence
from dataclasses import dataclass
from typing import IO, Any, Final

import numpy as np
import numpy.typing as npt

from velmora_core import _native
from velmora_core.batch import Summary, run
from velmora_core.detect import feature_set
from velmora_core.detect.model_file import Forest, Model
from velmora_core.detect.rows import labelled_chunk
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
# separate the families it was shown (leave-one-family-out: 90 % -> 97 % mean caught at
# 30 %; at 15 % the weakest family gains a few points more).
ROUNDS: Final = 200
PARAMS: Final[dict[str, Any]] = dict(objective="binary", learning_rate=0.05, num_leaves=15, min_data_in_leaf=10,
                                     feature_fraction=0.15, lambda_l2=1.0, deterministic=True,
                                     force_row_wise=True, num_threads=1, verbose=-1)
# Features the trees never split on: browser facts, how many samples, clicks, keys and
# scrolls a session has, and the two typing figures of the record that read which keys
# were typed or only set careless scripted typing apart (digraph_entropy, keystroke_score).
# A careful bot copies all of these from a real session, so a model leaning on them
# learns only about careless bots. They stay in the
# row (the model file keeps one fixed layout); the fit sees them as constant.
IGNORED: Final = frozenset({
    "webdriver", "screen_valid", "plugins_length", "touch_supported", "screen_width", "max_touch_points",
    "avg_touch_radius", "touch_radius_var", "avg_touch_force", "touch_event_count",
    "click_count", "key_count", "scroll_count", "mouse_points", "digraph_entropy", "keystroke_score"})

# The novelty gates: a session farther from people (the human_distance and
# human_range_excess features) than every human of the fit, by this factor, is a bot
# whatever the trees say. Trees only know the regions where they were shown bots; a
# generator unlike all of ours can land where no tree looks, yet it is rarely as close to
# people as people are on every feature at once. Fits on the humans and the red team
# alone, scoring the recorded bots (scripts/redteam_probe.py, seeds 1-3): 10-49 % caught
# without gates, about 60-73 % with the human_distance gate, about 89 % with both.
GATE_FEATURES: Final = ("human_distance", "human_range_excess")
GATE_MARGIN: Final = 1.2
GATE_SCORE: Final = 10.0


@dataclass
class Dataset:
    x: Matrix  # one row of features per session
    y: npt.NDArray[np.int64]  # 1 for a bot
    family: npt.NDArray[np.str_]  # the bot family (for humans: their source)
    sources: dict[str, int]  # sessions per source
    families: dict[str, list[str]]  # bot family -> its sources
    summary: Summary


def _lightgbm() -> Any:
    try:
        return importlib.import_module("lightgbm")
    except ImportError:
        raise missing_extra("train", "lightgbm", "training a model") from None


def load(inputs: Sequence[str], family_of: Mapping[str, str], *, jobs: int | None = None, strict: bool = False,
         progress: bool = False, errors: IO[str] | None = None) -> Dataset:
    """The labelled sessions of the inputs; a bot's family is family_of[source], else its source."""
    sink = MemorySink()
    summary = run(inputs, sink, jobs=jobs, strict=strict, progress=progress, errors=errors, work=labelled_chunk)
    rows = sink.rows
    x = np.array([row[3:] for row in rows], dtype=np.float64).reshape(len(rows), len(feature_set.NAMES))
    y = np.array([row[1] for row in rows], dtype=np.int64)
    sources: dict[str, int] = {}
    families: dict[str, list[str]] = {}
    names: list[str] = []
    for row in rows:
        source: str = row[2]
        sources[source] = sources.get(source, 0) + 1
        name = family_of.get(source, source) if row[1] else source
        names.append(name)
        if row[1] and source not in families.setdefault(name, []):
            families[name].append(source)
    return Dataset(x, y, np.array(names, dtype=np.str_), dict(sorted(sources.items())),
                   dict(sorted(families.items())), summary)


def check(data: Dataset) -> None:
    humans, bots = int((data.y == 0).sum()), int((data.y == 1).sum())
    if humans < 2 * FOLDS or bots < 2 * FOLDS:
        raise BatchError(f"too few labelled sessions to fit and check a model: {humans} human and {bots} bot; "
                         f"at least {2 * FOLDS} of each are needed")


def weights(y: npt.NDArray[np.int64], family: npt.NDArray[np.str_]) -> Vector:
    """Sample weights: humans and bots weigh the same in total, and so does every bot family,
    so that a family with few sessions teaches as much as a large one."""
    w = np.zeros(len(y), dtype=np.float64)
    humans = y == 0
    w[humans] = 1.0 / max(int(humans.sum()), 1)
    names = sorted(set(family[~humans].tolist()))
    for name in names:
        members = (~humans) & (family == name)
        w[members] = 1.0 / (len(names) * int(members.sum()))
    return w * len(y) / 2.0


def fit(x: Matrix, y: npt.NDArray[np.int64], seed: int, family: npt.NDArray[np.str_] | None = None) -> Any:
    """A fitted booster (LightGBM, one thread, deterministic for a seed), blind to IGNORED."""
    lightgbm = _lightgbm()
    w = weights(y, family if family is not None else np.full(len(y), "bot", dtype=np.str_))
    if x.shape[1] == len(feature_set.NAMES):
        x = x.copy()
        x[:, [i for i, name in enumerate(feature_set.NAMES) if name in IGNORED]] = 0.0
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


def with_gate(forest: Forest, human_rows: Matrix) -> Forest:
    """The forest plus the novelty gates: per GATE_FEATURES one more tree, adding GATE_SCORE
    when the feature exceeds GATE_MARGIN times its largest value over these human rows
    (missing: no gate)."""
    if human_rows.shape[1] != len(feature_set.NAMES) or not len(human_rows):
        return forest
    for name in GATE_FEATURES:
        if name not in feature_set.NAMES:
            continue
        column = feature_set.NAMES.index(name)
        limit = GATE_MARGIN * float(np.max(human_rows[:, column]))
        root = len(forest.feature)
        forest.roots.append(root)
        _node(forest, column, limit, 1, 0.0)
        forest.left[root] = len(forest.feature)
        _node(forest, -1, 0.0, 0, 0.0)
        forest.right[root] = len(forest.feature)
        _node(forest, -1, 0.0, 0, GATE_SCORE)
    return forest


def fit_forest(x: Matrix, y: npt.NDArray[np.int64], seed: int, family: npt.NDArray[np.str_]) -> Forest:
    """The exported fit with its novelty gates, set by the humans among these rows."""
    return with_gate(export(fit(x, y, seed, family)), x[y == 0])


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


def pick_threshold(human_scores: Vector, target_fpr: float) -> float:
    """The lowest score threshold (bot when score > it) that flags at most target_fpr of these humans."""
    ordered = np.sort(human_scores)[::-1]
    allowed = math.floor(target_fpr * len(ordered) + 1e-9)
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


def _split(count: int, seed: int) -> list[Indices]:
    """count items in FOLDS shuffled folds (test indices of each)."""
    order = np.random.default_rng(seed).permutation(count)
    return [np.sort(part) for part in np.array_split(order, FOLDS)]


def cross_validate(data: Dataset, target_fpr: float, seed: int) -> dict[str, Any]:
    """Out-of-fold scores of every session (folds drawn per class) and what they say."""
    oof = np.empty(len(data.y), dtype=np.float64)
    humans, bots = np.flatnonzero(data.y == 0), np.flatnonzero(data.y == 1)
    features = data.x.shape[1]
    for h, b in zip(_split(len(humans), seed), _split(len(bots), seed + 1)):
        test = np.concatenate([humans[h], bots[b]])
        train = np.setdiff1d(np.arange(len(data.y)), test)
        forest = fit_forest(data.x[train], data.y[train], seed, data.family[train])
        oof[test] = scorer(forest, features)(data.x[test])
    human_scores, bot_scores = oof[humans], oof[bots]
    threshold = pick_threshold(human_scores, target_fpr)
    return {"folds": FOLDS, "auc": auc(human_scores, bot_scores), "threshold": threshold,
            "caught": float((bot_scores > threshold).mean()),
            "false_positive_rate": float((human_scores > threshold).mean()),
            "human_scores": [round(float(s), 6) for s in human_scores],
            "bot_scores": [round(float(s), 6) for s in bot_scores]}


def leave_one_family_out(data: Dataset, target_fpr: float, seed: int,
                         report: Callable[[str], None] | None = None) -> list[dict[str, Any]]:
    """Per bot family: its share caught by models fitted without it, at the target FPR."""
    humans = np.flatnonzero(data.y == 0)
    folds = _split(len(humans), seed)
    features = data.x.shape[1]
    table: list[dict[str, Any]] = []
    for family in data.families:
        held = np.flatnonzero((data.y == 1) & (data.family == family))
        others = np.flatnonzero((data.y == 1) & (data.family != family))
        human_scores = np.empty(len(humans), dtype=np.float64)
        bot_scores: list[Vector] = []
        for test in folds:
            train = np.concatenate([np.delete(humans, test), others])
            scores = scorer(fit_forest(data.x[train], data.y[train], seed, data.family[train]), features)
            human_scores[test] = scores(data.x[humans[test]])
            bot_scores.append(scores(data.x[held]))
        threshold = pick_threshold(human_scores, target_fpr)
        caught = float(np.mean([(s > threshold).mean() for s in bot_scores]))
        row = {"family": family, "bots": len(held), "caught": caught,
               "auc": auc(human_scores, np.mean(bot_scores, axis=0)), "threshold": threshold}
        table.append(row)
        if report is not None:
            report(format_row(row))
    return table


def lofo_summary(table: Sequence[Mapping[str, Any]]) -> dict[str, float | None]:
    """Mean and lowest share caught over the families (None without a table: JSON has no NaN)."""
    caught = [float(row["caught"]) for row in table]
    return {"mean_caught": float(np.mean(caught)) if caught else None,
            "min_caught": min(caught) if caught else None}


def format_row(row: Mapping[str, Any]) -> str:
    return f"{row['family']:<32} {row['bots']:>6} {100 * row['caught']:>8.1f} % {row['auc']:>8.4f}"


def format_table(table: Sequence[Mapping[str, Any]], target_fpr: float) -> str:
    head = f"{'held-out family':<32} {'bots':>6} {'caught':>10} {'AUC':>8}"
    lines = [f"Leave-one-family-out at a {100 * target_fpr:g} % false-positive threshold:", head,
             *map(format_row, table)]
    caught = [float(row["caught"]) for row in table]
    lines.append(f"{'mean over families':<32} {'':>6} {100 * float(np.mean(caught)):>8.1f} %")
    lines.append(f"{'lowest family':<32} {'':>6} {100 * min(caught):>8.1f} %")
    return "\n".join(lines)


def evaluate(data: Dataset, target_fpr: float, seed: int,
             report: Callable[[str], None] | None = None) -> dict[str, Any]:
    """The training summary: data, cross-validation and the leave-one-family-out table."""
    check(data)
    cv = cross_validate(data, target_fpr, seed)
    if report is not None:
        report(f"cross-validated AUC {cv['auc']:.4f}; at threshold {cv['threshold']:.6f}: "
               f"{100 * cv['caught']:.1f} % of bots caught, {100 * cv['false_positive_rate']:.2f} % of humans flagged")
    lofo = leave_one_family_out(data, target_fpr, seed, report) if len(data.families) > 1 else []
    return {"seed": seed, "target_fpr": target_fpr, "params": {**PARAMS, "rounds": ROUNDS, "gate": {"features": list(GATE_FEATURES), "margin": GATE_MARGIN,
                                                               "score": GATE_SCORE}},
            "sessions": {"human": int((data.y == 0).sum()), "bot": int((data.y == 1).sum())},
            "sources": data.sources, "families": data.families,
            "cross_validation": cv, "leave_one_family_out": lofo, **lofo_summary(lofo)}


def train(data: Dataset, target_fpr: float, seed: int, report: Callable[[str], None] | None = None) -> Model:
    """The model fitted on every session, with the threshold from cross-validation."""
    summary = evaluate(data, target_fpr, seed, report)
    forest = fit_forest(data.x, data.y, seed, data.family)
    return Model(feature_set.NAMES, float(summary["cross_validation"]["threshold"]), target_fpr, forest, summary)


def parse_families(pairs: Sequence[str]) -> dict[str, str]:
    """SOURCE=FAMILY pairs (from --family) as a mapping."""
    mapping: dict[str, str] = {}
    for pair in pairs:
        source, sep, family = pair.partition("=")
        if not sep or not source or not family:
            raise BatchError(f"--family takes SOURCE=FAMILY, not {pair!r}")
        mapping[source] = family
    return mapping


def output_ready(path: str) -> None:
    """Refuse an output that cannot be written before spending minutes on the fit."""
    directory = os.path.dirname(os.path.abspath(path))
    if not os.path.isdir(directory) or not os.access(directory, os.W_OK):
        raise BatchError(f"cannot write {path}: its folder does not exist or is not writable")
