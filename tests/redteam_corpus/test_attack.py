"""Our adaptive attacker and adversarial training: deterministic on a tiny budget, and a
hardened model file that records its rounds."""

from __future__ import annotations

import json
from pathlib import Path

import numpy as np
import pytest

from helpers import ROOT
from redteam.__main__ import main
from redteam.attack.generator import session
from redteam.attack.optimise import Target, run_attack
from redteam.attack.params import DIMENSION, KNOBS, decode
from redteam.attack.pool import Pool, load_pool
from velmora_core.cli import main as cli_main
from velmora_core.detect import Detector
from velmora_core.detect.attack_record import format_record

pytest.importorskip("cma")

SHARED = ROOT.parent / "shared" / "data" / "human_sessions.jsonl"
HUMANS = SHARED if SHARED.is_file() else ROOT / "examples" / "data" / "human_sample.jsonl"


@pytest.fixture(scope="module")
def human_file(tmp_path_factory: pytest.TempPathFactory) -> Path:
    """24 human sessions without a manifest: each its own person, some held out (the
    repository's small sample repeated when the shared data are not beside it)."""
    lines = [line for line in HUMANS.read_text(encoding="utf-8").splitlines() if line.strip()]
    lines = (lines * -(-24 // len(lines)))[:24]
    path = tmp_path_factory.mktemp("attack") / "humans.jsonl"
    path.write_text("\n".join(lines) + "\n", encoding="utf-8")
    return path


@pytest.fixture(scope="module")
def pool(human_file: Path) -> Pool:
    return load_pool([human_file])


def test_knobs_decode_within_their_ranges() -> None:
    assert DIMENSION >= 25
    for corner in (np.zeros(DIMENSION), np.ones(DIMENSION), np.full(DIMENSION, 2.0)):
        values = decode(corner)
        for knob in KNOBS:
            assert min(knob.low, knob.high) - 1e-9 <= values[knob.name] <= max(knob.low, knob.high) + 1e-9
    with pytest.raises(ValueError, match="coordinates"):
        decode([0.5] * (DIMENSION - 1))


def test_generated_sessions_follow_the_script_and_the_settings(pool: Pool) -> None:
    script, plan = pool.train[0]
    rng = np.random.default_rng(4)
    for point in (rng.random(DIMENSION), np.zeros(DIMENSION), np.ones(DIMENSION)):
        bot = session(script, plan, decode(point), np.random.default_rng(1))
        moves = bot["mouse_movements"]
        t = [m["t"] for m in moves]
        assert moves and t == sorted(t)
        assert all(0 <= m["x"] <= script.width - 1 and 0 <= m["y"] <= script.height - 1 for m in moves)
        assert bot["keystrokes"] == script.keystrokes and len(bot["clicks"]) == len(script.clicks)
        # Each click keeps its time and button, and comes where the pointer is, as a browser reports it.
        places = {(m["x"], m["y"]) for m in moves}
        for click, scripted in zip(bot["clicks"], script.clicks):
            assert {**click, "x": 0, "y": 0} == {**scripted, "x": 0, "y": 0}
            assert (click["x"], click["y"]) in places or click == scripted
    # The event interval knob sets the event rate.
    slow, fast = np.full(DIMENSION, 0.5), np.full(DIMENSION, 0.5)
    names = [k.name for k in KNOBS]
    for point, value in ((slow, 1.0), (fast, 0.0)):
        point[names.index("event_ms")] = value
        point[names.index("report_still")] = 1.0
        point[names.index("drop_share")] = 0.0
    count = [len(session(script, plan, decode(p), np.random.default_rng(1))["mouse_movements"]) for p in (slow, fast)]
    assert count[1] > 5 * count[0]


def test_attack_is_deterministic_for_a_seed(pool: Pool) -> None:
    detector = Detector.default()
    target = Target(detector)

    def attack(seed: int) -> list[tuple[int, float, list[float]]]:
        result = run_attack(target, pool, 12, seed, per_query=1, checkpoints=(6, 12))
        assert result.queries == 12
        return [(c.queries, c.pass_rate, c.point) for c in result.checkpoints]

    first = attack(5)
    assert [q for q, _, _ in first] == [6, 12]
    assert attack(5) == first
    assert attack(6) != first


def test_hardened_model_records_its_rounds(human_file: Path, tmp_path: Path, capsys: pytest.CaptureFixture[str]) -> None:
    bots = tmp_path / "bots"
    assert main(["build", "--out", str(bots), "--per-family", "8", "--seed", "2", "--humans", str(human_file),
                 "--families", "min_jerk,noisy_spline"]) == 0
    model = tmp_path / "model.json"
    assert main(["harden", str(bots / "min_jerk.jsonl"), str(bots / "noisy_spline.jsonl"), "--humans", str(human_file),
                 "-o", str(model), "--rounds", "1", "--stop-below", "0", "--budget", "6", "--per-query", "1",
                 "--evasive", "8", "--work", str(tmp_path / "work")]) == 0
    record = Detector.load(model).training["adversarial"]
    assert [r["round"] for r in record["rounds"]] == [0, 1]
    assert record["rounds"][1]["evasive_families"] == 1
    assert all(0.0 <= r["held_out_fpr"] <= 1.0 and set(r["attack"]["pass_rate"]) == {"6"} for r in record["rounds"])
    assert set(record["final_attack"]["pass_rate"]) == {"6"}
    # "human" only below the band; "bot" also needs the trees fitted without the evasive bots.
    hardened = Detector.load(model).model
    assert hardened.plain is not None and hardened.plain.threshold == record["plain"]["threshold"]
    assert hardened.threshold == hardened.training["cross_validation"]["band_threshold"]
    assert hardened.plain.forest != hardened.forest and hardened.plain.without == ("adaptive_attack_1",)
    # The evasive bots were trained on as a family of their own, and are kept for inspection.
    assert "adaptive_attack_1" in Detector.load(model).training["families"]
    assert len((tmp_path / "work" / "adaptive_attack_1.jsonl").read_text().splitlines()) == 8
    table = format_record(Detector.load(model).training)
    assert table is not None and "final" in table and "fitted without the evasive bots" in table
    capsys.readouterr()
    # `velmora-core evaluate --model` prints the recorded rounds beside its own tables.
    assert cli_main(["evaluate", str(human_file), str(bots / "min_jerk.jsonl"), str(bots / "noisy_spline.jsonl"),
                     "--model", str(model), "-j", "1", "-q"]) == 0
    assert capsys.readouterr().out.rstrip().endswith(table)
    assert format_record({}) is None
    json.loads(model.read_text())  # still one JSON document, re-signed (Detector.load checked the digest)
