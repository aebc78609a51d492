"""The session read once (session_row and its JSON and scoring forms) against the two
readings it replaces: extract_features_rs and the behaviour features, to the bit."""

import json
import math
import random
import struct

import pytest
import velmora_core_rs as core
from helpers import ROOT
from helpers.leak_check import assert_no_leak
from testkit.json_documents import Writer, data_for

from velmora_core import _native
from velmora_core.detect import Detector, feature_set

DATA = ROOT.parent / "shared" / "data"


def bits(row):
    return [struct.pack("<d", float(v)) for v in row]


def reference(telemetry):
    return bits(feature_set.feature_row(telemetry, core.extract_features_rs(telemetry)))


@pytest.fixture(scope="module")
def forest():
    return Detector.default()._forest


def test_shared_sessions_give_the_same_row_by_dict_and_by_text(forest):
    files = sorted(DATA.glob("*.jsonl"))
    if not files:
        pytest.skip(f"no recorded sessions in {DATA}")
    for line in (line for f in files for line in f.read_bytes().splitlines()):
        session = json.loads(line)
        want = reference(session)
        row = _native.session_row(session)
        assert type(row) is tuple and all(type(v) is float for v in row)
        assert bits(row) == want and bits(_native.session_row_json(line, None)) == want, line[:120]
        score = _native.forest_score(forest, row)
        assert _native.session_score(forest, session) == score == _native.session_score_json(forest, line, None)


class RaisingFloat:
    def __float__(self):
        raise ValueError("no float")


class Plain(dict):
    """A dict subclass: read by one lookup per field rather than in one pass."""


def path(n, t0=1000.0):
    return [{"x": 3.0 * i + (i % 7), "y": 100.0 + (i % 5) ** 2, "t": t0 + 16.0 * i + (i % 3)} for i in range(n)]


def keys(n, t0=0.0):
    return [{"key": "a", "t": t0 + 90.0 * i + (i % 4) * 7, "duration_ms": 60.0 + i % 9} for i in range(n)]


ODD = {
    "not a dict": [1, 2],
    "None": None,
    "empty": {},
    "wrong list types": {"mouse_movements": "abc", "clicks": 3, "scrolls": {"t": 1}, "keystrokes": None,
                         "browser": [1]},
    "non-dict items": {"mouse_movements": [1, None, "x", (1, 2, 3)] + path(30), "clicks": [[1, 2, 3]],
                       "scrolls": [5, None], "keystrokes": ["a", 3] + keys(12)},
    "NaN, inf, strings, huge ints, bools": {
        "mouse_movements": path(40) + [{"x": math.nan, "y": 1, "t": 2000}, {"x": 1, "y": math.inf, "t": 2001},
                                       {"x": "1", "y": 2, "t": 2002}, {"x": 10**400, "y": 0, "t": 2003},
                                       {"x": True, "y": 1e308, "t": 2004}, {"x": RaisingFloat(), "y": 1, "t": 2005}],
        "clicks": [{"x": 1, "y": 2, "t": 1100}, {"x": math.nan, "y": 2, "t": 1200}],
        "scrolls": [{"t": RaisingFloat()}, {"t": 1.5}, {"t": -math.inf}],
        "keystrokes": [{"t": math.inf, "down": 5.0, "up": math.nan}, {"time": 7, "duration_ms": "x"}, {"up": 3},
                       {"t": 9, "up": 10**400}, {"down": 11, "duration_ms": math.inf}],
        "browser": {"screen_width": math.nan, "screen_height": 10**30, "plugins_length": 2**70},
    },
    "records read by lookups": {"mouse_movements": [Plain(p) for p in path(50)] + [{1: 2, "x": 1.0, "y": 1.0, "t": 5e3}],
                                "keystrokes": [Plain(k) for k in keys(10)], "clicks": [Plain(x=1, y=2, t=1500)]},
    "unsorted times": {"mouse_movements": path(60)[::-1], "clicks": [{"x": 1, "y": 1, "t": 1300}, {"x": 0, "y": 0, "t": 1100}]},
    # Past the core reading's 150 key records and the behaviour reading's 2000.
    "many keys": {"keystrokes": keys(180)},
    "too many keys": {"keystrokes": [{"t": "x"}] * 5 + keys(2100)},
    # Past the behaviour reading's 20000 pointer items, with unreadable items among the first.
    "too many points": {"mouse_movements": [{"x": "bad"}] * 50 + path(20010), "clicks": [{"x": 5, "y": 5, "t": 3000}]},
}


