"""The detector: training (deterministic, exported trees equal to the fit), the model file's
refusals, the score/verdict API and the `score` command's rows and errors."""

import csv
import dataclasses
import importlib.util
import json
import math
import os
import random
import resource
import subprocess
import sys

import numpy as np
import pytest

from helpers.leak_check import assert_no_leak
from velmora_core import _native, training
from velmora_core.cli import main
from velmora_core.detect import Detector, evidence, familiarity, feature_set, model_file, verdicts
from velmora_core.detect import variants
from velmora_core.detect.variants import bot_variants, human_variants
from velmora_core.people import manifest_people


def _session(rng, label, source):
    t, x, y = rng.uniform(500, 3000), rng.uniform(100, 900), rng.uniform(100, 600)
    moves, keys = [], []
    count = rng.randint(80, 160) if source == "human" else rng.randint(200, 280)  # bots: enough to judge stops
    for i in range(count):
        if source == "human":  # irregular timing and a wandering path that comes to rest
            brake = min(1.0, (count - i) / 20)
            t += rng.choice([8, 16, 17, 33]) + rng.random() * 4
            x += brake * (rng.gauss(0, 5) + 3 * math.sin(i / 7))
            y += brake * rng.gauss(0, 5)
        else:  # straight runs at a fixed interval
            t += 16.0 if source == "line16" else 5.0
            x += 4.0
            y += 1.0
        moves.append({"x": float(round(x)), "y": float(round(y)), "t": round(t, 3)})
    for i in range(rng.randint(0, 30)):
        gap = rng.uniform(80, 400) if source == "human" else 50.0
        keys.append({"key": "a", "t": 1000 + i * gap, "duration_ms": rng.uniform(60, 140) if source == "human" else 10.0})
    return {"label": label, "source": source, "browser": {"webdriver": False, "screen_width": 1920,
            "screen_height": 1080, "touch_supported": False, "max_touch_points": 0, "plugins_length": 5},
            "clicks": [], "scrolls": [], "keystrokes": keys, "mouse_movements": moves}


@pytest.fixture(scope="module")
def data(tmp_path_factory):
    rng = random.Random(7)
    path = tmp_path_factory.mktemp("detect") / "train.jsonl"
    sessions = [_session(rng, "human", "human") for _ in range(20)]
    sessions += [_session(rng, "bot", family) for family in ("line16", "line5") for _ in range(12)]
    rng.shuffle(sessions)
    path.write_text("".join(json.dumps(s) + "\n" for s in sessions))
    return path, sessions


@pytest.fixture(scope="module")
def model_path(data, tmp_path_factory):
    path = tmp_path_factory.mktemp("model") / "model.json"
    assert main(["train", str(data[0]), "-o", str(path), "--seed", "3", "-j", "1", "-q"]) == 0
    return path


def test_training_is_deterministic_and_records_its_evaluation(data, model_path, tmp_path, capsys):
    again, victim = tmp_path / "again.json", tmp_path / "victim"
    victim.write_text("keep me")
    planted = tmp_path / f".again.json.{os.getpid()}.part"  # the temporary file's first name
    planted.symlink_to(victim)
    assert main(["train", str(data[0]), "-o", str(again), "--seed", "3", "-j", "1", "-q"]) == 0
    assert again.read_bytes() == model_path.read_bytes()
    assert victim.read_text() == "keep me" and planted.is_symlink()
    out = capsys.readouterr().out
    assert "Cross-validated AUC" in out and "line16" in out and "mean over families" in out
    summary = Detector.load(model_path).training
    assert [row["family"] for row in summary["leave_one_family_out"]] == ["line16", "line5"]
    # Each session's variants are fitted on, never judged.
    assert summary["sessions"] == {"human": 20, "bot": 24, "human_variants": 60, "bot_variants": 48}
    assert len(summary["cross_validation"]["human_scores"]) == 20
    assert len(summary["cross_validation"]["bot_scores"]) == 24
    assert len(Detector.load(model_path).model.basis.labels) == 152


