"""The red-team corpus: deterministic, obeys its human script, readable by the extractor."""

from __future__ import annotations

import bisect
import csv
import json
import math
from pathlib import Path
from typing import Any

import pytest

import velmora_core_rs
from helpers import ROOT
from redteam.__main__ import main
from redteam.corpus import build, context_from, generate, scripts_from
from redteam.families import FAMILIES
from redteam.realism import session_stats
from redteam.script import load_humans

# The shared human recordings when they are beside the repository, else the sample shipped
# with the examples (the same format, fewer sessions).
SHARED_HUMANS = ROOT.parent / "shared" / "data" / "human_sessions.jsonl"
HUMANS = SHARED_HUMANS if SHARED_HUMANS.is_file() else ROOT / "examples" / "data" / "human_sample.jsonl"

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
    # The manifest names, for every line, the human line whose script drove it.
    humans = human_file.read_text(encoding="utf-8").splitlines()
    with (tmp_path / "a" / "manifest.csv").open(encoding="utf-8") as handle:
        rows = list(csv.DictReader(handle))
    assert len(rows) == 3 * len(FAMILIES)
    for row in rows:
        bot = json.loads((tmp_path / "a" / f"{row['family']}.jsonl").read_text().splitlines()[int(row["line"]) - 1])
        human = json.loads(humans[int(row["human_line"]) - 1])
        assert row["human_file"] == str(human_file) and bot["clicks"] == human["clicks"]
        assert 0.3 <= float(row["difficulty"]) <= 1.0 and row["sampler"]


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


# Hand-made scripts and parts: the rules of script building, sampling and key re-timing.

def _session(samples: list[tuple[float, float, float]], clicks: list[tuple[float, float, float]],
             keys: list[tuple[str, float]] = []) -> Session:  # noqa: B006 - never mutated
    return {
        "label": "human", "source": "test",
        "browser": {"webdriver": False, "screen_width": 1280, "screen_height": 800,
                    "touch_supported": False, "max_touch_points": 0, "plugins_length": 5},
        "clicks": [{"x": x, "y": y, "t": t, "button": "left"} for t, x, y in clicks],
        "scrolls": [],
        "keystrokes": [{"key": k, "t": t, "duration_ms": 80.0} for k, t in keys],
        "mouse_movements": [{"x": x, "y": y, "t": t} for t, x, y in samples],
    }


def _line(t0: float, t1: float, p0: tuple[float, float], p1: tuple[float, float],
          dt: float = 16.0) -> list[tuple[float, float, float]]:
    steps = max(1, int((t1 - t0) / dt))
    return [(t0 + (t1 - t0) * i / steps, p0[0] + (p1[0] - p0[0]) * i / steps,
             p0[1] + (p1[1] - p0[1]) * i / steps) for i in range(steps + 1)]


def test_script_moves_follow_clicks_and_pauses() -> None:
    from redteam.script import CLICK_LEAD_MS, build_script

    # Stroke 1 ends at (300, 200) and is followed by two clicks there and one elsewhere
    # in the same pause; stroke 2 holds a click made while moving (at 1700 ms).
    samples = _line(1000.0, 1300.0, (100.0, 100.0), (300.0, 200.0)) + \
        _line(2500.0, 2900.0, (300.0, 200.0), (700.0, 500.0))
    clicks = [(1400.0, 300.0, 200.0), (1550.0, 300.0, 200.0), (2000.0, 320.0, 210.0),
              (2700.0, 500.0, 350.0)]
    script = build_script(_session(samples, clicks), 0)
    moves = script.moves
    assert script.start == (100.0, 100.0)
    for a, b in zip(moves, moves[1:]):
        assert a.end == b.start and a.deadline <= b.earliest
    for m in moves:
        assert m.earliest <= m.t_start < m.deadline
    for t, x, y in clicks:
        # The move that brings the pointer to each click place ends in time for it.
        reaching = [m for m in moves if m.deadline <= t]
        assert reaching and reaching[-1].end == (x, y), (t, reaching[-1:])
        assert reaching[-1].deadline <= t - CLICK_LEAD_MS + 1e-9
    # The click in another place of the pause gets its own short move.
    assert any(m.start == (300.0, 200.0) and m.end == (320.0, 210.0) for m in moves)
    assert moves[-1].end == (700.0, 500.0)


