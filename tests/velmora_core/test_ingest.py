"""The native JSON path against json.loads + extract_features_rs: same record, same bits."""

import json

import pytest
import velmora_core_rs as core
from hypothesis import given, settings
from hypothesis import strategies as st
from helpers import ROOT
from testkit.json_documents import BEHAVIOUR, differences, native, outcome_bits, reference

from velmora_core import _native, extract_features_json
from velmora_core.batch.extraction import extract_lines

DATA = ROOT.parent / "shared" / "data"
FILES = ["human_sessions.jsonl", "bot_sessions.jsonl"]


def same(data):
    assert native(data) == reference(data), data[:200]
    assert native(data, BEHAVIOUR[1]) == reference(data, BEHAVIOUR[0]), data[:200]


def test_benchmark_sessions_are_read_natively_with_the_same_record():
    if not all((DATA / f).exists() for f in FILES):
        pytest.skip(f"benchmark data not in {DATA}")
    lines = [line for f in FILES for line in (DATA / f).read_bytes().splitlines()]
    for line in lines:
        # No fall-back on real sessions.
        assert _native.features_json(line) is not None and _native.behaviour_values_json(line, None) is not None
        same(line)


def test_generated_documents_give_the_same_outcome():
    assert differences(0, 800) == []
    assert differences(0, 300, behaviour_features=True) == []


POINTS = '[{"x": 1, "y": 2, "t": 3}, {"x": 4.5, "y": 1, "t": 9}, {"x": 7, "y": 3, "t": 12}, {"x": 9, "y": 9, "t": 30}]'


@pytest.mark.parametrize("text", [
    # Numbers json.loads reads beyond strict JSON or beyond 64 bits, where features read them.
    '{"browser": {"screen_width": NaN, "screen_height": 1}}',
    '{"browser": {"screen_width": Infinity, "screen_height": -Infinity}}',
    '{"browser": {"screen_width": 1e400, "screen_height": 10, "plugins_length": 99999999999999999999}}',
    '{"browser": {"max_touch_points": 9223372036854775807, "plugins_length": -9223372036854775809}}',
    '{"browser": {"screen_width": -0, "screen_height": -0.0, "webdriver": 1, "touch_supported": true}}',
    '{"browser": {"screen_width": true, "screen_height": "768", "plugins_length": 2.0, "max_touch_points": false}}',
    '{"mouse_movements": [{"x": 1e400, "y": 0, "t": 0}, {"x": ' + "9" * 400 + ', "y": 1, "t": 2}]}',
    '{"mouse_movements": [{"x": 1, "y": 2, "t": 3, "r": ' + "1" * 5000 + '}]}',  # over Python's digit limit
    # Repeated keys (the last counts), escaped keys, lone surrogates.
    '{"mouse_movements": [], "mouse_movements": ' + POINTS + ', "clicks": [1], "clicks": 5}',
    '{"\\u006douse_movements": ' + POINTS + ', "browser": {"web\\u0064river": true}}',
    '{"keystrokes": [{"key": "\\ud800", "t": 1, "up": 5}, {"key": "\\ud83d\\ude00", "t": 9, "duration_ms": 3}]}',
    '{"keystrokes": [{"key": "a\\u0000b", "t": 1, "time": 0, "up": NaN}, {"key": 5, "down": "1", "time": 4}]}',
    '{"clicks": [{"x": 1, "y": 2, "t": 3}, {"x": 1e400, "y": 0, "t": 1}], "scrolls": [{"t": 5}, {"t": "6"}, 7]}',
    '{"scrolls": [{"t": 1, "t": ' + "7" * 30 + '}], "keystrokes": [{"down": 1, "duration_ms": ' + "3" * 30 + '}]}',
    # Nesting around json.loads' recursion limit, other top levels, whitespace.
    '{"deep": ' + "[" * 999 + "]" * 999 + ', "clicks": [1]}',
    '{"deep": ' + "[" * 50000 + "]" * 50000 + "}",
    ' \r\n\t[1, {"clicks": [1]}] ', '"text"', "null", "12", "true",
    # Refused texts.
    "", "   ", "{", '{"a": 1,}', '{"a": nan}', '{"a": -NaN}', "[1] [2]", '{"a": "\x01"}', "\ufeff{}", "{'a': 1}",
])
def test_odd_documents_give_the_same_outcome(text):
    same(text)
    same(text.encode("utf-8", "surrogatepass"))


@pytest.mark.parametrize("encoding", ["utf-8-sig", "utf-16", "utf-16-le", "utf-16-be", "utf-32", "utf-32-be"])
def test_encodings_json_loads_detects(encoding):
    data = ('{"clicks": [1, 2], "mouse_movements": ' + POINTS + "}").encode(encoding)
    assert native(data) == reference(data) != "refused"


