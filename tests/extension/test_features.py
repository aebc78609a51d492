"""extract_features_rs: lenient telemetry reading, the record's shape, and end-to-end runs."""

import json
import math
import random
import sys

import numpy as np
import pytest
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

from helpers import DATA
from velmora_core_rs import (
    evaluate_curvature_naturalness_rs,
    evaluate_keystroke_dynamics_rs,
    extract_features_rs,
)

NAN = float("nan")
INF = float("inf")

# The record for telemetry without usable data, in the record's key order.
DEFAULT_RECORD = {
    "mouse_points": 0, "total_distance": 0.0, "straightness": 1.0, "avg_velocity": 0.0,
    "max_velocity": 0.0, "velocity_var": 0.0, "avg_acceleration": 0.0, "acceleration_var": 0.0,
    "avg_jerk": 0.0, "dt_var": 0.0, "click_count": 0, "key_count": 0, "key_interval_avg": 0.0,
    "key_interval_var": 0.0, "webdriver": False, "screen_valid": True, "scroll_count": 0,
    "terminal_decel_ratio": 1.0, "plugins_length": 1, "touch_supported": False,
    "screen_width": 1024.0, "spectral_purity": 0.0, "spectral_entropy": 1.0,
    "submovement_count": 0, "max_touch_points": 0, "avg_touch_radius": 0.0,
    "touch_radius_var": 0.0, "avg_touch_force": 0.0, "touch_event_count": 0,
    "curvature_score": 0.0, "mean_curvature": 0.0, "curvature_var": 0.0,
    "curvature_rate_var": 0.0, "avg_dwell_time": 0.0, "dwell_time_var": 0.0,
    "avg_flight_time": 0.0, "flight_time_var": 0.0, "digraph_entropy": 0.5,
    "keystroke_score": 0.0,
}
KEYS = list(DEFAULT_RECORD)
TYPES = {k: type(v) for k, v in DEFAULT_RECORD.items()}
KEYSTROKE_KEYS = ["key_count", "avg_dwell_time", "dwell_time_var", "avg_flight_time",
                  "flight_time_var", "digraph_entropy", "keystroke_score"]
CURVATURE_KEYS = ["curvature_score", "mean_curvature", "curvature_var", "curvature_rate_var"]

SESSIONS = [json.loads(line) for path in sorted(DATA.glob("*.jsonl")) for line in path.open()]


def check_shape(record):
    assert list(record) == KEYS
    for key, value in record.items():
        assert type(value) is TYPES[key], key


def features(**telemetry):
    record = extract_features_rs(telemetry)
    check_shape(record)
    return record


def moves(n, start=0.0, **extra):
    return [{"x": float(i * i % 17), "y": float(i % 5), "t": start + 16.0 * i, **extra} for i in range(n)]


class Raises:
    """Every conversion protocol raises."""

    def __float__(self):
        raise RuntimeError("float")

    def __index__(self):
        raise RuntimeError("index")

    def __bool__(self):
        raise RuntimeError("bool")


class Indexable:
    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


class Missing(dict):
    """Lookups through the dict's own table must never reach these."""

    def __missing__(self, key):
        return {"x": 1.0, "y": 1.0, "t": 1.0, "browser": {"webdriver": True}}.get(key, 7.0)

    def __getitem__(self, key):
        return self.__missing__(key)


# ---- the record ---------------------------------------------------------------------------

@pytest.mark.parametrize("telemetry", [{}, None, [], "telemetry", 42, ({"mouse_movements": []},),
                                       Missing()])
def test_no_usable_data_gives_the_default_record(telemetry):
    record = extract_features_rs(telemetry)
    check_shape(record)
    assert record == DEFAULT_RECORD


def test_argument_by_keyword_and_binding_errors():
    assert extract_features_rs(telemetry={}) == DEFAULT_RECORD
    with pytest.raises(TypeError):
        extract_features_rs()
    with pytest.raises(TypeError):
        extract_features_rs({}, {})


