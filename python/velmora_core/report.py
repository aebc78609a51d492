"""How well each feature separates bot sessions from human ones: ROC AUC, histograms, ROC curves.

The AUC is the Mann-Whitney statistic: the probability that a random bot session has a
higher value than a random human one, ties counting half. A feature whose bots run
lower is turned around (AUC 1 - A, direction "lower in bots"), so every reported AUC is
at least 0.5 and says how well the feature separates in its own direction. The figures
need the ``velmora_core_rs[report]`` extra (matplotlib); the statistics do not.
"""

import base64
import csv
import datetime
import html
import io
import math
import os
import sys
from collections.abc import Sequence
from concurrent.futures import Executor
from dataclasses import dataclass
from typing import TYPE_CHECKING

from velmora_core import __version__
from velmora_core.batch import Summary, run
from velmora_core.errors import BatchError, missing_extra
from velmora_core.feature_info import FEATURE_INFO
from velmora_core.records import FEATURE_NAMES
from velmora_core.writers import MemorySink

if TYPE_CHECKING:
    from matplotlib.figure import Figure

HUMAN_COLOUR, BOT_COLOUR = "#1f77b4", "#d62728"


def _ranks(values: Sequence[float]) -> list[float]:
    """1-based ranks of values, tied values sharing the mean of their ranks."""
    order = sorted(range(len(values)), key=values.__getitem__)
    ranks = [0.0] * len(values)
    start = 0
    while start < len(order):
        end = start
        while end + 1 < len(order) and values[order[end + 1]] == values[order[start]]:
            end += 1
        shared = (start + end) / 2 + 1
        for i in order[start:end + 1]:
            ranks[i] = shared
        start = end + 1
    return ranks


def roc_auc(negatives: Sequence[float], positives: Sequence[float]) -> float:
    """P(positive > negative) + P(tie) / 2 over all pairs; NaN when a class is empty."""
    if not negatives or not positives:
        return math.nan
    ranks = _ranks([*negatives, *positives])
    rank_sum = math.fsum(ranks[len(negatives):])
    u = rank_sum - len(positives) * (len(positives) + 1) / 2
    return u / (len(negatives) * len(positives))


def auc_standard_error(auc: float, negatives: int, positives: int) -> float:
    """Hanley and McNeil's approximation of the AUC's standard error."""
    if negatives == 0 or positives == 0 or math.isnan(auc):
        return math.nan
    q1, q2 = auc / (2 - auc), 2 * auc * auc / (1 + auc)
    variance = (auc * (1 - auc) + (positives - 1) * (q1 - auc * auc)
                + (negatives - 1) * (q2 - auc * auc)) / (negatives * positives)
    return math.sqrt(max(variance, 0.0))


def roc_curve(negatives: Sequence[float], positives: Sequence[float]) -> list[tuple[float, float]]:
    """(false positive rate, true positive rate) for every threshold, from (0, 0) to (1, 1)."""
    scored = sorted([(v, 0) for v in negatives] + [(v, 1) for v in positives], reverse=True)
    points = [(0.0, 0.0)]
    fp = tp = 0
    for i, (value, label) in enumerate(scored):
        tp += label
        fp += 1 - label
        if i + 1 == len(scored) or scored[i + 1][0] != value:
            points.append((fp / max(len(negatives), 1), tp / max(len(positives), 1)))
    return points


@dataclass(frozen=True)
class FeatureScore:
    name: str
    auc: float  # in the separating direction, >= 0.5 (NaN without data)
    standard_error: float
    direction: str  # "higher in bots", "lower in bots" or "no difference"
    humans: list[float]  # finite values only
    bots: list[float]

    def oriented(self, values: Sequence[float]) -> list[float]:
        return [-v for v in values] if self.direction == "lower in bots" else list(values)


def _median(values: Sequence[float]) -> float:
    ordered = sorted(values)
    if not ordered:
        return math.nan
    middle = len(ordered) // 2
    return ordered[middle] if len(ordered) % 2 else (ordered[middle - 1] + ordered[middle]) / 2


def score_features(humans: Sequence[Sequence[float]], bots: Sequence[Sequence[float]],
                   names: Sequence[str] = FEATURE_NAMES) -> list[FeatureScore]:
    """The score of each feature column, best separating first. Rows hold the features in names order."""
    scores = []
    for column, name in enumerate(names):
        h = [float(row[column]) for row in humans if math.isfinite(row[column])]
        b = [float(row[column]) for row in bots if math.isfinite(row[column])]
        raw = roc_auc(h, b)
        direction = "no difference" if raw == 0.5 or math.isnan(raw) else (
            "higher in bots" if raw > 0.5 else "lower in bots")
        auc = max(raw, 1 - raw)
        scores.append(FeatureScore(name, auc, auc_standard_error(auc, len(h), len(b)), direction, h, b))
    return sorted(scores, key=lambda s: (-s.auc if not math.isnan(s.auc) else 1.0, s.name))


# ---------------------------------------------------------------- figures