def test_variants_are_the_session_slower_lossier_and_smaller(data):
    human = {**_human(data), "clicks": [{"x": 100.0, "y": 50.0, "t": 1.0, "button": "left"}]}
    moves = human["mouse_movements"]
    [(_, half), (_, lost), (_, small)] = human_variants(human)
    assert half["mouse_movements"] == moves[::2] and half["keystrokes"] == human["keystrokes"]
    assert lost["mouse_movements"] == [m for i, m in enumerate(moves) if i % 3 != 2]
    k = small["mouse_movements"][0]["x"] / moves[0]["x"]
    assert 0.25 <= k < 0.75 and small["browser"]["screen_width"] == round(human["browser"]["screen_width"] * k)
    assert [m[c] for m in small["mouse_movements"] for c in "xyt"] == pytest.approx(
        [m[c] * (k if c != "t" else 1) for m in moves for c in "xyt"])
    assert small["clicks"] == [{"x": pytest.approx(100 * k), "y": pytest.approx(50 * k), "t": 1.0, "button": "left"}]
    bot = next(s for s in data[1] if s["label"] == "bot")
    assert bot_variants(bot) == [("samples_lost", variants.samples_lost(bot)),
                                 ("small_screen", variants.small_screen(bot))]
    for short in ({"mouse_movements": "x"}, {**human, "mouse_movements": [{}] * 39}):
        assert human_variants(short) == [] == bot_variants(short)


def test_a_manifest_keeps_each_person_in_one_fold(data, tmp_path):
    path = tmp_path / "people.jsonl"
    path.write_text(data[0].read_text())
    humans = [n for n, s in enumerate(data[1], 1) if s["label"] == "human"]
    rows = [{"line": n, "origin": f"set:user{k % 6}/recording.csv#moves[{k}:{k + 1}]"} for k, n in enumerate(humans)]
    rows.append({"line": 999, "origin": "set:nobody/x"})  # a line the file does not have
    with (tmp_path / "people_manifest.csv").open("w", newline="") as handle:
        writer = csv.DictWriter(handle, ["line", "origin"])
        writer.writeheader()
        writer.writerows(rows)
    assert manifest_people(tmp_path / "people.jsonl.gz") == manifest_people(path) != {}  # a compressed copy's
    unnamed = training.load([str(data[0])], {}, jobs=1)
    named = training.load([str(path)], {}, jobs=1)
    people = [p for p, y in zip(named.person.tolist(), named.y.tolist()) if y == 0]
    assert sorted(set(people)) == [f"set:user{k}" for k in range(6)]
    assert len(set(training.people(unnamed).tolist())) == 44  # variants share their session's person
    sessions = np.flatnonzero((named.y == 0) & training.sessions_of(named))
    for fold in training.human_folds(named, sessions, 1):
        inside = set(named.person[sessions[fold]].tolist())
        outside = set(np.delete(named.person[sessions], fold).tolist())
        assert inside and not inside & outside
    # Every row its own person, or too few people to fill the folds: the plain shuffled folds.
    for groups in ([str(i) for i in range(23)], ["a", "b", "c"] * 8):
        plain = training.folds(len(groups), 5)
        assert all(np.array_equal(a, b) for a, b in zip(training.folds_by(groups, 5), plain, strict=True))


def test_exported_trees_score_like_the_fit(data):
    rows = [feature_set.feature_row(s) for s in data[1]]
    x = np.array(rows, dtype=np.float64)
    y = np.array([s["label"] == "bot" for s in data[1]], dtype=np.int64)
    holes = x.copy()
    holes[::3, :8] = np.nan
    # Missing values seen in the fit follow the side it chose; unseen ones are read as 0.
    for fitted_on in (holes, x):
        fitted = training.fit(fitted_on, y, 0)
        ours = training.scorer(training.export(fitted), x.shape[1])(holes)
        np.testing.assert_allclose(ours, fitted.predict(holes), rtol=0, atol=1e-12)


def _human(data):
    return next(s for s in data[1] if s["label"] == "human")


def _with(session, **changes):
    return {**json.loads(json.dumps(session)), **changes}