def test_key_order_and_types_with_full_data():
    record = features(mouse_movements=moves(40, r=2.0, f=0.5), clicks=[1, 2], scrolls=[3],
                      keystrokes=[{"key": "a", "t": 100.0 * i, "duration_ms": 40.0} for i in range(9)],
                      browser={"webdriver": True, "screen_width": 800, "screen_height": 600,
                               "max_touch_points": -2, "plugins_length": -1, "touch_supported": True})
    assert record["mouse_points"] == 40 and record["click_count"] == 2 and record["scroll_count"] == 1
    assert record["max_touch_points"] == -2 and record["plugins_length"] == -1
    assert record["webdriver"] is True and record["touch_supported"] is True
    assert record["screen_width"] == 800.0 and record["screen_valid"] is True


# ---- browser facts ------------------------------------------------------------------------

@pytest.mark.parametrize("browser, expected", [
    ({}, {"screen_width": 0.0, "screen_valid": False, "plugins_length": 1, "webdriver": False}),
    ({"screen_width": 1920}, {"screen_width": 1920.0, "screen_valid": False}),
    ({"screen_width": 1920, "screen_height": 0}, {"screen_valid": False}),
    ({"screen_width": 1920, "screen_height": 1080}, {"screen_valid": True}),
    ({"screen_width": NAN, "screen_height": 1080}, {"screen_valid": False}),
    ({"screen_width": "1920", "screen_height": 1080}, {"screen_width": 0.0, "screen_valid": False}),
    ({"screen_width": Indexable(1280), "screen_height": True}, {"screen_width": 1280.0, "screen_valid": True}),
    ({"screen_width": 2 ** 2000, "screen_height": 1}, {"screen_width": 0.0, "screen_valid": False}),
    ("not a dict", {"screen_width": 1024.0, "screen_valid": True, "plugins_length": 1}),
    ({"webdriver": 1}, {"webdriver": False}),
    ({"webdriver": True}, {"webdriver": True}),
    ({"webdriver": np.bool_(True), "touch_supported": np.bool_(True)}, {"webdriver": True, "touch_supported": True}),
    ({"webdriver": np.True_, "touch_supported": np.int64(1)}, {"webdriver": True, "touch_supported": False}),
    ({"max_touch_points": 5.0}, {"max_touch_points": 0}),
    ({"max_touch_points": -1}, {"max_touch_points": -1}),
    ({"max_touch_points": True}, {"max_touch_points": 1}),
    ({"max_touch_points": 2 ** 63}, {"max_touch_points": 0}),
    ({"max_touch_points": Indexable(-(2 ** 63))}, {"max_touch_points": -(2 ** 63)}),
    ({"plugins_length": "5"}, {"plugins_length": 1}),
    ({"plugins_length": 0}, {"plugins_length": 0}),
    ({"webdriver": Raises(), "screen_width": Raises(), "screen_height": Raises(),
      "max_touch_points": Raises(), "plugins_length": Raises()},
     {"webdriver": False, "screen_width": 0.0, "screen_valid": False, "max_touch_points": 0, "plugins_length": 1}),
    (Missing(), {"webdriver": False, "screen_width": 0.0, "screen_valid": False}),
])
def test_browser_facts(browser, expected):
    record = features(browser=browser)
    assert {k: record[k] for k in expected} == expected
    assert "screen_height" not in record


@pytest.mark.parametrize("value, count", [((1, 2, 3), 0), ([None, None], 2), ([], 0), ("abc", 0),
                                          (type("L", (list,), {"__len__": lambda s: 99})([1]), 1)])
def test_click_and_scroll_counts_are_list_lengths(value, count):
    record = features(clicks=value, scrolls=value)
    assert record["click_count"] == count and record["scroll_count"] == count


# ---- keystrokes ---------------------------------------------------------------------------

