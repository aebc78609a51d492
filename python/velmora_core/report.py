"""How well each feature separates bot sessions from human ones: ROC AUC, histograms, ROC curves.

The AUC is the Mann-Whitney statistic: the probability that a random bot session has a
higher value than a random human one, ties counting half. A feature whose bots run
lower is turned around (AUC 1 - A, direction "lower in bots"), so every reported AUC is
at least 0.5 and says how well the feature separates in its own direction. The figures
need the ``velmora_core_rs[report]`` extra (matplotlib); the statistics do not.
"""

import csv
import datetime
import errno
import html
import math
import os
import secrets
import shutil
import sys
from collections.abc import Iterator, Sequence
from concurrent.futures import Executor
from contextlib import contextmanager
from dataclasses import dataclass

from velmora_core import __version__
from velmora_core.batch import Summary, run
from velmora_core.detect import report_section
from velmora_core.errors import BatchError
from velmora_core.feature_info import FEATURE_INFO
from velmora_core.figures import figure as _figure, img as _img, png as _png
from velmora_core.batch.inputs import MAX_LINE_BYTES, display_name
from velmora_core.records import FEATURE_NAMES
from velmora_core.roc import auc_standard_error, roc_auc, roc_curve
from velmora_core.batch.writers import MemorySink

__all__ = ["FeatureScore", "ReportResult", "auc_standard_error", "roc_auc", "roc_curve", "score_features",
           "write_report"]

HUMAN_COLOUR, BOT_COLOUR = "#1f77b4", "#d62728"


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

    @property
    def constant(self) -> bool:
        """One value (or none) in both classes: nothing to see in a figure."""
        return len(set(self.humans) | set(self.bots)) <= 1


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

def histogram(score: FeatureScore, path: str) -> bytes:
    """Both classes' distributions of one feature, as shares of their class."""
    info = FEATURE_INFO[score.name]
    figure = _figure(4.8, 2.8)
    axes = figure.subplots()
    distinct = sorted(set(score.humans) | set(score.bots))
    classes = [("human", score.humans, HUMAN_COLOUR), ("bot", score.bots, BOT_COLOUR)]
    if len(distinct) <= 12:
        # Few distinct values (flags, small counts): side-by-side bars per value.
        for offset, (label, values, colour) in zip((-0.2, 0.2), classes):
            shares = [values.count(v) / max(len(values), 1) for v in distinct]
            axes.bar([i + offset for i in range(len(distinct))], shares, width=0.4, label=label, color=colour)
        crowded = len(distinct) > 6  # slanted, or the labels run into each other
        axes.set_xticks(range(len(distinct)), [f"{v:.4g}" for v in distinct],
                        rotation=35 if crowded else 0, ha="right" if crowded else "center")
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
    axes.set_xlabel(f"{info.title} [{info.unit}]", fontsize=10)
    axes.set_ylabel("share of class", fontsize=10)
    axes.tick_params(labelsize=9)
    axes.set_title(f"{score.name}: AUC {score.auc:.3f}, {score.direction}", fontsize=11)
    axes.legend(fontsize=9)
    return _png(figure, path)


