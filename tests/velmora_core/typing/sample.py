"""Typed use of every function of velmora_core_rs; must pass mypy --strict and pyright strict."""

import array
from typing import Literal, assert_type

import velmora_core_rs as core

from velmora_core import __version__
from velmora_core.records import (
    FEATURE_NAMES,
    BanEntry,
    CurvatureReport,
    FeatureRecord,
    KeystrokeRecord,
    KeystrokeReport,
    KeystrokeTuple,
    MouseSample,
    StateEngineStats,
    Telemetry,
)
from velmora_core.state import LocalStateEngine, StateEngine


def session() -> Telemetry:
    moves: list[MouseSample] = [{"x": 10 * i, "y": 2.5 * i, "t": 16.0 * i} for i in range(12)]
    moves.append({"x": 130.0, "y": 40.0, "t": 200, "r": 1.5, "f": 0.25})
    keys: list[KeystrokeRecord] = [
        {"key": "h", "t": 0.0, "duration_ms": 80.0},
        {"key": "i", "down": 150, "up": 210},
        {"time": 320.5},
    ]
    return {
        "browser": {"webdriver": False, "screen_width": 1920, "screen_height": 1080.0,
                    "touch_supported": True, "max_touch_points": 5, "plugins_length": 3},
        "clicks": [{"x": 1, "y": 2}],
        "scrolls": [],
        "keystrokes": keys,
        "mouse_movements": moves,
    }


def features() -> None:
    record = core.extract_features_rs(session())
    assert_type(record, FeatureRecord)
    points: int = record["mouse_points"]
    speed: float = record["avg_velocity"]
    robot: bool = record["webdriver"]
    assert [*record] == list(FEATURE_NAMES)
    values: list[int | float | bool] = [record[name] for name in FEATURE_NAMES]
    assert len(values) == 39
    assert points == 13 and speed > 0.0 and not robot
    assert core.extract_features_rs(telemetry={})["screen_valid"]


def curvature() -> None:
    xs = [0.0, 1.0, 2.0, 3.0, 4.0]
    ys = (0, 0, 0, 0, 0)
    ts = array.array("d", [0.0, 10.0, 20.0, 30.0, 40.0])
    report = core.evaluate_curvature_naturalness_rs(xs, ys, ts)
    assert_type(report, CurvatureReport)
    same = core.evaluate_curvature_zerocopy_rs(x_obj=range(5), y_obj=bytes(5), t_obj=ts)
    score: float = report["curvature_score"]
    assert score == same["curvature_score"] == 0.95


def keystrokes() -> None:
    tuples: list[KeystrokeTuple] = [("a", 0.0, 60.0), ("b", 100, None), ("c", 200, 250)]
    report = core.evaluate_keystroke_dynamics_rs(tuples)
    assert_type(report, KeystrokeReport)
    count: int = report["key_count"]
    mixed = core.evaluate_keystroke_dynamics_rs([("a", 0.0, 60.0), {"key": "b", "down": 100.0}])
    dicts = core.evaluate_keystroke_dynamics_rs([{"key": "a", "down": 0, "type": "down"}])
    assert count == 3 and mixed["key_count"] == 2 and dicts["avg_flight_time"] == 0.0


def state() -> None:
    assert core.consume_nonce_rs("nonce-1") and not core.consume_nonce_rs(nonce="nonce-1")
    core.ban_ip_rs("192.0.2.7", 60)
    core.ban_ip_rs(ip="192.0.2.8", duration_sec=3600)
    assert core.is_ip_banned_rs("192.0.2.7")
    core.unban_ip_rs("192.0.2.7")
    bans: list[BanEntry] = [("192.0.2.9", 2**40)]
    core.hydrate_bans_rs(bans)
    core.hydrate_bans_rs((("192.0.2.10", 2**40),))
    stats = core.get_state_engine_stats_rs()
    assert_type(stats, StateEngineStats)
    active: int = stats["active_ip_bans"]
    assert active == 3
    core.clear_state_engine_rs()
    engine: StateEngine = LocalStateEngine()
    assert engine.stats()["current_bucket_nonces"] == 0


def probes() -> None:
    active = core.is_rust_core_active()
    assert_type(active, Literal[True])
    version: str = core.get_core_version()
    assert version == __version__ + "-native-rust"


if __name__ == "__main__":
    for check in (features, curvature, keystrokes, state, probes):
        check()
    print("typed sample: every function ran")