@pytest.mark.parametrize("telemetry", ODD.values(), ids=ODD.keys())
def test_odd_sessions_give_the_same_row(telemetry):
    assert bits(_native.session_row(telemetry)) == reference(telemetry)


def test_json_text_gives_the_row_of_its_object_or_none():
    decided = 0
    for seed in range(400):
        rng = random.Random(seed)
        data = data_for(rng, Writer(rng).document())
        row = _native.session_row_json(data, None)
        try:
            parsed = json.loads(data.tobytes() if isinstance(data, memoryview) else data)
        except (ValueError, RecursionError):
            assert row is None
            continue
        if not isinstance(parsed, dict):
            assert row is None
        elif row is not None:
            decided += 1
            assert bits(row) == reference(parsed), seed
    assert decided > 200  # most generated documents are read natively
    body = json.dumps({"nonce": "n", "telemetry": {"mouse_movements": path(30)}})
    assert bits(_native.session_row_json(body, "telemetry")) == reference({"mouse_movements": path(30)})
    for member in ("nonce", "absent", "\ud800"):
        assert _native.session_row_json(body, member) is None
    assert _native.session_row_json(b'{"mouse_movements": [{"x": NaN, "y": 1, "t": 1}]}', None) is None


def test_parts_are_session_json_with_the_behaviour_values():
    body = json.dumps({"nonce": "n", "telemetry": {"mouse_movements": path(30), "keystrokes": keys(5)}})
    kinds, kept = _native.session_json(body, "telemetry", ("nonce",)), ("nonce",)
    parts = _native.session_parts_json(body, "telemetry", kept)
    assert parts is not None and kinds is not None
    assert parts[:3] + parts[4:] == kinds and parts[3] == _native.behaviour_values_json(body, "telemetry")
    assert _native.session_parts_json(b"[1]", "telemetry", ()) == ("array", "missing", None, None, ())
    # A click time only the behaviour reading looks at, beyond a double: json.loads decides.
    assert _native.session_parts_json(b'{"telemetry": {"clicks": [{"t": 1e400}]}}', "telemetry", ()) is None


def test_bad_arguments_raise(forest):
    other = _native.forest_build(0.0, 3, [-1.0], [0], [0], [0], [0.0], [0.5], [0])
    with pytest.raises(TypeError, match="forest must be a capsule"):
        _native.session_score(object(), {})  # type: ignore[arg-type]
    with pytest.raises(ValueError, match=f"row has {len(feature_set.NAMES)} values; the forest reads 3"):
        _native.session_score(other, {})
    with pytest.raises(ValueError, match="the forest reads 3"):
        _native.session_score_json(other, b"{}", None)
    with pytest.raises(TypeError, match="member must be"):
        _native.session_row_json(b"{}", 5)  # type: ignore[arg-type]
    with pytest.raises(TypeError, match="keep must be"):
        _native.session_parts_json(b"{}", None, ["x"])  # type: ignore[arg-type]


def test_no_leaks(forest):
    odd = ODD["NaN, inf, strings, huge ints, bools"]
    body = json.dumps({"nonce": "n", "telemetry": {"mouse_movements": path(20), "keystrokes": keys(3)}}).encode()

    def call():
        _native.session_row(odd)
        _native.session_row([1])
        _native.session_score(forest, ODD["records read by lookups"])
        _native.session_row_json(body, "telemetry")
        _native.session_score_json(forest, body, "telemetry")
        _native.session_parts_json(body, "telemetry", ("nonce", "absent"))
        _native.session_row_json(b"{", None)
        for bad in ((object(), {}), (forest, b"{}", 1)):
            try:
                (_native.session_score if len(bad) == 2 else _native.session_score_json)(*bad)  # type: ignore[operator]
            except TypeError:
                pass

    assert_no_leak(call, repeats=1000)