def roc_figure(scores: Sequence[FeatureScore], path: str) -> bytes:
    figure = _figure(6.4, 5.4)
    axes = figure.subplots()
    for score in scores:
        xs, ys = zip(*roc_curve(score.oriented(score.humans), score.oriented(score.bots)))
        sign = "\N{MINUS SIGN}" if score.direction == "lower in bots" else ""
        axes.plot(xs, ys, drawstyle="steps-post", label=f"{sign}{score.name} (AUC {score.auc:.3f})")
    axes.plot([0, 1], [0, 1], color="grey", linestyle=":", linewidth=1)
    axes.set_xlabel("false positive rate (humans flagged)", fontsize=11)
    axes.set_ylabel("true positive rate (bots flagged)", fontsize=11)
    axes.tick_params(labelsize=10)
    axes.set_title("ROC curves of the best-separating features", fontsize=12)
    negated = any(s.direction == "lower in bots" for s in scores)
    axes.legend(fontsize=9, title_fontsize=9, loc="lower right",
                title="\N{MINUS SIGN} before a name: lower in bots (ranked by \N{MINUS SIGN}value)" if negated else None)
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
                 top: int = 6, progress: bool = False, max_line_bytes: int = MAX_LINE_BYTES,
                 model: str | None = None) -> ReportResult:
    """Extract the inputs' features and write DIR/index.html, DIR/auc.csv and DIR/figures/*.png.

    Classes come from the file order (HUMAN then BOT) or, with label_key, from each line's
    value under that key ("human" or "bot"). index.html embeds its figures, so it can be
    copied or mailed on its own. Features constant in both classes are listed by name only.
    """
    if label_key is None and len(inputs) != 2:
        raise BatchError("report takes HUMAN.jsonl BOT.jsonl, or any inputs with --label-key")
    _figure(1, 1)  # fail now, not after the extraction, when matplotlib is missing
    if model is not None:
        report_section.check_model(model)  # a bad model too
    with _writing(directory):  # an unusable directory too
        stage = _stage_beside(directory)
    # Everything is written into the stage and moved into place only once complete, so a
    # failure leaves the directory as it was (nothing half-written).
    try:
        result = _write_stage(inputs, stage, label_key=label_key, jobs=jobs, strict=strict, executor=executor,
                              top=top, progress=progress, max_line_bytes=max_line_bytes, model=model)
        if result.summary.stopped_at is None:
            with _writing(directory):
                _publish(stage, directory)
            result.index = os.path.join(directory, "index.html")
        return result
    finally:
        shutil.rmtree(stage, ignore_errors=True)


def _write_stage(inputs: Sequence[str], stage: str, *, label_key: str | None, jobs: int | None, strict: bool,
                 executor: Executor | None, top: int, progress: bool, max_line_bytes: int,
                 model: str | None) -> ReportResult:
    figures = os.path.join(stage, "figures")
    sink = MemorySink()
    keep = [label_key] if label_key is not None else []
    summary = run(inputs, sink, jobs=jobs, keep=keep, strict=strict, executor=executor, progress=progress,
                  max_line_bytes=max_line_bytes)
    if summary.stopped_at is not None:
        return ReportResult(summary, 0, 0, 0, "", [])
    humans, bots, unlabelled = _label_rows(sink, inputs, label_key)
    if not humans or not bots:
        raise BatchError(f"the report needs sessions of both classes; found {len(humans)} human "
                         f"and {len(bots)} bot sessions")
    scores = score_features(humans, bots)
    with _writing(stage):
        os.mkdir(figures)
        images = {s.name: histogram(s, os.path.join(figures, f"hist_{s.name}.png")) for s in scores
                  if not s.constant}
        best = [s for s in scores if s.direction != "no difference"][:top]
        roc = roc_figure(best, os.path.join(figures, "roc.png")) if best else b""
        with open(os.path.join(stage, "auc.csv"), "w", newline="") as f:
            writer = csv.writer(f)
            writer.writerow(["feature", "auc", "standard_error", "direction", "human_median", "bot_median"])
            for s in scores:
                writer.writerow([s.name, s.auc, s.standard_error, s.direction, _median(s.humans), _median(s.bots)])
        extra = "" if model is None else report_section.section(inputs, model, label_key, jobs, figures)
        with open(os.path.join(stage, "index.html"), "w", encoding="utf-8") as f:
            f.write(_html(scores, images, roc, len(best), inputs, label_key, len(humans), len(bots), summary,
                          unlabelled, extra))
    return ReportResult(summary, len(humans), len(bots), unlabelled, "", scores)


def _stage_beside(directory: str) -> str:
    """A new, empty directory beside directory (hidden, unique) to build the report in."""
    if os.path.exists(directory) and not os.path.isdir(directory):
        raise NotADirectoryError(errno.ENOTDIR, os.strerror(errno.ENOTDIR), directory)
    parent, name = os.path.split(os.path.abspath(directory))
    while True:
        stage = os.path.join(parent, f".{name}.{os.getpid()}.{secrets.token_hex(4)}.part")
        try:
            os.mkdir(stage)
            return stage
        except FileExistsError:
            continue


