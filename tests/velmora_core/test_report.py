"""The report: rank-based AUC against counting pairs, and the written report on the samples."""

import csv
import json
import math
import random

import pytest

from velmora_core.cli import main
from velmora_core.records import FEATURE_NAMES
from velmora_core.report import roc_auc, roc_curve, score_features
from helpers import DATA
from velmora_core_rs import extract_features_rs



def pair_count_auc(negatives, positives):
    wins = sum((p > n) + 0.5 * (p == n) for p in positives for n in negatives)
    return wins / (len(positives) * len(negatives))


def test_auc_of_known_cases():
    assert roc_auc([0, 1, 2, 3], [2, 3, 4, 5]) == 14 / 16  # two ties count half each
    assert roc_auc([1, 2], [3, 4]) == 1.0 and roc_auc([3, 4], [1, 2]) == 0.0
    assert roc_auc([7, 7, 7], [7, 7]) == 0.5
    rng = random.Random(5)
    for _ in range(20):
        negatives = [rng.randint(0, 9) for _ in range(rng.randint(1, 30))]
        positives = [rng.randint(3, 12) for _ in range(rng.randint(1, 30))]
        assert roc_auc(negatives, positives) == pytest.approx(pair_count_auc(negatives, positives), abs=1e-12)
        curve = roc_curve(negatives, positives)
        area = sum((x1 - x0) * (y0 + y1) / 2 for (x0, y0), (x1, y1) in zip(curve, curve[1:]))
        assert curve[0] == (0.0, 0.0) and curve[-1] == (1.0, 1.0)
        assert area == pytest.approx(roc_auc(negatives, positives), abs=1e-12)


def test_direction_and_order_of_synthetic_features():
    rng = random.Random(1)
    # Column 0 separates perfectly with bots lower; column 1 is noise shared by both; column 2 a NaN.
    humans = [[10 + rng.random(), rng.random(), float("nan")] for _ in range(50)]
    bots = [[rng.random(), rng.random(), 1.0] for _ in range(40)]
    best, *rest = score_features(humans, bots, ["a", "b", "c"])
    assert (best.name, best.auc, best.direction) == ("a", 1.0, "lower in bots")
    assert best.humans == [row[0] for row in humans]
    noise = next(s for s in rest if s.name == "b")
    raw = pair_count_auc([r[1] for r in humans], [r[1] for r in bots])
    assert noise.auc == pytest.approx(max(raw, 1 - raw), abs=1e-12)
    assert len(next(s for s in rest if s.name == "c").humans) == 0  # non-finite values are left out


@pytest.mark.parametrize("by_key", [False, True])
def test_report_on_the_samples(tmp_path, capsys, by_key):
    human, bot = str(DATA / "human_sample.jsonl"), str(DATA / "bot_sample.jsonl")
    args = [human, bot]
    if by_key:  # one file, classes from each line's "label", plus a line without a usable label
        mixed = tmp_path / "mixed.jsonl"
        lines = [*open(human), *open(bot)]
        mixed.write_text("".join(lines) + json.dumps({"label": "cat"}) + "\n")
        args = [str(mixed), "--label-key", "label"]
    out = tmp_path / "report"
    # A reused directory: figures of an earlier report that this one does not make go away.
    (out / "figures").mkdir(parents=True)
    for stale in ("hist_touch_event_count.png", "model_roc.png"):
        (out / "figures" / stale).write_bytes(b"old")
    assert main(["report", *args, "-o", str(out), "-j", "1", "-q"]) == (1 if by_key else 0)
    err = capsys.readouterr().err
    assert f"report on 6 human and 6 bot sessions: {out / 'index.html'}" in err
    assert not by_key or "mixed.jsonl:13: label is 'cat', neither 'human' nor 'bot'" in err
    with open(out / "auc.csv") as f:
        table = list(csv.DictReader(f))
    assert sorted(r["feature"] for r in table) == sorted(FEATURE_NAMES)
    assert [float(r["auc"]) for r in table] == sorted((float(r["auc"]) for r in table), reverse=True)
    page = (out / "index.html").read_text()
    assert "Based on 6 human and 6 bot sessions" in page
    # Features with one value in both classes get no figure; the others are embedded and linked.
    rows = [extract_features_rs(json.loads(line)) for path in (human, bot) for line in open(path)]
    constant = [n for n in FEATURE_NAMES if len({r[n] for r in rows if math.isfinite(r[n])}) <= 1]
    assert constant and all(f"<code>{n}</code>" in page.split("Left out")[1].split("</p>")[0] for n in constant)
    assert page.count("data:image/png;base64,") == 40 - len(constant)
    assert sorted(p.name for p in (out / "figures").glob("*.png")) == sorted(
        ["roc.png", *(f"hist_{n}.png" for n in FEATURE_NAMES if n not in constant)])
    assert all(f'<a href="figures/hist_{n}.png">' in page for n in FEATURE_NAMES if n not in constant)


def test_report_into_a_file_or_failing_late_exits_2_and_leaves_nothing(tmp_path, capsys):
    (tmp_path / "taken").write_text("")
    args = [str(DATA / "human_sample.jsonl"), str(DATA / "bot_sample.jsonl"), "-o", str(tmp_path / "taken"), "-q"]
    assert main(["report", *args]) == 2
    assert f"cannot write the report to {tmp_path / 'taken'}: Not a directory" in capsys.readouterr().err
    # Refused after the reading (one class only): the report is built aside, so nothing is left.
    args = [str(DATA / "human_sample.jsonl"), "--label-key", "label", "-o", str(tmp_path / "new"), "-q", "-j", "1"]
    assert main(["report", *args]) == 2
    assert "needs sessions of both classes" in capsys.readouterr().err
    assert sorted(p.name for p in tmp_path.iterdir()) == ["taken"]