def test_at_most_150_keystroke_items_are_examined():
    valid = [{"key": "a", "t": 100.0 * i, "duration_ms": 30.0} for i in range(200)]
    assert features(keystrokes=valid)["key_count"] == 150
    # Items that are not dicts still use up the budget.
    assert features(keystrokes=[("a", 1.0, 2.0)] * 100 + valid)["key_count"] == 50


@pytest.mark.parametrize("record, key_count, dwell", [
    ({"t": NAN, "down": 5, "up": 15}, 1, 10.0),            # NaN "t" gives way to "down"
    ({"t": INF, "time": 5, "up": 15}, 1, 10.0),
    ({"t": 3, "down": 9, "up": 13}, 1, 10.0),              # "t" is tried first
    ({"t": "100", "up": 150}, 0, 0.0),                     # a str is not a time
    ({"t": 100, "duration_ms": 80}, 1, 80.0),
    ({"t": 100, "up": "x", "duration_ms": 80}, 1, 80.0),
    ({"t": 100, "key": 7}, 1, 0.0),                        # no up time: no dwell
    ({"type": "up", "key": "a", "t": 5, "up": 25}, 1, 20.0),  # "type" plays no part here
    ({"t": Raises(), "down": Raises(), "time": 5, "up": Raises(), "duration_ms": 3}, 1, 3.0),
])
def test_keystroke_record_rules(record, key_count, dwell):
    r = features(keystrokes=[record])
    assert (r["key_count"], r["avg_dwell_time"]) == (key_count, dwell)


def test_keystroke_up_time_is_not_checked_for_finiteness():
    # A NaN up time is kept, so the flight from that key is refused; without it the
    # flight runs from the press.
    with_nan = features(keystrokes=[{"t": 100, "up": NAN}, {"t": 200}])
    without = features(keystrokes=[{"t": 100}, {"t": 200}])
    assert with_nan["avg_flight_time"] == 0.0 and without["avg_flight_time"] == 100.0


def test_keystroke_items_that_are_not_dicts_are_skipped():
    r = features(keystrokes=[("a", 1.0, 2.0), ["a", 1, 2], None, Missing(), {"t": 1.0}])
    assert r["key_count"] == 1


def test_key_interval_entries_copy_the_flight_statistics():
    r = features(keystrokes=[{"key": k, "t": t, "duration_ms": 20.0}
                             for k, t in zip("thequickbrown", [0, 90, 210, 260, 400, 520, 600, 760,
                                                               850, 990, 1040, 1180, 1300])])
    assert r["key_count"] == 13
    assert r["key_interval_avg"] == r["avg_flight_time"] != 0.0
    assert r["key_interval_var"] == r["flight_time_var"] != 0.0


# ---- mouse movements ----------------------------------------------------------------------

@pytest.mark.parametrize("point, kept", [
    ({"x": 1, "y": 2, "t": 3}, True),
    ({"x": 1, "y": 2}, False),
    ({"x": "1", "y": 2, "t": 3}, False),
    ({"x": INF, "y": 2, "t": 3}, False),
    ({"x": 1, "y": NAN, "t": 3}, False),
    ({"x": 1, "y": 2, "t": 3, "r": "big", "f": None}, True),
    ({"x": 1, "y": 2, "t": 3, "r": INF}, True),
    ({"x": np.float64(1), "y": Indexable(2), "t": True}, True),
    ({"x": Raises(), "y": 2, "t": 3}, False),
    ({"x": 1, "y": 2, "t": 3, "r": Raises(), "f": Raises()}, True),
    ((1, 2, 3), False),
    (Missing(x=1, y=2), False),                            # __missing__ never supplies "t"
])
def test_point_filtering(point, kept):
    assert features(mouse_movements=[point])["mouse_points"] == int(kept)


def test_mouse_points_counts_only_admitted_samples():
    points = moves(10)
    for p in points[::3]:
        del p["t"]
    assert features(mouse_movements=points)["mouse_points"] == 6


