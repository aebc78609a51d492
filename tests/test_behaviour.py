"""Behaviour features through velmora_core.behaviour: names, lenient reading, no leaks."""

import math

import pytest

from leak_check import assert_no_leak
from velmora_core import _native
from velmora_core.behaviour import BEHAVIOUR_FEATURE_NAMES, behaviour_feature_values, behaviour_features


def straight_line(samples=40, step=8.0, dt=16.0):
    return [{"x": step * i, "y": 100.0, "t": 1000.0 + dt * i} for i in range(samples)]


SESSION = {
    "mouse_movements": straight_line(),
    "clicks": [{"x": 312.0, "y": 100.0, "t": 1700.0, "button": "left"}],
    "scrolls": [{"t": 1500.0, "direction": "down"}],
    "keystrokes": [{"key": "a", "t": 2000.0 + 50.0 * i, "duration_ms": 10.0} for i in range(20)]
    + [{"key": "b", "down": 4000.0, "up": 4090.0}],
}


class RaisingFloat:
    def __float__(self):
        raise ValueError("no float")


class Shrinking:
    """Empties the list it sits in when converted."""

    def __init__(self, owner):
        self.owner = owner

    def __float__(self):
        self.owner.clear()
        return 1.0


def test_names_have_one_order_everywhere():
    assert BEHAVIOUR_FEATURE_NAMES == _native.behaviour_feature_names()
    assert len(set(BEHAVIOUR_FEATURE_NAMES)) == len(BEHAVIOUR_FEATURE_NAMES)
    features = behaviour_features(SESSION)
    assert tuple(features) == BEHAVIOUR_FEATURE_NAMES
    assert list(features.values()) == behaviour_feature_values(SESSION)


def test_constant_speed_line_and_scripted_typing():
    f = behaviour_features(SESSION)
    assert f["dt_cv"] == 0.0 and f["dt_repeat_share"] == 1.0
    assert f["straightness_mean"] == 1.0 and f["turn_zero_share"] == 1.0 and f["peak_count_mean"] == 1.0
    assert f["click_offset_px"] == 0.0
    assert f["hold_repeat_share"] == 19 / 20 and f["key_interval_cv"] == 0.0  # the last press is a new burst
    # the "up" form and the "duration_ms" form are both read: one 90 ms hold among 20 of 10 ms
    assert f["hold_mean"] == pytest.approx((20 * 10.0 + 90.0) / 21)


def test_key_identity_does_not_matter():
    renamed = dict(SESSION, keystrokes=[dict(k, key="z") for k in SESSION["keystrokes"]])
    assert behaviour_feature_values(renamed) == behaviour_feature_values(SESSION)


ODD_INPUTS = {
    "not a dict": [1, 2],
    "None": None,
    "empty": {},
    "lists are strings": {"mouse_movements": "abc", "clicks": 3, "keystrokes": None},
    "items are not dicts": {"mouse_movements": [1, "x", None, (1, 2, 3)], "clicks": [[1, 2, 3]]},
    "values of every kind": {
        "mouse_movements": [
            {"x": "1", "y": 2, "t": 3},
            {"x": math.nan, "y": 2, "t": 4},
            {"x": RaisingFloat(), "y": 2, "t": 5},
            {"x": 10**400, "y": 0, "t": 6},
            {"x": True, "y": 1e308, "t": 7},
            {"x": 1e308, "y": -1e308, "t": 8},
            {"x": -1e308, "y": 1e308, "t": 9},
        ]
        * 20,
        "keystrokes": [{"t": math.inf, "down": 5.0, "up": math.nan}, {"time": 7, "duration_ms": "x"}, {"up": 3}],
        "scrolls": [{"t": RaisingFloat()}, {"t": 1.0}, "down"],
    },
    "non-str keys": {1: 2, "mouse_movements": [{1: 2, "x": 1.0, "y": 1.0, "t": 1.0}]},
}


@pytest.mark.parametrize("telemetry", ODD_INPUTS.values(), ids=ODD_INPUTS.keys())
def test_odd_input_reads_leniently_and_every_value_is_finite(telemetry):
    values = behaviour_feature_values(telemetry)
    assert len(values) == len(BEHAVIOUR_FEATURE_NAMES)
    assert all(isinstance(v, float) and math.isfinite(v) for v in values)


def test_a_list_changed_while_read_is_not_a_crash():
    moves = straight_line()
    moves[3] = {"x": Shrinking(moves), "y": 1.0, "t": 1.0}
    assert len(behaviour_feature_values({"mouse_movements": moves})) == len(BEHAVIOUR_FEATURE_NAMES)


def test_bad_calls_raise_type_errors():
    with pytest.raises(TypeError):
        behaviour_features()  # type: ignore[call-arg]
    with pytest.raises(TypeError):
        _native.behaviour_feature_values(SESSION, SESSION)  # type: ignore[call-arg]


def test_no_leaks():
    odd = ODD_INPUTS["values of every kind"]

    def call():
        behaviour_features(SESSION)
        behaviour_feature_values(odd)
        _native.behaviour_feature_names()
        try:
            _native.behaviour_features(telemetry=SESSION, extra=1)  # type: ignore[call-arg]
        except TypeError:
            pass

    assert_no_leak(call, repeats=2000)