def test_outcomes_need_evidence_for_bot_and_say_what_is_missing(model_path, data):
    det = Detector.load(model_path)
    human = _human(data)
    moves = human["mouse_movements"]
    assert det.verdict(human).outcome == "human"
    # Each consistency check alone makes a bot of a session the trees call human.
    far = [{"x": m["x"] + 60, "y": m["y"], "t": m["t"] + 0.5, "button": "left"} for m in moves[10:40:10]]
    teleport = [{"x": 100.0 + 50 * i, "y": 200.0, "t": 1000.0 + 300 * i, "button": "left"} for i in range(5)]
    swapped = moves[:5] + [moves[6], moves[5], moves[8], moves[7]] + moves[9:]
    # Straight moves at one speed to the end, a pause between them.
    timer = [{"x": 100.0 + 12 * k + 200 * (j % 2), "y": 100.0 + 7 * k + 150 * j, "t": 1000.0 * j + 16.0 * k}
             for j in range(8) for k in range(30)]
    hops = [{"x": 100.0 + 120 * i, "y": 200.0, "t": 1000.0 + 400 * i, "button": "left"} for i in range(5)]
    cases = {"click_off_path": _with(human, clicks=far),
             "pointer_jump": _with(human, mouse_movements=[{**c, "t": c["t"] - 5} for c in hops], clicks=hops),
             "end_speed_ratio": _with(human, mouse_movements=timer, clicks=[]),
             "click_jump": _with(human, mouse_movements=[], clicks=teleport),
             "time_disorder": _with(human, mouse_movements=swapped),
             "place_x_max": _with(human, browser={**human["browser"], "screen_width": 300}),
             "webdriver": _with(human, browser={**human["browser"], "webdriver": True})}
    for feature, session in cases.items():
        verdict = det.verdict(session)
        assert (verdict.outcome, verdict.reasons[0].feature) == ("bot", feature), verdict.reasons
        assert verdict.is_bot and verdict.reasons[0].contribution == 0.0
    # No screen to hold the pointer to: none reported (the record's default 1024 px), or a
    # touch screen's upright width while the phone is on its side.
    far_x = max(m["x"] for m in moves)
    right = _with(human, mouse_movements=[{**m, "x": m["x"] + 1500 - far_x} for m in moves])  # past x = 1024
    upright = {**human["browser"], "screen_width": far_x / 2, "touch_supported": True}
    for session in ({k: v for k, v in right.items() if k != "browser"}, _with(human, browser=upright)):
        assert det.verdict(session).outcome == "human"
    # A finger may lift off in flight, and a tap has no path leading to it: samples with a
    # contact radius are a touch screen's.
    fingers = _with(cases["end_speed_ratio"], browser=None, mouse_movements=[{**m, "r": 20.0} for m in timer])
    for session in (fingers, _with(cases["click_off_path"], browser=upright)):
        assert not evidence.findings(evidence.Row(feature_set.NAMES, feature_set.feature_row(session)))
    # Unusable or thin data: unsure, with the problem named.
    for session, text in [({}, "no mouse_movements"), (_with(human, mouse_movements="x"), "is a str, not a list"),
                          (_with(human, mouse_movements=[{**m, "x": math.nan} for m in moves]), "unusable"),
                          (_with(human, mouse_movements=moves[:12]), "12 pointer samples: too few")]:
        verdict = det.verdict(session)
        assert verdict.outcome == "unsure" and text in str(verdict.reasons[0]), verdict.reasons
    # Unlike the people of the fit: unsure, never bot on that alone.
    fast = _with(human, mouse_movements=[{**m, "t": m["t"] / 200} for m in moves])
    verdict = det.verdict(fast)
    assert verdict.outcome == "unsure" and str(verdict.reasons[0]).startswith("unlike the people")
    unfamiliar = familiarity.Excess(50.0, "dt_cv", 9.0, 1.0)
    assert verdicts.decide(0.99, 0.5, [], None, unfamiliar, 1.0) == ("unsure", "unfamiliar")
    assert verdicts.decide(0.99, 0.5, [], None, familiarity.Excess(0.5, "", 0, 0), 1.0) == ("bot", "model")
    # Movements each on their own clock (strokes of several recordings): above the people's
    # ceiling, which keeps a session the trees call human from "human" and never makes a bot.
    assert dict(det.model.familiar.ceiling) == {"dt_stroke_divergence": 0.0}  # one movement each
    row = list(feature_set.feature_row(human))
    row[feature_set.NAMES.index("dt_stroke_divergence")] = 0.3  # the trees never read it
    verdict = det.verdict_row(tuple(row))
    assert (verdict.outcome, verdict.reasons[0].feature) == ("unsure", "dt_stroke_divergence"), verdict.reasons
    above = familiarity.Excess(0.2, "dt_stroke_divergence", 0.4, 0.2)
    assert verdicts.decide(0.99, 0.5, [], None, None, 1.0, above) == ("bot", "model")