def test_touch_statistics_use_every_admitted_sample():
    points = [{**p, "r": 1.0} for p in moves(350)] + moves(50, start=1e6)
    r = features(mouse_movements=points)
    assert r["mouse_points"] == 400 and r["touch_event_count"] == 350 and r["avg_touch_radius"] == 1.0
    r = features(mouse_movements=[{"x": 0, "y": 0, "t": 0, "r": 2}, {"x": 0, "y": 0, "t": 1, "r": 4},
                                  {"x": 0, "y": 0, "t": 2, "f": 0.5}])
    assert (r["touch_event_count"], r["avg_touch_radius"], r["touch_radius_var"], r["avg_touch_force"]) == \
        (2, 3.0, 1.0, 0.5)
    r = features(mouse_movements=[{"x": 0, "y": 0, "t": 0, "r": INF}, {"x": 0, "y": 0, "t": 1, "r": 1}])
    assert math.isinf(r["avg_touch_radius"]) and math.isnan(r["touch_radius_var"])


def test_only_the_300_earliest_samples_move():
    early = moves(300)
    late = [{"x": 5000.0 + i, "y": -3000.0, "t": 1e6 + i} for i in range(200)]
    base = features(mouse_movements=early)
    mixed = features(mouse_movements=late[:100] + early + late[100:])
    assert mixed["mouse_points"] == 500
    assert {k: v for k, v in mixed.items() if k != "mouse_points"} == \
        {k: v for k, v in base.items() if k != "mouse_points"}


@pytest.mark.parametrize("n, curvature_called, moving", [(2, False, False), (3, False, True), (4, True, True)])
def test_feature_thresholds_by_sample_count(n, curvature_called, moving):
    # A straight line at constant speed: the curvature analysis reports 0.95 once it runs.
    r = features(mouse_movements=[{"x": 3.0 * i, "y": 4.0 * i, "t": 10.0 * i} for i in range(n)])
    assert r["curvature_score"] == (0.95 if curvature_called else 0.0)
    assert r["total_distance"] == (5.0 * (n - 1) if moving else 0.0)


def test_dict_subclasses_are_read_through_their_own_table():
    telemetry = Missing(mouse_movements=[Missing(x=1.0, y=2.0, t=3.0)] * 3, browser=Missing())
    r = extract_features_rs(telemetry)
    assert r["mouse_points"] == 3 and r["screen_valid"] is False and r["webdriver"] is False


def test_user_conversions_that_raise_leave_no_exception_behind():
    telemetry = {"browser": {"webdriver": Raises(), "screen_width": Raises()},
                 "keystrokes": [{"t": Raises(), "key": Raises()}] * 5,
                 "mouse_movements": [{"x": Raises(), "y": Raises(), "t": Raises()}] * 5}
    assert extract_features_rs(telemetry)["mouse_points"] == 0
    assert sys.exc_info() == (None, None, None)


def test_a_list_that_grows_while_it_is_read_is_read_to_its_first_length():
    points = moves(5)

    class Grows:
        def __float__(self):
            points.append({"x": Grows(), "y": 0.0, "t": 0.0})
            return 1.0

    points[0]["x"] = Grows()
    assert features(mouse_movements=points)["mouse_points"] == 5


# ---- the bundled sessions -----------------------------------------------------------------

@pytest.mark.parametrize("session", SESSIONS, ids=[f"{s['label']}-{s['source']}" for s in SESSIONS])
def test_bundled_sessions_end_to_end(session):
    r = extract_features_rs(session)
    check_shape(r)
    assert r == extract_features_rs(json.loads(json.dumps(session)))
    assert all(math.isfinite(v) for v in r.values() if type(v) is float)
    assert r["mouse_points"] == len(session["mouse_movements"])
    assert r["click_count"] == len(session["clicks"]) and r["scroll_count"] == len(session["scrolls"])

    # The borrowed analyses receive exactly what their own entry points would.
    events = [(k["key"], k["t"], k["t"] + k["duration_ms"]) for k in session["keystrokes"][:150]]
    if events:
        assert {k: r[k] for k in KEYSTROKE_KEYS} == evaluate_keystroke_dynamics_rs(events)
    track = sorted(session["mouse_movements"], key=lambda p: p["t"])[:300]
    if len(track) >= 4:
        direct = evaluate_curvature_naturalness_rs([p["x"] for p in track], [p["y"] for p in track],
                                                   [p["t"] for p in track])
        assert {k: r[k] for k in CURVATURE_KEYS} == direct