def test_script_waypoints_and_clock_detection() -> None:
    from redteam.script import build_script

    # A detour far off the chord becomes a waypoint; a straight stroke has none.
    detour = _line(0.0, 400.0, (100.0, 100.0), (300.0, 400.0)) + _line(416.0, 800.0, (300.0, 400.0), (500.0, 100.0))[1:]
    script = build_script(_session(detour, []), 0)
    assert [m.end for m in script.moves][-1] == (500.0, 100.0)
    assert len(script.moves) >= 2 and any(abs(m.end[1] - 400.0) < 40.0 for m in script.moves)
    assert not script.coarse_clock
    # Times on a 64 Hz clock, several ticks apart, mark a remote desktop.
    ticks = [(round(15.625 * 7 * i), 100.0 + 3 * i, 100.0) for i in range(40)]
    remote = build_script(_session([(float(t), x, y) for t, x, y in ticks], []), 0)
    assert remote.coarse_clock and remote.median_dt > 50.0


def test_sampler_reports_only_changes_and_the_resting_place() -> None:
    import numpy as np

    from redteam.sampler import REMOTE_CLOCK_MS, SamplerParams, sample_events

    t = np.linspace(1000.0, 1400.0, 401)
    x = np.linspace(10.0, 110.0, 401) ** 1.0
    y = np.full_like(t, 50.0)
    x[300:] = 110.0  # rests for the last 100 ms
    frame = SamplerParams("frame", 1000.0 / 60.0, 1.0, 3.0, 0.3, 0.0, 0.05, True, "int", 1.0)
    remote_fast = SamplerParams("remote", 8.0, 1.0, 0.0, 0.5, 0.0, 0.0, True, "int", 1.0)
    remote_batch = SamplerParams("remote", 0.0, 1.0, 0.0, 0.5, 0.0, 0.0, True, "int", 1.0)
    for params in (frame, remote_fast, remote_batch):
        events = sample_events(t, x, y, params, np.random.default_rng(1), 1280.0, 800.0)
        places = [(e[1], e[2]) for e in events]
        assert places[-1] == (110.0, 50.0)
        assert all(a != b for a, b in zip(places, places[1:]))
        assert all(e[1] == round(e[1]) for e in events)
        stamps = [e[0] for e in events]
        assert stamps == sorted(stamps) and stamps[0] > 1000.0 - REMOTE_CLOCK_MS
        # Nothing is reported once the pointer rests, beyond the one report of its place.
        assert sum(1 for s in stamps if s > 1300.0 + 30.0) <= 1
        if params.mode == "remote":
            assert all(abs(s - REMOTE_CLOCK_MS * round(s / REMOTE_CLOCK_MS)) <= 0.5 for s in stamps)
    fast = [e[0] for e in sample_events(t, x, y, remote_fast, np.random.default_rng(1), 1280.0, 800.0)]
    assert any(b == a for a, b in zip(fast, fast[1:]))  # two reads within one clock tick


def test_easy_difficulty_shows_its_tells() -> None:
    import numpy as np

    from redteam.sampler import plan_sampler

    plans = [plan_sampler(np.random.default_rng(i), 0.1) for i in range(40)]
    assert any(p.mode == "fixed" for p in plans)
    hard = [plan_sampler(np.random.default_rng(i), 0.9) for i in range(40)]
    assert all(p.mode != "fixed" and p.coords == "int" and p.jitter > 0.0 for p in hard)


@pytest.mark.parametrize("end", [(400.0, 300.0), (100.5, 100.0), (100.0, 100.0), (900.0, 120.0)])
def test_every_path_ends_exactly_and_stays_finite(end: tuple[float, float]) -> None:
    import numpy as np

    from redteam.families import PATH_FAMILIES, Context
    from redteam.script import Stroke, build_script
    from redteam.trajectory import grid

    stroke = Stroke((0.0, 16.0, 32.0, 48.0, 64.0, 80.0), (0.0, 20.0, 60.0, 110.0, 150.0, 160.0),
                    (0.0, 2.0, 6.0, 9.0, 10.0, 10.0))
    ctx = Context(strokes=((99, stroke),))
    script = build_script(_session(_line(0.0, 300.0, (100.0, 100.0), end), []), 0)
    for family in PATH_FAMILIES:
        rng = np.random.default_rng(5)
        plan = family.plan(rng, 0.9)
        n, times = grid(420.0)
        x, y = family.path(rng, plan, (100.0, 100.0), end, times, ctx, script)
        assert len(x) == len(y) == n + 1, family.name
        assert np.isfinite(x).all() and np.isfinite(y).all(), family.name
        assert (x[0], y[0]) == (100.0, 100.0) and abs(x[-1] - end[0]) < 1e-9 and abs(y[-1] - end[1]) < 1e-9
        # No wild excursions: the path stays near the box spanned by its ends.
        span = max(abs(end[0] - 100.0), abs(end[1] - 100.0), 10.0)
        assert x.min() > min(100.0, end[0]) - span and x.max() < max(100.0, end[0]) + span, family.name


