"""The red-team corpus: deterministic, obeys its human script, readable by the extractor."""

from __future__ import annotations

import bisect
import math
from pathlib import Path
from typing import Any

import pytest

import velmora_core_rs
from redteam.__main__ import main
from redteam.corpus import build, context_from, generate, scripts_from
from redteam.families import FAMILIES
from redteam.realism import session_stats
from redteam.script import load_humans

HUMANS = Path(__file__).resolve().parents[1] / ".." / "shared" / "data" / "human_sessions.jsonl"
pytestmark = pytest.mark.skipif(not HUMANS.is_file(), reason="human data folder absent")

Session = dict[str, Any]


@pytest.fixture(scope="module")
def human_file(tmp_path_factory: pytest.TempPathFactory) -> Path:
    """A small slice of the human data that has clicks, keys and a Balabit (scrolling) session."""
    lines = HUMANS.read_text(encoding="utf-8").splitlines()
    picked = lines[:8] + [line for line in lines if '"balabit"' in line and '"direction"' in line][:2]
    path = tmp_path_factory.mktemp("humans") / "humans.jsonl"
    path.write_text("\n".join(picked) + "\n", encoding="utf-8")
    return path


@pytest.fixture(scope="module")
def generated(human_file: Path) -> dict[str, list[tuple[Session, Session]]]:
    """Per family: (bot session, the human session whose script drove it)."""
    humans = load_humans([human_file])
    scripts = scripts_from(humans)
    ctx = context_from(scripts)
    by_index = {s.index: humans[s.index] for s in scripts}
    out: dict[str, list[tuple[Session, Session]]] = {}
    for name, family in FAMILIES.items():
        sessions = generate(family, scripts, ctx, 10, seed=7)
        # Sessions take scripts in a per-family order; match each by its copied clicks.
        pairs: list[tuple[Session, Session]] = []
        for bot in sessions:
            owners = [h for h in by_index.values()
                      if h["clicks"] == bot["clicks"] and h["browser"] == bot["browser"]
                      and h["scrolls"] == bot["scrolls"]]
            assert owners, f"{name}: a session copies no human script"
            pairs.append((bot, owners[0]))
        out[name] = pairs
    return out


def test_build_is_deterministic_and_per_family(human_file: Path, tmp_path: Path) -> None:
    build(tmp_path / "a", 3, 11, [human_file])
    build(tmp_path / "b", 3, 11, [human_file])
    build(tmp_path / "c", 3, 12, [human_file], families=["min_jerk"])
    for name in FAMILIES:
        a = (tmp_path / "a" / f"{name}.jsonl").read_bytes()
        assert a == (tmp_path / "b" / f"{name}.jsonl").read_bytes()
        assert len(a.splitlines()) == 3
    assert (tmp_path / "a" / "min_jerk.jsonl").read_bytes() != (tmp_path / "c" / "min_jerk.jsonl").read_bytes()


def test_script_is_obeyed(generated: dict[str, list[tuple[Session, Session]]]) -> None:
    for name, pairs in generated.items():
        for bot, human in pairs:
            assert bot["label"] == "bot" and bot["source"] == name
            if name == "scripted_typing":
                assert [k["key"] for k in bot["keystrokes"]] == [k["key"] for k in human["keystrokes"]]
                if len(human["keystrokes"]) > 2:
                    assert bot["keystrokes"] != human["keystrokes"]
            else:
                assert bot["keystrokes"] == human["keystrokes"]
            moves = bot["mouse_movements"]
            times = [m["t"] for m in moves]
            assert times == sorted(times)
            assert moves, name
            human_times = [m["t"] for m in human["mouse_movements"]]
            # Movement happens only within the human's span (a little lead allowed).
            assert times[0] >= human_times[0] - 1000.0 and times[-1] <= human_times[-1] + 1.0
            for click in bot["clicks"]:
                before = bisect.bisect_left(times, click["t"])
                if before:
                    last = moves[before - 1]
                    assert (last["x"], last["y"]) == (click["x"], click["y"]), (name, click)


def test_output_values_and_extractor(generated: dict[str, list[tuple[Session, Session]]]) -> None:
    for name, pairs in generated.items():
        for bot, _ in pairs:
            width, height = bot["browser"]["screen_width"], bot["browser"]["screen_height"]
            for m in bot["mouse_movements"]:
                assert all(type(m[k]) is float and math.isfinite(m[k]) for k in ("x", "y", "t"))
                assert 0.0 <= m["x"] <= width and 0.0 <= m["y"] <= height
            for k in bot["keystrokes"]:
                assert type(k["t"]) is float and type(k["duration_ms"]) is float and k["duration_ms"] > 0
            features = velmora_core_rs.extract_features_rs(bot)
            assert features["mouse_points"] == len(bot["mouse_movements"])
            assert features["click_count"] == len(bot["clicks"])
            assert features["key_count"] == min(len(bot["keystrokes"]), 150)


def test_paths_are_sane_and_not_trivial(generated: dict[str, list[tuple[Session, Session]]]) -> None:
    for name, pairs in generated.items():
        straight: list[float] = []
        jumps = steps_seen = 0
        for bot, _ in pairs:
            moves = bot["mouse_movements"]
            gaps = [b["t"] - a["t"] for a, b in zip(moves, moves[1:])]
            steps = [math.hypot(b["x"] - a["x"], b["y"] - a["y"]) for a, b in zip(moves, moves[1:])]
            # Teleports (faster than a flick of the wrist) are rare, as in human data.
            jumps += sum(1 for s, g in zip(steps, gaps) if s > 40.0 + 25.0 * g)
            steps_seen += len(steps)
            short = [g for g in gaps if g < 200.0]
            assert len(set(short)) > 3, f"{name}: fixed event intervals"
            stats = session_stats(bot)
            if stats["straight"] is not None:
                straight.append(stats["straight"])
        assert jumps <= 0.01 * steps_seen, (name, jumps, steps_seen)
        straight.sort()
        median = straight[len(straight) // 2]
        assert 0.55 < median < 0.995, (name, median)


def test_cli_list_and_missing_data(tmp_path: Path, capsys: pytest.CaptureFixture[str]) -> None:
    assert main(["list"]) == 0
    listed = capsys.readouterr().out.splitlines()
    assert [line.split()[0] for line in listed] == list(FAMILIES)
    assert main(["build", "--out", str(tmp_path), "--humans", str(tmp_path / "none.jsonl")]) == 1
    err = capsys.readouterr().err
    assert "none.jsonl" in err and "not found" in err
