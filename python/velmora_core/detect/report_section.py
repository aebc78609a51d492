"""The evaluation report's section on a detector model (`velmora-core report --model`).

The model scores the report's own sessions (its ROC, its score histogram per class and
what its threshold does to them); the model file adds what its fit recorded: the
cross-validated ROC and the leave-one-family-out table. Sessions the model was fitted on
score better than new ones, so the recorded figures are the honest ones.
"""

import html
import math
import os
from collections.abc import Sequence
from dataclasses import dataclass
from functools import partial
from typing import cast

from velmora_core.batch import Summary, run
from velmora_core.detect import Detector, feature_set
from velmora_core.detect.rows import detector, sessions
from velmora_core.detect.training_record import Recorded, recorded
from velmora_core.errors import BatchError
from velmora_core.figures import figure, img, png
from velmora_core.roc import roc_auc, roc_curve
from velmora_core.batch.extraction import ChunkResult, Row
from velmora_core.batch.inputs import Chunk
from velmora_core.batch.writers import MemorySink

BUNDLED = "default"  # `--model default`: the model shipped with the package


@dataclass
class ModelScores:
    humans: list[float]
    bots: list[float]
    summary: Summary


def _labelled_scores(chunk: Chunk, model: str | None, label_key: str | None) -> ChunkResult:
    lines = chunk.lines()
    rejects: list[tuple[int, str]] = []
    det = detector(model)
    rows: list[Row] = []
    for number, session in sessions(lines, chunk.first_line, rejects):
        keys = cast(dict[str, object], session)
        label = keys.get(label_key) if label_key is not None else ("human" if chunk.source == 0 else "bot")
        rows.append((number, label, det.score_row(feature_set.feature_row(session))))
    return ChunkResult(chunk.source, chunk.name, len(lines), chunk.size, len(rows), rows, rejects)


def load_model(model: str) -> tuple[str | None, Detector]:
    path = None if model == BUNDLED else model
    try:
        return path, detector(path)
    except OSError as error:
        raise BatchError(f"cannot read the model {model}: {error.strerror or error}") from None
    except ValueError as error:
        raise BatchError(str(error)) from None


def check_model(model: str) -> None:
    """Refuse an unusable model (unreadable, damaged, an odd training record) before any reading."""
    recorded(load_model(model)[1].training, model)


def score_sessions(inputs: Sequence[str], model: str | None, label_key: str | None, jobs: int | None) -> ModelScores:
    """The model's score of every labelled session of the inputs (bad lines were reported already)."""
    sink = MemorySink()
    with open(os.devnull, "w") as quiet:
        summary = run(inputs, sink, jobs=jobs, errors=quiet,
                      work=partial(_labelled_scores, model=model, label_key=label_key))
    humans = [float(row[2]) for row in sink.rows if row[1] == "human"]
    bots = [float(row[2]) for row in sink.rows if row[1] == "bot"]
    return ModelScores(humans, bots, summary)


def roc_figure(scores: ModelScores, det: Detector, record: Recorded, path: str) -> bytes:
    drawn = figure(5.5, 4.5)
    axes = drawn.subplots()
    curves = [("these sessions", scores.humans, scores.bots)]
    if record.cv_humans and record.cv_bots:
        curves.append(("out-of-fold, at training", record.cv_humans, record.cv_bots))
    for label, humans, bots in curves:
        xs, ys = zip(*roc_curve(humans, bots))
        axes.plot(xs, ys, drawstyle="steps-post", label=f"{label} (AUC {roc_auc(humans, bots):.4f})")
    fpr = sum(s > det.threshold for s in scores.humans) / len(scores.humans)
    tpr = sum(s > det.threshold for s in scores.bots) / len(scores.bots)
    axes.plot([fpr], [tpr], "o", color="black", label=f"threshold {det.threshold:.4f}")
    axes.set_xscale("symlog", linthresh=0.01)
    axes.set_xlim(0, 1)
    axes.set_xlabel("false positive rate (humans flagged; linear below 1 %)")
    axes.set_ylabel("true positive rate (bots flagged)")
    axes.set_title("ROC of the detector's score")
    axes.legend(fontsize=8, loc="lower right")
    return png(drawn, path)