def test_a_hardened_model_calls_bot_only_when_its_plain_trees_agree(model_path, data, tmp_path):
    det = Detector.load(model_path)
    strict = Detector(dataclasses.replace(det.model, threshold=0.0))  # every score is above it
    plain = dataclasses.replace(strict.model, plain=model_file.Plain(det.model.forest, 1.0))
    model_file.write(plain, tmp_path / "hardened.json")
    doubting = Detector.load(tmp_path / "hardened.json")
    assert doubting.model == plain
    human = _human(data)
    assert strict.verdict(human).outcome == "bot"
    verdict = doubting.verdict(human)
    assert (verdict.outcome, verdict.reasons[0].feature) == ("unsure", "score")
    assert "adaptive attacker" in str(verdict.reasons[0]) and verdict.reasons[1:] == strict.verdict(human).reasons
    agreeing = Detector(dataclasses.replace(det.model, plain=model_file.Plain(det.model.forest, 0.0)))
    assert [agreeing.verdict(s) for s in data[1]] == [det.verdict(s) for s in data[1]]
    # The out-of-fold judges of training and the red-team reports decide as the detector does.
    rows = np.array([feature_set.feature_row(s) for s in data[1]])
    judge = training.Judge(det.model.forest, det.model.familiar, rows.shape[1])
    for detector in (doubting, agreeing):
        plain = detector.model.plain
        confirmed = (training.scorer(plain.forest, rows.shape[1])(rows) > plain.threshold).tolist()
        assert judge.outcomes(rows, detector.threshold, confirmed) == \
            [detector.verdict_row(tuple(r)).outcome for r in rows.tolist()]
    # A calibration refits both sets when the file names the bot families its plain trees
    # were fitted without; without a refit it keeps one set.
    rng = random.Random(5)
    site = [_session(rng, "human", "human") for _ in range(30)]
    assert doubting.calibrated(site, refit=False).model.plain is None
    named = dataclasses.replace(doubting.model, plain=model_file.Plain(det.model.forest, 1.0, ("line5",)))
    model_file.write(named, tmp_path / "named.json")
    assert Detector.load(tmp_path / "named.json").model == named
    again = Detector(named).calibrated(site).model
    assert again.plain is not None and again.plain.without == ("line5",)
    assert again.plain.forest not in (again.forest, det.model.forest) and again.plain.threshold < 1.0


def test_a_reservoir_keeps_each_sampled_row_with_its_own_variants():
    from velmora_core.detect import calibration
    sample = calibration.Reservoir(size=4)
    for i in range(50):  # most rows are replaced at random
        sample.add([float(i), 1.0], [[i + 0.25, 2.0], [i + 0.5, 3.0]] if i % 3 else [])
    assert sample.seen == 50 and len(sample.rows) == 4
    for row, theirs in zip(sample.rows, sample.variants()):
        assert theirs == ([[row[0] + 0.25, 2.0], [row[0] + 0.5, 3.0]] if row[0] % 3 else [])


def test_a_sites_people_weigh_at_least_their_share():
    y = np.array([0] * 10 + [1] * 10)
    family = np.array(["a"] * 8 + [training.SITE] * 2 + ["x"] * 5 + ["y"] * 5)
    w = training.weights(y, family, 0.25)
    assert w[8:10].sum() == pytest.approx(0.25 * w[:10].sum()) and w[:10].sum() == pytest.approx(w[10:].sum())
    # Two of ten people are more than a tenth already: their natural weight stands.
    np.testing.assert_array_equal(training.weights(y, family, 0.1), training.weights(y, family))


@pytest.mark.parametrize("fpr", [0.0, 0.01, 0.1, 0.5])
def test_threshold_flags_at_most_the_target_share(fpr):
    scores = np.random.default_rng(1).random(301).round(2)  # many ties
    threshold = training.pick_threshold(scores, fpr)
    assert (scores > threshold).mean() <= fpr
    assert (scores >= threshold).mean() > fpr or threshold == scores.min()


def test_score_and_verdict(model_path, data):
    det = Detector.load(model_path)
    assert isinstance(det.threshold, float) and det.target_fpr == 0.01
    for session in data[1]:
        verdict = det.verdict(session)
        assert verdict.score == det.score(session) and 0.0 <= verdict.score <= 1.0
        assert verdict.outcome in verdicts.OUTCOMES and verdict.is_bot == (verdict.outcome == "bot")
        assert (verdict.outcome == "human") == (session["label"] == "human")  # a separable toy set
        assert verdict.reasons and all(str(r) == r.text for r in verdict.reasons)
    with pytest.raises(TypeError, match="must be a dict"):
        det.score([1, 2])  # type: ignore[arg-type]


def test_json_text_scores_as_the_parsed_dict(model_path, data):
    det = Detector.load(model_path)
    for session in data[1][:8]:
        text = json.dumps(session)
        for body in (text.encode(), text, text.replace("{", '{"nan": NaN, ', 1)):  # native and json.loads roads
            assert det.score_json(body) == det.score(session)
            assert det.verdict_json(body) == det.verdict(session)
    with pytest.raises(TypeError, match="must be a dict"):
        det.score_json(b"[1, 2]")
    with pytest.raises(json.JSONDecodeError):
        det.score_json(b'{"mouse_movements": [')


