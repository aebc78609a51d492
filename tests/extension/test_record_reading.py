"""Movement samples and keystroke records that are plain dicts are read in one pass over their
items; any other record by one lookup per field. The two readings must agree: each input is
read once as given and once with every record in a dict subclass, which always takes the
lookups, and the results must be identical bit for bit."""

import json
import struct

import pytest

from velmora_core_rs import evaluate_keystroke_dynamics_rs, extract_features_rs
from helpers import DATA

NAN = float("nan")
INF = float("inf")


class Sub(dict):
    """No hooks: the same table, read by lookups."""


class IntSub(int):
    pass


class FloatSub(float):
    pass


class HasFloat:
    def __init__(self, value):
        self.value = value

    def __float__(self):
        return self.value


class HasIndex:
    def __index__(self):
        return 6


class StrSub(str):
    pass


def fresh(text):
    """Equal to the literal, but another object (as a JSON decoder makes keys)."""
    return json.loads(json.dumps(text))


def as_sub(records):
    return [Sub(r) if type(r) is dict else r for r in records]


def exact(value):
    """Comparable bit for bit: floats by their bits, so NaN and -0.0 count."""
    if isinstance(value, dict):
        return {k: exact(v) for k, v in value.items()}
    return (type(value), struct.pack("<d", value) if type(value) is float else value)


def same_features(telemetry_of):
    """telemetry_of(wrap) builds the telemetry with its records passed through wrap."""
    plain = extract_features_rs(telemetry_of(lambda records: records))
    assert exact(plain) == exact(extract_features_rs(telemetry_of(as_sub)))
    return plain


def moves(n):
    return [{"x": float(i * i % 17), "y": float(i % 5) * 3.0, "t": 16.0 * i} for i in range(n)]


VALUES = [1.5, -0.0, NAN, INF, -INF, 7, -1, -1.0, 2**53 + 1, 10**400, -(10**400), True, False, IntSub(3),
          FloatSub(2.5), HasFloat(4.0), HasIndex(), "3", None, [1.0]]


@pytest.mark.parametrize("field", ["x", "y", "t", "r", "f"])
@pytest.mark.parametrize("value", VALUES, ids=lambda v: repr(v)[:24])
def test_movement_values(field, value):
    def telemetry(wrap):
        points = moves(12)
        points[5][field] = value
        points[7][field] = value
        return {"mouse_movements": wrap(points)}

    same_features(telemetry)


MOVEMENT_SHAPES = [
    {"x": 1.0, "y": 2.0, "t": 3.0, "pressure": "hi", "extra": object(), "z": HasFloat(1.0)},
    {"x": 1.0, "y": 2.0},
    {"t": 40.0, "f": 0.5, "r": 2.0, "y": 1.0, "x": 3.0},
    {"x": 1.0, "y": 2.0, "t": 3.0, 1: 2.0},
    {StrSub("x"): 9.0, "y": 2.0, "t": 3.0},
    {"x": 1.0, "y": 2.0, "t": 3.0, "down": HasFloat(1.0)},
    {"x": 1.0, "y": 2.0, "t": 3.0, "key": StrSub("a")},
    {"x": 1.0, "y": 2.0, "t": 3.0, "\ud800": 1.0, "": 0.0, "xx": 5.0},
    {},
]


@pytest.mark.parametrize("shape", MOVEMENT_SHAPES, ids=repr)
def test_movement_record_shapes(shape):
    def telemetry(wrap):
        points = moves(12)
        points[3] = {**shape, "t": points[3]["t"] + 1.0} if "t" in shape else dict(shape)
        return {"mouse_movements": wrap(points)}

    same_features(telemetry)


KEYSTROKE_RECORDS = [
    {"key": "a", "t": 100.0, "duration_ms": 80.0},
    {"key": "b", "down": 250, "up": 330},
    {"time": 400.0, "key": "c"},
    {"t": NAN, "down": 520.0, "key": "d", "up": NAN},
    {"t": 600.0, "key": StrSub("e"), "duration_ms": 70},
    {"t": 700.0, "key": 7, "duration_ms": True},
    {"t": 800.0, "key": "\ud800", "up": 10**400, "duration_ms": 60.0},
    {"type": "up", "key": "f", "t": 900.0},
    {"type": StrSub("up"), "key": "g", "t": 950.0},
    {fresh("down"): 1000.0, fresh("key"): "h", fresh("duration_ms"): 90.0, fresh("type"): fresh("down")},
    {"t": 1100.0, "key": "i", "duration_ms": HasFloat(75.0), "extra": [1]},
    {"t": 2**60, "key": "j", "up": -(2**70)},
    {"t": -0.0, "key": "k", 3: "three"},
    ("l", 1200.0, 1260.0),
    {"key": "m"},
]


def test_keystroke_records_in_telemetry():
    plain = same_features(lambda wrap: {"keystrokes": wrap([dict(r) if type(r) is dict else r
                                                           for r in KEYSTROKE_RECORDS])})
    assert plain["key_count"] > 5


def test_keystroke_records_for_the_keystroke_analysis():
    records = [dict(r) if type(r) is dict else r for r in KEYSTROKE_RECORDS]
    plain = evaluate_keystroke_dynamics_rs(records)
    assert exact(plain) == exact(evaluate_keystroke_dynamics_rs(as_sub(records)))
    assert plain["key_count"] > 5


def test_many_key_objects_of_the_same_text():
    # A key object per record, and more distinct keys than the reader remembers per call.
    def telemetry(wrap):
        keys = [json.loads(json.dumps({"down": 100.0 * i + 0.5, "duration_ms": 60.0 + i, "key": "ab"[i % 2],
                                       f"extra{i}": i})) for i in range(120)]
        return {"keystrokes": wrap(keys), "mouse_movements": wrap(json.loads(json.dumps(moves(40))))}

    assert same_features(telemetry)["key_count"] == 120




def test_recorded_sessions():
    lines = [line for path in sorted(DATA.glob("*.jsonl")) for line in path.open()]
    assert lines
    for line in lines:
        def telemetry(wrap, line=line):
            session = json.loads(line)
            for section in ("keystrokes", "mouse_movements"):
                if isinstance(session.get(section), list):
                    session[section] = wrap(session[section])
            return session

        same_features(telemetry)


class Logged:
    def __init__(self, name, log, value):
        self.name, self.log, self.value = name, log, value

    def __float__(self):
        self.log.append(self.name)
        return self.value


def test_user_conversions_run_in_field_order_not_item_order():
    log = []
    point = {k: Logged(k, log, 1.0) for k in ("f", "r", "t", "y", "x")}
    extract_features_rs({"mouse_movements": [point]})
    assert log == ["x", "y", "t", "r", "f"]

    log.clear()
    record = {"up": Logged("up", log, 9.0), "down": Logged("down", log, 5.0), "t": Logged("t", log, NAN)}
    extract_features_rs({"keystrokes": [record]})
    assert log == ["t", "down", "up"]
    log.clear()
    evaluate_keystroke_dynamics_rs([record])
    assert log == ["down", "up"]