def _publish(stage: str, directory: str) -> None:
    """Move the finished report into directory: the whole stage when directory is new or
    empty, else file by file (figures first, index.html last), removing the figures of an
    earlier report that this one did not make."""
    if not os.path.exists(directory) or (os.path.isdir(directory) and not os.listdir(directory)):
        os.replace(stage, directory)
        return
    figures = os.path.join(directory, "figures")
    os.makedirs(figures, exist_ok=True)
    written = set(os.listdir(os.path.join(stage, "figures")))
    for name in sorted(written):
        os.replace(os.path.join(stage, "figures", name), os.path.join(figures, name))
    for name in ("auc.csv", "index.html"):
        os.replace(os.path.join(stage, name), os.path.join(directory, name))
    _remove_stale(figures, written)


def _remove_stale(figures: str, written: set[str]) -> None:
    """Remove the figures an earlier report left in a reused directory that this one did not
    write (a feature constant this time, no model section): they would pass for its own."""
    ours = {f"hist_{name}.png" for name in FEATURE_NAMES} | {"roc.png", "model_roc.png", "model_scores.png"}
    for name in ours - written:
        try:
            os.unlink(os.path.join(figures, name))
        except FileNotFoundError:
            pass


@contextmanager
def _writing(directory: str) -> Iterator[None]:
    """The report's file errors (a file in the way, no permission, a full disk) as one clear line."""
    try:
        yield
    except OSError as error:
        where = f" ({display_name(error.filename)})" if isinstance(error.filename, str) else ""
        raise BatchError(f"cannot write the report to {display_name(directory)}: "
                         f"{error.strerror or error}{where}") from None


def _html(scores: Sequence[FeatureScore], images: dict[str, bytes], roc: bytes, drawn: int, inputs: Sequence[str],
          label_key: str | None, humans: int, bots: int, summary: Summary, unlabelled: int, extra: str = "") -> str:
    when = datetime.datetime.now(datetime.UTC).strftime("%Y-%m-%d %H:%M UTC")
    names = [html.escape(display_name(p)) for p in inputs]
    source = (f"labels from the key <code>{html.escape(display_name(label_key))}</code> of "
              f"{', '.join(f'<code>{p}</code>' for p in names)}" if label_key is not None else
              f"humans from <code>{names[0]}</code>, bots from <code>{names[1]}</code>")
    shown = [s for s in scores if not s.constant]
    constant = ", ".join(f"<code>{s.name}</code>" for s in scores if s.constant)
    left_out = (f"<p>Left out, being constant in both classes: {constant} (they are in "
                f"<code>auc.csv</code>).</p>" if constant else "")
    rows = []
    for rank, s in enumerate(shown, 1):
        info = FEATURE_INFO[s.name]
        rows.append(
            f"<tr><td>{rank}</td><td><code>{s.name}</code><br><small>{html.escape(info.title)} "
            f"[{html.escape(info.unit)}]</small></td><td>{s.auc:.3f}</td><td>±{s.standard_error:.3f}</td>"
            f"<td>{s.direction}</td><td>{_median(s.humans):.4g}</td><td>{_median(s.bots):.4g}</td>"
            f"<td>{_img(images[s.name], s.name, f'hist_{s.name}.png')}</td></tr>")
    small = " With this few sessions the AUCs are rough: read the ± column." if min(humans, bots) < 30 else ""
    return f"""<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Velmora feature report</title>
<style>
body {{ font-family: sans-serif; margin: 2em; max-width: 80em; }}
table {{ border-collapse: collapse; }} td, th {{ border-bottom: 1px solid #ddd; padding: 4px 8px; text-align: left; }}
td img {{ width: 480px; }} img.roc {{ width: 640px; }} small {{ color: #555; }}
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
leading minus marks a feature that is lower in bots (its curve ranks sessions by the negated value).
Click a figure for its full-size file.</p>
<h2>ROC curves of the {drawn} best features</h2>
{_img(roc, "ROC curves", "roc.png", "roc") if roc else "<p>No feature differs between the classes.</p>"}
<h2>Features, best-separating first</h2>
{left_out}
<table><tr><th>#</th><th>feature</th><th>AUC</th><th>±</th><th>direction</th><th>human median</th>
<th>bot median</th><th>histogram</th></tr>
{chr(10).join(rows)}
</table>{extra}</body></html>
"""