def test_default_model_loads_and_scores(data):
    det = Detector.default()
    assert det.model.names == feature_set.NAMES and 0.0 < det.threshold < 1.0
    assert 0.0 <= det.score(data[1][0]) <= 1.0
    # The limits leave a model from `make model` room to grow.
    forest = det.model.forest
    assert 4 * len(forest.roots) <= model_file.MAX_TREES and 4 * len(forest.feature) <= model_file.MAX_NODES


def _rewritten(model_path, tmp_path, change):
    document = json.loads(model_path.read_text())
    change(document)
    path = tmp_path / "changed.json"
    path.write_text(json.dumps(document))
    return path


def _resealed(document, change):
    change(document)
    del document["sha256"]
    document["sha256"] = model_file._digest(document)


def _unsealed(document, change):
    change(document)
    del document["sha256"]  # a digest cannot be computed over NaN or infinity


@pytest.mark.parametrize("content, message", [
    (b"\x89PNG\r\n", "not JSON"), (b'{"format": "velmora-detec', "not JSON"),
    (b'{"format": "something-else", "version": 1}', "not a detector model"), (b"[]", "not a detector model"),
])
def test_foreign_and_truncated_files_are_refused(tmp_path, content, message):
    path = tmp_path / "model.json"
    path.write_bytes(content)
    with pytest.raises(ValueError, match=message):
        Detector.load(path)


@pytest.mark.parametrize("change, message", [
    (lambda d: d.update(threshold=0.5), "sha256 does not match"),
    (lambda d: d["forest"]["value"].__setitem__(0, 9.0), "sha256 does not match"),
    (lambda d: _resealed(d, lambda d: d.update(version=2)), "version 2 is not supported"),
    (lambda d: _resealed(d, lambda d: d["feature_set"].update(version=99)), "feature set .* version 99"),
    (lambda d: _resealed(d, lambda d: d["feature_set"]["names"].append("extra")), r"\(\d+ features\); this build"),
    (lambda d: _resealed(d, lambda d: d["forest"]["left"].__setitem__(0, 0)), "malformed forest"),
    (lambda d: _resealed(d, lambda d: d["forest"]["feature"].__setitem__(0, 500)), "out of range"),
    (lambda d: _resealed(d, lambda d: d["forest"].update(threshold="x")), "forest.threshold"),
    (lambda d: _resealed(d, lambda d: d.update(target_fpr=None)), "target_fpr"),
    (lambda d: _resealed(d, lambda d: d.update(threshold=10**400)), "threshold is not a finite number"),
    (lambda d: _resealed(d, lambda d: d["forest"].update(baseline=-10**400)), "baseline is not a finite number"),
    (lambda d: _resealed(d, lambda d: d["forest"]["value"].__setitem__(0, 10**400)), "forest.value holds an item"),
    (lambda d: _unsealed(d, lambda d: d["training"].update(note=math.nan)), "NaN, which is not finite"),
    (lambda d: _unsealed(d, lambda d: d["forest"]["value"].__setitem__(1, -math.inf)), "-Infinity, which is not"),
    (lambda d: d.pop("sha256"), "no sha256"),
    (lambda d: _resealed(d, lambda d: d.update(version=1.0)), "version 1.0 is not supported"),
    (lambda d: _resealed(d, lambda d: d.update(version=True)), "version True is not supported"),
    (lambda d: _resealed(d, lambda d: d["feature_set"].update(version=float(d["feature_set"]["version"]))),
     "train a model for this build"),
    (lambda d: _resealed(d, lambda d: d["forest"]["roots"].extend([0] * model_file.MAX_TREES)), "at most 1024"),
    (lambda d: _resealed(d, lambda d: d["basis"].update(rows=d["basis"]["rows"][:-8])), "basis.rows is not"),
    (lambda d: _resealed(d, lambda d: d["basis"]["labels"].__setitem__(0, 2)), "basis.labels"),
    (lambda d: _resealed(d, lambda d: d["basis"]["people"].pop()), "basis.people"),
    (lambda d: _resealed(d, lambda d: d["familiar"].update(ceiling={"no_such": 1.0})), "familiar.ceiling"),
    (lambda d: _resealed(d, lambda d: d.update(plain={"threshold": 0.5, "forest": {**d["forest"], "value": "x"}})),
     "plain.forest.value is not a list"),
    (lambda d: _resealed(d, lambda d: d.update(plain={"threshold": 0.5, "forest": d["forest"], "without": "x"})),
     "plain.without is not a list"),
])
def test_damaged_and_other_feature_set_models_are_refused(model_path, tmp_path, change, message):
    with pytest.raises(ValueError, match=message):
        Detector.load(_rewritten(model_path, tmp_path, change))