def _figure(width: float, height: float) -> "Figure":
    try:
        from matplotlib.figure import Figure
    except ImportError:
        raise missing_extra("report", "matplotlib", "the report's figures") from None
    return Figure(figsize=(width, height), layout="constrained")


def _png(figure: "Figure", path: str) -> bytes:
    buffer = io.BytesIO()
    figure.savefig(buffer, format="png", dpi=80)
    data = buffer.getvalue()
    with open(path, "wb") as f:
        f.write(data)
    return data


def histogram(score: FeatureScore, path: str) -> bytes:
    """Both classes' distributions of one feature, as shares of their class."""
    info = FEATURE_INFO[score.name]
    figure = _figure(4.6, 2.6)
    axes = figure.subplots()
    distinct = sorted(set(score.humans) | set(score.bots))
    classes = [("human", score.humans, HUMAN_COLOUR), ("bot", score.bots, BOT_COLOUR)]
    if len(distinct) <= 12:
        # Few distinct values (flags, small counts): side-by-side bars per value.
        for offset, (label, values, colour) in zip((-0.2, 0.2), classes):
            shares = [values.count(v) / max(len(values), 1) for v in distinct]
            axes.bar([i + offset for i in range(len(distinct))], shares, width=0.4, label=label, color=colour)
        axes.set_xticks(range(len(distinct)), [f"{v:g}" for v in distinct], fontsize=7)
    else:
        # Bins over the middle 98 % of all values; the tails land in the outer bins.
        ordered = sorted(score.humans + score.bots)
        low, high = ordered[len(ordered) // 100], ordered[-1 - len(ordered) // 100]
        if high <= low:
            low, high = ordered[0], ordered[-1]
        middle = ordered[len(ordered) // 2]
        if low >= 0 and middle > 0 and high / middle > 30:
            # Heavy right tail (variances, peak speeds): logarithmic bins, zeros in the first.
            low = min(v for v in ordered if v > 0) if low == 0 else low
            edges = [low * (high / low) ** (i / 30) for i in range(31)]
            axes.set_xscale("log")
        else:
            edges = [low + (high - low) * i / 30 for i in range(31)]
        for label, values, colour in classes:
            clipped = [min(max(v, low), high) for v in values]
            weights = [1 / len(values)] * len(values)
            axes.hist(clipped, bins=edges, weights=weights, histtype="step", linewidth=1.5,
                      label=label, color=colour)
    axes.set_xlabel(f"{info.title} [{info.unit}]", fontsize=7)
    axes.set_ylabel("share of class", fontsize=7)
    axes.tick_params(labelsize=7)
    axes.set_title(f"{score.name}: AUC {score.auc:.3f}, {score.direction}", fontsize=8)
    axes.legend(fontsize=7)
    return _png(figure, path)


def roc_figure(scores: Sequence[FeatureScore], path: str) -> bytes:
    figure = _figure(5.5, 4.5)
    axes = figure.subplots()
    for score in scores:
        xs, ys = zip(*roc_curve(score.oriented(score.humans), score.oriented(score.bots)))
        sign = "-" if score.direction == "lower in bots" else ""
        axes.plot(xs, ys, drawstyle="steps-post", label=f"{sign}{score.name} (AUC {score.auc:.3f})")
    axes.plot([0, 1], [0, 1], color="grey", linestyle=":", linewidth=1)
    axes.set_xlabel("false positive rate (humans flagged)")
    axes.set_ylabel("true positive rate (bots flagged)")
    axes.set_title("ROC curves of the best-separating features")
    axes.legend(fontsize=8, loc="lower right")
    return _png(figure, path)


# ---------------------------------------------------------------- the report

@dataclass
class ReportResult:
    summary: Summary
    humans: int
    bots: int
    unlabelled: int
    index: str  # path of index.html ("" when the run stopped)
    scores: list[FeatureScore]


def _label_rows(sink: MemorySink, inputs: Sequence[str],
                label_key: str | None) -> tuple[list[list[float]], list[list[float]], int]:
    humans: list[list[float]] = []
    bots: list[list[float]] = []
    unlabelled = 0
    skip = 1 if label_key is None else 2  # the line number, then the label column
    for source, row in zip(sink.sources, sink.rows):
        features = [float(v) for v in row[skip:]]
        if label_key is None:
            (humans if source == 0 else bots).append(features)
        elif row[1] == "human":
            humans.append(features)
        elif row[1] == "bot":
            bots.append(features)
        else:
            unlabelled += 1
            message = f"{inputs[source]}:{row[0]}: {label_key} is {row[1]!r}, neither 'human' nor 'bot'\n"
            sys.stderr.write(message)
    return humans, bots, unlabelled


def write_report(inputs: Sequence[str], directory: str, *, label_key: str | None = None,
                 jobs: int | None = None, strict: bool = False, executor: Executor | None = None,
                 top: int = 6, progress: bool = False, model: str | None = None) -> ReportResult:
    """Extract the inputs' features and write DIR/index.html, DIR/auc.csv and DIR/figures/*.png.

    Classes come from the file order (HUMAN then BOT) or, with label_key, from each line's
    value under that key ("human" or "bot"). index.html embeds its figures, so it can be
    copied or mailed on its own.
    """
    if label_key is None and len(inputs) != 2:
        raise BatchError("report takes HUMAN.jsonl BOT.jsonl, or any inputs with --label-key")
    _figure(1, 1)  # fail now, not after the extraction, when matplotlib is missing
    sink = MemorySink()
    keep = [label_key] if label_key is not None else []
    summary = run(inputs, sink, jobs=jobs, keep=keep, strict=strict, executor=executor, progress=progress)
    if summary.stopped_at is not None:
        return ReportResult(summary, 0, 0, 0, "", [])
    humans, bots, unlabelled = _label_rows(sink, inputs, label_key)
    if not humans or not bots:
        raise BatchError(f"the report needs sessions of both classes; found {len(humans)} human "
                         f"and {len(bots)} bot sessions")
    scores = score_features(humans, bots)

    figures = os.path.join(directory, "figures")
    os.makedirs(figures, exist_ok=True)
    images = {s.name: histogram(s, os.path.join(figures, f"hist_{s.name}.png")) for s in scores}
    best = [s for s in scores if s.direction != "no difference"][:top]
    roc = roc_figure(best, os.path.join(figures, "roc.png")) if best else b""
    with open(os.path.join(directory, "auc.csv"), "w", newline="") as f:
        writer = csv.writer(f)
        writer.writerow(["feature", "auc", "standard_error", "direction", "human_median", "bot_median"])
        for s in scores:
            writer.writerow([s.name, s.auc, s.standard_error, s.direction, _median(s.humans), _median(s.bots)])
    extra = ""
    if model is not None:
        from velmora_core.detect.report_section import section
        extra = section(inputs, model, label_key, jobs, figures, _png, _img)
    index = os.path.join(directory, "index.html")
    with open(index, "w", encoding="utf-8") as f:
        f.write(_html(scores, images, roc, len(best), inputs, label_key, len(humans), len(bots), summary,
                      unlabelled, extra))
    return ReportResult(summary, len(humans), len(bots), unlabelled, index, scores)


def _img(data: bytes, alt: str) -> str:
    return f'<img alt="{html.escape(alt)}" src="data:image/png;base64,{base64.b64encode(data).decode()}">'


def _html(scores: Sequence[FeatureScore], images: dict[str, bytes], roc: bytes, drawn: int, inputs: Sequence[str],
          label_key: str | None, humans: int, bots: int, summary: Summary, unlabelled: int, extra: str = "") -> str:
    when = datetime.datetime.now(datetime.UTC).strftime("%Y-%m-%d %H:%M UTC")
    source = (f"labels from the key <code>{html.escape(label_key)}</code> of "
              f"{', '.join(f'<code>{html.escape(p)}</code>' for p in inputs)}" if label_key is not None else
              f"humans from <code>{html.escape(inputs[0])}</code>, bots from <code>{html.escape(inputs[1])}</code>")
    rows = []
    for rank, s in enumerate(scores, 1):
        info = FEATURE_INFO[s.name]
        rows.append(
            f"<tr><td>{rank}</td><td><code>{s.name}</code><br><small>{html.escape(info.title)} "
            f"[{html.escape(info.unit)}]</small></td><td>{s.auc:.3f}</td><td>±{s.standard_error:.3f}</td>"
            f"<td>{s.direction}</td><td>{_median(s.humans):.4g}</td><td>{_median(s.bots):.4g}</td>"
            f"<td>{_img(images[s.name], s.name)}</td></tr>")
    small = " With this few sessions the AUCs are rough: read the ± column." if min(humans, bots) < 30 else ""
    return f"""<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Velmora feature report</title>
<style>
body {{ font-family: sans-serif; margin: 2em; max-width: 80em; }}
table {{ border-collapse: collapse; }} td, th {{ border-bottom: 1px solid #ddd; padding: 4px 8px; text-align: left; }}
td img {{ width: 300px; }} small {{ color: #555; }}
</style></head><body>
<h1>How well each feature separates bots from humans</h1>
<p><b>Based on {humans} human and {bots} bot sessions</b> ({source});
{summary.read} lines read, {summary.rejected} rejected, {unlabelled} without a usable label.
velmora-core {__version__}, {when}.</p>
<p>AUC: the probability that a random bot session has a higher value of the feature than a random
human one (ties count half), taken in the direction that separates, so 0.5 means no separation and
1.0 a perfect split by one threshold. ± is the approximate standard error (Hanley and McNeil).{small}
Histograms show each class as shares of its own sessions; features with many distinct values are
binned over the middle 98 % of values, on a log scale when heavily skewed. In the ROC figure a
leading minus marks a feature that is lower in bots (its curve ranks sessions by the negated value).</p>
<h2>ROC curves of the {drawn} best features</h2>
{_img(roc, "ROC curves") if roc else "<p>No feature differs between the classes.</p>"}
<h2>All features, best-separating first</h2>
<table><tr><th>#</th><th>feature</th><th>AUC</th><th>±</th><th>direction</th><th>human median</th>
<th>bot median</th><th>histogram</th></tr>
{chr(10).join(rows)}
</table>{extra}</body></html>
"""