def test_input_types_and_refusals():
    text = '{"clicks": [1], "mouse_movements": ' + POINTS + "}"
    want = core.extract_features_rs(json.loads(text))
    for data in (text, text.encode(), bytearray(text.encode()), memoryview(text.encode())):
        assert outcome_bits(extract_features_json(data)) == outcome_bits(want)
    with pytest.raises(json.JSONDecodeError) as error:
        extract_features_json(b'{"clicks": [1,\n ]}')
    with pytest.raises(json.JSONDecodeError) as expected:
        json.loads(b'{"clicks": [1,\n ]}')
    assert (error.value.msg, error.value.pos) == (expected.value.msg, expected.value.pos)
    with pytest.raises(json.JSONDecodeError, match="invalid utf-8"):
        extract_features_json(b'{"key": "\xff"}')
    with pytest.raises(json.JSONDecodeError, match="too deep"):
        extract_features_json("[" * 100000)
    with pytest.raises(TypeError):
        extract_features_json(12)  # type: ignore[arg-type]


json_values = st.recursive(
    st.none() | st.booleans() | st.integers() | st.floats() | st.text(max_size=4),
    lambda inner: st.lists(inner, max_size=3) | st.dictionaries(st.text(max_size=3), inner, max_size=3),
    max_leaves=8)
numbers = st.one_of(st.floats(), st.integers(), st.booleans(), json_values)
point = st.fixed_dictionaries({"x": numbers, "y": numbers, "t": numbers}, optional={"r": numbers, "f": numbers})
keystroke = st.fixed_dictionaries({}, optional={"key": st.text(max_size=3) | json_values, "t": numbers, "down": numbers,
                                                "time": numbers, "up": numbers, "duration_ms": numbers})
telemetry = st.fixed_dictionaries({}, optional={
    "browser": st.dictionaries(st.sampled_from(["webdriver", "screen_width", "screen_height", "touch_supported",
                                                "max_touch_points", "plugins_length"]), numbers) | json_values,
    "clicks": st.lists(point | json_values, max_size=6) | json_values,
    "scrolls": st.lists(st.fixed_dictionaries({"t": numbers}) | json_values, max_size=6) | json_values,
    "keystrokes": st.lists(keystroke | json_values, max_size=12),
    "mouse_movements": st.lists(point | json_values, max_size=40)})


@settings(max_examples=100, deadline=None)
@given(telemetry, st.booleans())
def test_hypothesis_telemetry_gives_the_same_outcome(value, ascii_only):
    same(json.dumps(value, ensure_ascii=ascii_only).encode("utf-8", "surrogatepass"))


def test_session_reading_keeps_values_as_json_loads_reads_them():
    kept = ["id", "n", "big", "f", "obj", "missing"]
    line = (b'{"id": "s\\u00e9", "n": 3, "big": 123456789012345678901234567890, "f": 1.5e300, '
            b'"obj": {"a": [1, null, true], "a": -0.0}, "id": "s2", "clicks": [1]}')
    _, kind, features, values = _native.session_json(line, None, tuple(kept))
    parsed = json.loads(line)
    assert kind == "object" and features == core.extract_features_rs(parsed)
    assert values == tuple(parsed.get(k) for k in kept) and list(values[4]) == ["a"]
    assert _native.session_json(b"[1]", "telemetry", ())[:3] == ("array", "missing", None)
    # Batch rows: the native and the json.loads roads give the same row, kept values included.
    rows, rejects = extract_lines([line, line.replace(b"[1]}", b"[NaN]}"), b"[1]"], 1, kept)
    assert rejects == [(3, "not a JSON object but an array")]
    assert rows[0][1:] == rows[1][1:] and rows[0][1] == "s2" and rows[0][3] == "123456789012345678901234567890"


def test_table_budget_is_the_modules_own():
    _native.set_table_budget(0)
    line = '{"mouse_movements": [' + ", ".join(f'{{"x": {i * i}, "y": {i}, "t": {i * 10}}}' for i in range(40)) + "]}"
    assert outcome_bits(extract_features_json(line)) == outcome_bits(core.extract_features_rs(json.loads(line)))
    assert _native.table_stats()["not_cached"] == 1 and _native.table_stats()["bytes"] == 0
    _native.set_table_budget(16 << 20)
    extract_features_json(line)
    assert _native.table_stats() | {"requests": 0} == {"budget": 16 << 20, "bytes": _native.table_stats()["bytes"],
                                                       "tables": 1, "requests": 0, "builds": 1, "not_cached": 0}


def test_entries_do_not_leak():
    from helpers.leak_check import assert_no_leak

    line = ('{"id": [1, {"a": "b"}], "big": ' + "9" * 30 + ', "clicks": [1], "mouse_movements": '
            + POINTS + ', "keystrokes": [{"key": "a", "t": 1, "up": 3}]}').encode()

    def call():
        extract_features_json(line)
        extract_features_json(memoryview(line))
        _native.behaviour_values_json(line, None)
        _native.session_json(line, None, ("id", "big", "none"))
        _native.session_json(line, "telemetry", ())
        for bad in (b"{", line.replace(b"[1]", b"[NaN]"), "\ud800", 12):
            try:
                extract_features_json(bad)  # type: ignore[arg-type]
            except (ValueError, TypeError):
                pass
        try:
            _native.session_json(line, None, ["not a tuple"])  # type: ignore[arg-type]
        except TypeError:
            pass
    assert_no_leak(call, repeats=2000)