def test_files_beyond_the_size_limit_are_refused_unread(tmp_path):
    big = tmp_path / "big.json"
    big.write_bytes(b" " * model_file.MAX_FILE_BYTES + b"{}")
    for path in (big, "/dev/zero"):  # /dev/zero never ends: refused after the limit, not read on
        with pytest.raises(ValueError, match="too large for a model file"):
            Detector.load(path)


def test_native_forest_checks_its_arguments(model_path):
    det = Detector.load(model_path)
    with pytest.raises(ValueError, match="row has 3 values"):
        _native.forest_score(det._forest, (1.0, 2.0, 3.0))
    with pytest.raises(TypeError, match="capsule made by forest_build"):
        _native.forest_score(object(), ())  # type: ignore[arg-type]
    with pytest.raises(ValueError, match="whole numbers"):
        _native.forest_build(0.0, 1, [0.5], [1], [2], [0], [0.0], [0.0], [0])


def test_native_forest_leaks_nothing(model_path, data):
    model = Detector.load(model_path).model
    forest = model.forest
    columns = (forest.feature, forest.left, forest.right, forest.missing_left, forest.threshold, forest.value,
               forest.roots)
    row = feature_set.feature_row(data[1][0])

    def call():
        built = _native.forest_build(forest.baseline, len(model.names), *columns)
        _native.forest_score(built, row)
        _native.forest_explain(built, row)
        try:
            _native.forest_score(built, row[:3])
        except ValueError:
            pass
    assert_no_leak(call, repeats=300)


@pytest.mark.parametrize("suffix", [".csv", ".jsonl"])
def test_score_command_writes_a_row_per_line_in_order(model_path, data, tmp_path, capsys, suffix):
    inputs = tmp_path / "in.jsonl"
    lines = [json.dumps(s) for s in data[1][:6]]
    lines[2] = "{not json"
    inputs.write_text("\n".join(lines) + "\n")
    out = tmp_path / f"scores{suffix}"
    assert main(["score", str(inputs), "--model", str(model_path), "-o", str(out), "-j", "2"]) == 1
    assert f"{inputs}:3: not JSON" in capsys.readouterr().err
    if suffix == ".csv":
        rows = list(csv.DictReader(out.open()))
    else:
        rows = [json.loads(line) for line in out.read_text().splitlines()]
    det = Detector.load(model_path)
    assert [int(r["line"]) for r in rows] == [1, 2, 4, 5, 6]
    for row in rows:
        session = data[1][int(row["line"]) - 1]
        assert row["file"] == str(inputs) and float(row["score"]) == det.score(session)
        assert row["verdict"] == det.verdict(session).outcome


@pytest.mark.parametrize("args, message", [
    (["score", "IN", "--model", "missing.json", "-o", "out.csv"], "cannot read the model missing.json"),
    (["score", "IN", "--model", "IN", "-o", "out.csv"], "damaged or foreign file"),
    (["score", "IN", "-o", "out.parquet"], "CSV or JSONL"),
    (["score", "nowhere.jsonl", "-o", "out.csv"], "cannot read nowhere.jsonl"),
    (["score", "IN", "--model", "/dev/zero", "-o", "out.csv"], "too large for a model file"),
    (["score", "IN", "-o", ".", "--format", "csv"], "cannot write .: it is a directory"),
    (["score", "IN", "-o", "-"], "use --format (csv, jsonl) or one of .csv, .jsonl, .ndjson"),
    (["train", "IN", "-o", "model.json"], "too few labelled sessions"),
    (["train", "IN", "-o", "no/such/dir/model.json"], "cannot write"),
    (["train", "IN", "-o", "."], "cannot write .: it is a directory"),
    (["train", "IN", "-o", "m.json", "--family", "oops"], "SOURCE=FAMILY"),
])
def test_command_errors_are_clear_and_exit_2(tmp_path, monkeypatch, capsys, data, args, message):
    monkeypatch.chdir(tmp_path)
    (tmp_path / "IN").write_text("".join(json.dumps(s) + "\n" for s in data[1][:4]))
    assert main(args) == 2
    err = capsys.readouterr().err
    assert message in err.splitlines()[-1] and "Traceback" not in err
    assert sorted(p.name for p in tmp_path.iterdir()) == ["IN"]