def test_retimed_keys_keep_keys_bursts_and_order() -> None:
    import numpy as np

    from redteam.families.scripted_typing import plan_typing, retime_keys

    word = [(k, 5000.0 + 110.0 * i) for i, k in enumerate(".tie5Roanl")]
    second = [(k, 7000.0 + 150.0 * i) for i, k in enumerate(".tie5Roanl")]
    keys = _session([], [], word + second)["keystrokes"]
    for difficulty in (0.1, 0.9):
        rng = np.random.default_rng(3)
        out = retime_keys(keys, plan_typing(rng, difficulty), rng)
        assert [k["key"] for k in out] == [k["key"] for k in keys]
        times = [k["t"] for k in out]
        assert times == sorted(times)
        assert times[0] == 5000.0 and times[10] == 7000.0  # bursts start when the human's did
        assert times[9] <= 7000.0 - 120.0 + 1e-6
        assert all(k["duration_ms"] >= 15.0 for k in out)
        assert times != [k["t"] for k in keys]


def test_separability_and_encoding() -> None:
    from redteam.corpus import encode
    from redteam.realism import _folded_auc  # pyright: ignore[reportPrivateUsage]

    assert _folded_auc([1.0, 2.0, 3.0], [1.0, 2.0, 3.0]) == 0.5
    assert _folded_auc([1.0, 2.0], [3.0, 4.0]) == 1.0 == _folded_auc([3.0, 4.0], [1.0, 2.0])
    line = encode({"label": "bot", "browser": {"screen_width": 800},
                   "mouse_movements": [{"x": 5, "y": 2.00000000001, "t": 10}],
                   "keystrokes": [{"key": "a", "t": 1, "duration_ms": 80}]})
    back = json.loads(line)
    assert '"x":5.0' in line and back["mouse_movements"][0]["y"] == 2.0
    assert back["browser"]["screen_width"] == 800 and '"screen_width":800' in line
    assert back["keystrokes"][0]["duration_ms"] == 80.0


def test_consistency_families_break_exactly_their_check(human_file: Path) -> None:
    from redteam.families import CONSISTENCY_FAMILIES
    from velmora_core.detect import evidence, feature_set
    humans = load_humans([human_file])
    scripts = scripts_from(humans)
    ctx = context_from(scripts)
    broken = {"foreign_track": "clicks_off_path", "scripted_clicks": "click_jumps",
              "disordered_events": "time_disorder", "off_screen": "off_screen",
              "abrupt_stops": "abrupt_stops", "teleport_pointer": "pointer_jumps"}
    for family in CONSISTENCY_FAMILIES:
        for session in generate(family, scripts, ctx, 6, seed=3):
            row = evidence.Row(feature_set.NAMES, feature_set.feature_row(session))
            fired = [check.__name__ for check in evidence.CHECKS if check(row) is not None]
            # Foreign clicks also cut the foreign track's movements in full flight.
            also = {"abrupt_stops"} if family.name == "foreign_track" else set()
            assert fired in ([], [broken[family.name]]) or set(fired) == {broken[family.name]} | also, \
                (family.name, fired)
            # Few clicks, or a track too short to judge its stops: nothing to see.
            short = family.name == "abrupt_stops" and row["mouse_points"] < evidence.ABRUPT_SAMPLES
            assert fired or short or family.name in ("foreign_track", "scripted_clicks", "teleport_pointer")
    for session in humans:
        assert not evidence.findings(evidence.Row(feature_set.NAMES, feature_set.feature_row(session)))