def test_sample_order_does_not_matter_when_times_are_distinct():
    for session in SESSIONS:
        points = session["mouse_movements"]
        if len({p["t"] for p in points}) != len(points):
            continue
        shuffled = points[:]
        random.Random(5).shuffle(shuffled)
        assert extract_features_rs({**session, "mouse_movements": shuffled}) == extract_features_rs(session)


# ---- any shape of telemetry ---------------------------------------------------------------

def weird_values():
    scalars = st.one_of(st.none(), st.booleans(), st.integers(), st.floats(), st.text(max_size=3),
                        st.sampled_from(["\ud800", np.bool_(False), np.float64(NAN), Raises(),
                                         Indexable(3), b"x", 2 ** 80]))
    field_names = st.sampled_from(["x", "y", "t", "r", "f", "key", "down", "up", "time", "duration_ms",
                                   "type", "webdriver", "screen_width", "screen_height", "max_touch_points",
                                   "plugins_length", "touch_supported"])

    def containers(children):
        return st.one_of(st.lists(children, max_size=6), st.tuples(children, children),
                         st.dictionaries(field_names, children, max_size=6),
                         st.dictionaries(field_names, children, max_size=4).map(Missing))

    return st.recursive(scalars, containers, max_leaves=20)


def point_lists():
    number = st.one_of(st.floats(), st.integers(-10 ** 6, 10 ** 6), st.just(Raises()))
    point = st.fixed_dictionaries({"x": number, "y": number, "t": number},
                                  optional={"r": number, "f": number})
    return st.lists(point, max_size=320)


telemetries = st.one_of(
    weird_values(),
    st.fixed_dictionaries({}, optional={"browser": weird_values(), "clicks": weird_values(),
                                        "scrolls": weird_values(), "keystrokes": weird_values(),
                                        "mouse_movements": st.one_of(weird_values(), point_lists())}),
)


@settings(max_examples=300, deadline=None, suppress_health_check=[HealthCheck.too_slow])
@given(telemetries)
def test_no_telemetry_raises(telemetry):
    record = extract_features_rs(telemetry)
    check_shape(record)
    assert record["key_interval_avg"] == record["avg_flight_time"] or math.isnan(record["avg_flight_time"])
    assert sys.exc_info() == (None, None, None)


def reachable(obj, seen):
    """Every object inside the telemetry, containers and leaves."""
    if id(obj) in seen:
        return
    seen[id(obj)] = obj
    if isinstance(obj, dict):
        for k, v in obj.items():
            reachable(k, seen)
            reachable(v, seen)
    elif isinstance(obj, (list, tuple)):
        for v in obj:
            reachable(v, seen)


@settings(max_examples=25, deadline=None, suppress_health_check=[HealthCheck.too_slow])
@given(telemetries)
def test_no_telemetry_leaks(telemetry):
    objects = {}
    reachable(telemetry, objects)
    for _ in range(50):
        extract_features_rs(telemetry)
    refcounts = {i: sys.getrefcount(o) for i, o in objects.items()}
    before = sys.getallocatedblocks()
    for _ in range(300):
        extract_features_rs(telemetry)
    # New objects left alive show up as allocated blocks, extra references to the
    # caller's objects as raised reference counts.
    assert sys.getallocatedblocks() - before < 30
    assert {i: sys.getrefcount(o) for i, o in objects.items()} == refcounts