def test_score_write_errors_exit_2_and_leave_nothing(tmp_path, data):
    (tmp_path / "IN").write_text("".join(json.dumps(s) + "\n" for s in data[1][:4]))
    out = tmp_path / "scores.csv"
    limit = lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (10, resource.RLIM_INFINITY))  # noqa: E731
    done = subprocess.run([sys.executable, "-m", "velmora_core", "score", "IN", "-o", str(out), "-j", "1", "-q"],
                          cwd=tmp_path, preexec_fn=limit, stderr=subprocess.PIPE)
    assert (done.returncode, done.stderr) == (2, f"velmora-core: cannot write {out}: File too large\n".encode())
    assert sorted(p.name for p in tmp_path.iterdir()) == ["IN"]


def test_training_without_its_extra_stops_before_reading(monkeypatch, capsys):
    find_spec = importlib.util.find_spec
    monkeypatch.setattr(importlib.util, "find_spec", lambda name, *rest: None if name == "lightgbm"
                        else find_spec(name, *rest))
    assert main(["train", "nowhere.jsonl", "-o", "m.json"]) == 2  # the missing input is never reached
    err = capsys.readouterr().err
    assert err.startswith("velmora-core: training a model needs the lightgbm package") and err.count("\n") == 1
    assert '"$WHEEL[train]"' in err and "pip install 'velmora_core_rs" not in err


def test_commands_word_their_summaries_and_rejects_alike(tmp_path, capsys):
    one = tmp_path / "one.jsonl"
    one.write_text("{not json\n")
    reasons = []
    for command in (["features", str(one), "-o", str(tmp_path / "f.csv")],
                    ["score", str(one), "-o", str(tmp_path / "s.csv")]):
        assert main([*command, "-j", "1"]) == 1
        err = capsys.readouterr().err
        assert "read 1 line," in err
        reasons.append(err.splitlines()[0])
    assert reasons[0] == reasons[1] == f"{one}:1: not JSON: Expecting property name enclosed in double quotes: " \
                                       "line 1 column 2 (char 1)"


def test_a_terminal_sees_the_table_once(data, monkeypatch, capsys):
    for stream in (sys.stdout, sys.stderr):
        monkeypatch.setattr(stream, "isatty", lambda: True)
    assert main(["evaluate", str(data[0]), "--seed", "3", "-j", "1"]) == 0
    out, err = capsys.readouterr()
    assert out.count("line16 ") == 1 and err.count("\n") == 1  # progress overwrote itself; the summary line stays


def test_unlabelled_lines_are_rejected_and_bad_options_refused(data, tmp_path, capsys):
    path = tmp_path / "in.jsonl"
    path.write_text(json.dumps({**data[1][0], "label": "robot"}) + "\n" + json.dumps({"label": "bot"}) + "\n")
    assert main(["evaluate", str(path), "-j", "1"]) == 2
    err = capsys.readouterr().err
    assert ':1: "label" must be "human" or "bot"' in err and ':2: "source"' in err
    for option in (["--target-fpr", "2"], ["--seed", "-1"], ["--seed", str(2**31)]):
        with pytest.raises(SystemExit) as stop:
            main(["train", str(path), "-o", "m.json", *option])
        assert stop.value.code == 2


def test_one_bot_family_trains_without_a_table(data, tmp_path, capsys):
    path, model = tmp_path / "one.jsonl", tmp_path / "one.json"
    path.write_text("".join(json.dumps(s) + "\n" for s in data[1] if s["source"] != "line5"))
    assert main(["train", str(path), "-o", str(model), "-j", "1", "-q"]) == 0
    assert "needs at least two bot families" in capsys.readouterr().out
    assert Detector.load(model).training["mean_caught"] is None