def histogram_figure(scores: ModelScores, det: Detector, path: str) -> bytes:
    drawn = figure(5.5, 3.0)
    axes = drawn.subplots()
    edges = [i / 40 for i in range(41)]
    for label, values, colour in (("human", scores.humans, "#1f77b4"), ("bot", scores.bots, "#d62728")):
        axes.hist(values, bins=edges, weights=[1 / len(values)] * len(values), histtype="step", linewidth=1.5,
                  label=label, color=colour)
    axes.axvline(det.threshold, color="black", linestyle="--", linewidth=1, label="threshold")
    axes.set_yscale("log")
    axes.set_xlabel("score (0 human-like, 1 bot-like)")
    axes.set_ylabel("share of class (log)")
    axes.set_title("The detector's score per class")
    axes.legend(fontsize=8)
    return png(drawn, path)


def _percent(value: object) -> str:
    return f"{100 * float(value):.1f} %" if isinstance(value, (int, float)) and math.isfinite(value) else "–"


def _count(value: int | None) -> str:
    return "?" if value is None else str(value)


def section(inputs: Sequence[str], model: str, label_key: str | None, jobs: int | None, figures: str) -> str:
    """The HTML of the model's section; its figures are written to the figures folder too."""
    path, det = load_model(model)
    record = recorded(det.training, model)
    scores = score_sessions(inputs, path, label_key, jobs)
    if not scores.humans or not scores.bots:
        raise BatchError("the model's section needs sessions of both classes")
    roc = roc_figure(scores, det, record, os.path.join(figures, "model_roc.png"))
    hist = histogram_figure(scores, det, os.path.join(figures, "model_scores.png"))
    flagged = sum(s > det.threshold for s in scores.humans) / len(scores.humans)
    caught = sum(s > det.threshold for s in scores.bots) / len(scores.bots)
    rows = "\n".join(f"<tr><td><code>{html.escape(r.family)}</code></td><td>{r.bots}</td>"
                     f"<td>{_percent(r.caught)}</td><td>{r.auc:.4f}</td></tr>"
                     for r in record.families)
    table = (f"""<table><tr><th>held-out family</th><th>bots</th><th>caught</th><th>AUC</th></tr>
{rows}
<tr><td><b>mean over families</b></td><td></td><td><b>{_percent(record.mean_caught)}</b></td><td></td></tr>
<tr><td><b>lowest family</b></td><td></td><td><b>{_percent(record.min_caught)}</b></td><td></td></tr>
</table>""" if record.families else "<p>The model file records no leave-one-family-out table.</p>")
    name = "the bundled model" if path is None else f"<code>{html.escape(model)}</code>"
    cv_text = f"cross-validated AUC at training {record.cv_auc:.4f}; " if record.cv_auc is not None else ""
    rule = ("bot when the score is above it), chosen for a " + _percent(det.target_fpr) + " false-positive rate"
            if det.model.plain is None else
            "human only at or below it, bot above it when the trees fitted without the attacker's evasive bots "
            "agree), chosen to leave " + _percent(det.training.get("adversarial", {}).get("human_band"))
            + " of the people above it")
    return f"""
<h1>The detector model</h1>
<p>Model: {name}, {len(det.model.names)} features, {len(det.model.forest.roots)} trees; threshold
{det.threshold:.6f} ({rule} on out-of-fold human scores; {cv_text}fitted on {_count(record.humans)} human and
{_count(record.bots)} bot sessions.</p>
<p>On this report's {len(scores.humans)} human and {len(scores.bots)} bot sessions {_percent(flagged)} of
humans and {_percent(caught)} of bots score above the threshold. Sessions the model was fitted on score
better than new ones: the out-of-fold curve and the table below are the estimates for new traffic.</p>
<h2>ROC and score distribution</h2>
{img(roc, "ROC of the detector", "model_roc.png")}
{img(hist, "score histogram per class", "model_scores.png")}
<h2>Bots of a family never seen in training</h2>
<p>For each bot family: models fitted without it (humans split in folds) score its sessions against a
threshold chosen the same way, at the model's target false-positive rate.</p>
{table}
"""