def test_report_gains_a_model_section(model_path, data, tmp_path, capsys):
    humans, bots = tmp_path / "humans.jsonl", tmp_path / "bots.jsonl"
    humans.write_text("".join(json.dumps(s) + "\n" for s in data[1] if s["label"] == "human"))
    bots.write_text("".join(json.dumps(s) + "\n" for s in data[1] if s["label"] == "bot"))
    out = tmp_path / "report"
    # The training record is free text: a family name is shown, never run as markup.
    model = _rewritten(model_path, tmp_path, lambda d: _resealed(
        d, lambda d: d["training"]["leave_one_family_out"][0].update(family="<script>x</script>")))
    assert main(["report", str(humans), str(bots), "-o", str(out), "--model", str(model), "-j", "1", "-q"]) == 0
    page = (out / "index.html").read_text()
    assert "The detector model" in page and "<code>&lt;script&gt;x&lt;/script&gt;</code>" in page
    assert "<script" not in page and "mean over families" in page
    assert (out / "figures" / "model_roc.png").stat().st_size > 0 and (out / "figures" / "model_scores.png").exists()
    odd_models = [(str(humans), "not JSON"),
                  (_resealed_copy(model_path, tmp_path, "cross_validation", {"auc": "high"}),
                   "cross_validation.auc is not a number"),
                  (_resealed_copy(model_path, tmp_path, "leave_one_family_out", [1, 2]),
                   "leave_one_family_out[0] is not an object")]
    before = sorted(tmp_path.rglob("*"))
    for odd, message in odd_models:
        assert main(["report", str(humans), str(bots), "-o", str(tmp_path / "new"), "--model", odd, "-q"]) == 2
        assert message in capsys.readouterr().err
    assert sorted(tmp_path.rglob("*")) == before  # nothing written, nothing left half-done


def _resealed_copy(model_path, tmp_path, key, value):
    path = _rewritten(model_path, tmp_path, lambda d: _resealed(d, lambda d: d["training"].update({key: value})))
    return str(path.rename(tmp_path / f"odd_{key}.json"))



def test_calibration_round_trip_and_bad_input(model_path, data, tmp_path, capsys):
    rng = random.Random(11)
    site = [_session(rng, "human", "human") for _ in range(40)]
    sessions = tmp_path / "site.jsonl"
    sessions.write_text("".join(json.dumps(s) + "\n" for s in site))
    out = tmp_path / "calibrated.json"
    assert main(["calibrate", str(sessions), "--model", str(model_path), "-o", str(out), "-j", "1", "-q"]) == 0
    calibrated = Detector.load(out)
    base = Detector.load(model_path)
    assert calibrated.model.calibration["sessions"] == 40 and calibrated.model.calibration["refit"]
    # Each site session is fitted on with its variants, as our people are.
    assert calibrated.model.calibration["variants"] == 3 * calibrated.model.calibration["used"] > 0
    assert calibrated.model.forest != base.model.forest and calibrated.model.basis == base.model.basis
    in_process = base.calibrated(site)
    assert (in_process.threshold, in_process.model.familiar, in_process.model.forest) == \
        (calibrated.threshold, calibrated.model.familiar, calibrated.model.forest)
    assert in_process.model.calibration["rows_sha256"] == calibrated.model.calibration["rows_sha256"]
    for detector in (calibrated, base.calibrated(site, refit=False)):
        outcomes = {label: [detector.verdict(s).outcome for s in data[1] if s["label"] == label]
                    for label in ("human", "bot")}
        assert outcomes["human"].count("bot") == 0 and outcomes["bot"].count("bot") == len(outcomes["bot"])
    kept = base.calibrated(site, refit=False)
    assert kept.model.forest == base.model.forest and kept.threshold >= base.threshold
    # A ceiling is the higher of the base model's and the site's.
    high = _rewritten(model_path, tmp_path, lambda d: _resealed(
        d, lambda d: d["familiar"].update(ceiling={"dt_stroke_divergence": 0.5})))
    assert Detector.load(high).calibrated(site, refit=False).model.familiar.ceiling == (("dt_stroke_divergence", 0.5),)
    # A model without the rows it was fitted on cannot be refitted: --refit stops, the default says so.
    bare = _rewritten(model_path, tmp_path, lambda d: _resealed(d, lambda d: d.pop("basis")))
    capsys.readouterr()
    assert main(["calibrate", str(sessions), "--model", str(bare), "-o", str(out), "-j", "1", "--refit"]) == 2
    assert "does not carry the rows it was fitted on" in capsys.readouterr().err
    assert main(["calibrate", str(sessions), "--model", str(bare), "-o", str(out), "-j", "1", "-q"]) == 0
    assert "the trees are kept, not fitted again" in capsys.readouterr().err
    assert Detector.load(out).model.calibration["refit"] is False
    with pytest.warns(RuntimeWarning, match="without a refit"):
        Detector.load(bare).calibrated(site)
    few = tmp_path / "few.jsonl"
    few.write_text("".join(json.dumps(s) + "\n" for s in site[:5]))
    assert main(["calibrate", str(few), "--model", str(model_path), "-o", str(out), "-j", "1"]) == 2
    assert "5 usable sessions: at least 20" in capsys.readouterr().err
    with pytest.raises(TypeError, match="telemetry dicts"):
        base.calibrated([[1, 2]])  # type: ignore[list-item]
