"""evaluate_keystroke_dynamics_rs: record parsing, the result dict, and the analysis seen from Python."""

import itertools
import functools
import math
import operator
import pathlib
import subprocess
import sys

import pytest

import velmora_core_rs as core

evaluate = core.evaluate_keystroke_dynamics_rs
NAN = float("nan")
INF = float("inf")
RESULT_KEYS = ["key_count", "avg_dwell_time", "dwell_time_var", "avg_flight_time",
               "flight_time_var", "digraph_entropy", "keystroke_score"]
ZERO = dict.fromkeys(RESULT_KEYS, 0.0) | {"key_count": 0}


def probe(record):
    """(key_count, dwell, flight) for `record` followed by a press at 1000 ms.

    The record's down time shows in the flight when it has no up time; its up time
    shows in the dwell and moves the flight's base."""
    r = evaluate([record, ("ref", 1000.0, None)])
    return r["key_count"], r["avg_dwell_time"], r["avg_flight_time"]


class Float:
    def __init__(self, value):
        self.value = value

    def __float__(self):
        return self.value


class Index:
    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


class Raises:
    def __float__(self):
        raise ZeroDivisionError("no float")


class T(tuple):
    pass


REJECTED = (1, 0.0, 0.0)


@pytest.mark.parametrize("record, expected", [
    # tuple form
    (("a", 100, None), (2, 0.0, 900.0)),
    (("a", 100, 150), (2, 50.0, 850.0)),
    (("a", -1, None), (2, 0.0, 1001.0)),
    (("a", True, None), (2, 0.0, 999.0)),
    (("a", Float(100.0), Index(130)), (2, 30.0, 870.0)),
    (T(("a", 100, None)), (2, 0.0, 900.0)),
    (("a", NAN, None), (2, 0.0, 0.0)),          # kept as NaN: counted, spoils its pairs
    (("a", 100, INF), (2, 0.0, 0.0)),           # no finiteness test in this form
    (("a", 100), REJECTED),
    (("a", 100, None, 5), REJECTED),
    (["a", 100, 150], REJECTED),                # a list is not a tuple
    ((65, 100, 150), REJECTED),
    (("\ud800", 100, None), REJECTED),          # no UTF-8 encoding
    (("a", "100", None), REJECTED),
    (("a", 100, "x"), REJECTED),
    (("a", Raises(), None), REJECTED),
    (("a", 100, Raises()), REJECTED),
    # dict form
    ({"key": 65, "down": 100}, (2, 0.0, 900.0)),
    ({"down": -1, "key": "a"}, (2, 0.0, 1001.0)),
    ({"type": "up", "key": "a", "down": 5}, REJECTED),
    ({"type": "down", "key": "a", "t": 5}, (2, 0.0, 995.0)),
    ({"type": 1, "key": "a", "t": 5}, (2, 0.0, 995.0)),
    ({"type": "UP", "key": "a", "t": 5}, (2, 0.0, 995.0)),
    ({"down": INF, "t": 7, "key": "a"}, (2, 0.0, 993.0)),
    ({"down": NAN, "t": Raises(), "time": 6}, (2, 0.0, 994.0)),
    ({"down": "12", "key": "a"}, REJECTED),
    ({"t": 3, "down": 9, "key": "a"}, (2, 0.0, 991.0)),
    ({"time": 4, "t": 8}, (2, 0.0, 992.0)),
    ({"key": "a"}, REJECTED),
    ({"down": 100, "duration_ms": 80, "key": "a"}, (2, 80.0, 820.0)),
    ({"down": 100, "up": "x", "duration_ms": 80, "key": "a"}, (2, 80.0, 820.0)),
    ({"down": 100, "up": 130, "duration_ms": 80}, (2, 30.0, 870.0)),
    ({"down": 100, "up": NAN, "key": "a"}, (2, 0.0, 0.0)),   # NaN up kept: flight base NaN
    ({"down": 100, "duration_ms": "x"}, (2, 0.0, 900.0)),
    ({"down": 100, "up": Raises(), "duration_ms": Raises()}, (2, 0.0, 900.0)),
])
def test_record_forms(record, expected):
    assert probe(record) == expected


@pytest.mark.parametrize("argument", [
    [], None, (("a", 0.0, 10.0),), {"key": "a", "down": 1}, "abc", 5, iter([("a", 0.0, 10.0)]),
    [5, None, "a", ["a", 1, 2], {"type": "up", "down": 1}],
])
def test_nothing_readable_gives_the_zero_report(argument):
    assert evaluate(argument) == ZERO


def test_list_subclass_is_read():
    class L(list):
        def __getitem__(self, i):
            raise AssertionError("items are fetched directly")

    assert evaluate(L([("a", 100, None), ("b", 200, None)]))["key_count"] == 2


def test_dict_subclass_lookup_hooks_play_no_part():
    class D(dict):
        def __getitem__(self, key):
            return 500.0

        def __missing__(self, key):
            return 500.0

        def get(self, key, default=None):
            return 500.0

    assert probe(D(key="a")) == REJECTED
    assert probe(D(down=100, key="a")) == (2, 0.0, 900.0)


def digraph_score(first, second):
    """0.4 exactly when `first` then `second` form a common digraph (slower than " t")."""
    events = [first, (second, 300.0, None), ("Enter", 1000.0, None), (" ", 1700.0, None),
              ("t", 1800.0, None)] + [("Enter", 4000.0 + 3000.0 * i, None) for i in range(3)]
    return evaluate(events)["keystroke_score"]


@pytest.mark.parametrize("first, second, score", [
    (("T", 0.0, None), "H", 0.4),
    (("\u212a", 0.0, None), "a", 0.4),          # KELVIN SIGN lower-cases to k: ka
    (("\u212a", 0.0, None), "A", 0.4),
    (("K", 0.0, None), "a", 0.4),
    ({"key": "t", "down": 0}, "h", 0.4),
    ({"key": 65, "down": 0}, "h", 0.0),         # "unknown" forms no digraph
    (("Shift", 0.0, None), "h", 0.0),
    (("\u0130", 0.0, None), "n", 0.0),          # İ lower-cases to two code points
    (("\u00c9", 0.0, None), "r", 0.0),
    (("x", 0.0, None), "h", 0.0),
])
def test_digraphs_from_python_keys(first, second, score):
    assert digraph_score(first, second) == score


def test_python_lower_gives_one_byte_only_for_ascii_and_kelvin():
    single_byte = {}
    for cp in range(0x110000):
        if 0xD800 <= cp <= 0xDFFF:
            continue
        lowered = chr(cp).lower().encode("utf-8")
        if len(lowered) == 1:
            single_byte[cp] = lowered
    expected = {cp: chr(cp).lower().encode() for cp in range(0x80)} | {0x212A: b"k"}
    assert single_byte == expected
    assert all(expected[ord(c)] == bytes([ord(c) + 32]) for c in "ABCDEFGHIJKLMNOPQRSTUVWXYZ")
    assert all(expected[cp] == bytes([cp]) for cp in range(0x80) if not 0x41 <= cp <= 0x5A)


def test_list_order_is_kept_across_record_forms():
    # Equal down times pair in list order: only "t then h" makes the slow common th.
    def score(first, second):
        junk = [5, None, ("a", 1), {"type": "up", "down": 500}]
        events = [("x", 400.0, None), first, *junk, second, ("h", 800.0, None), {"key": "q", "t": 1000},
                  ("z", 1200.0, None), ("Enter", 3000.0, None), ("Enter", 6000.0, None)]
        return evaluate(events)["keystroke_score"]

    assert score(("h", 500.0, None), {"key": "t", "down": 500}) == 0.4
    assert score({"key": "t", "down": 500}, ("h", 500.0, None)) == 0.0


def test_result_dict_order_and_types():
    r = evaluate([("a", 0, 10), ("b", 100, 110), ("c", 200, 230)])
    assert list(r) == RESULT_KEYS
    assert type(r["key_count"]) is int
    assert all(type(r[k]) is float for k in RESULT_KEYS[1:])
    assert r is not evaluate([("a", 0, 10), ("b", 100, 110), ("c", 200, 230)])


class ShrinksList:
    """A down time whose conversion empties (or trims) the list being read."""

    def __init__(self, target, keep):
        self.target, self.keep = target, keep

    def __float__(self):
        del self.target[self.keep:]
        return 100.0


@pytest.mark.parametrize("keep, count, dropped", [(0, 2, 1), (1, 2, 1), (2, 2, 0), (3, 3, 0)])
def test_list_that_shrinks_while_read(keep, count, dropped):
    records = [("x", 0.0, None), None, ("c", 300.0, None), {"key": "d", "down": 400}]
    mutator = ShrinksList(records, keep)
    records[1] = ("b", mutator, None)
    before = sys.getrefcount(mutator)
    assert evaluate(records)["key_count"] == count
    # Once the list has dropped the tuple holding it, nothing may keep it alive.
    assert sys.getrefcount(mutator) == before - dropped
    assert sys.exc_info() == (None, None, None)


def test_list_that_grows_while_read_is_read_to_its_first_length():
    records = []

    class Grows:
        def __float__(self):
            records.extend([("late", 5.0, None)] * 3)
            return 1.0

    records += [("a", Grows(), None), ("b", 2.0, None)]
    assert evaluate(records)["key_count"] == 2


def test_no_error_is_left_pending():
    def raising_records():
        return [("a", Raises(), None), {"down": Raises(), "key": "\ud800"}, ("\udfff", 1, 2),
                {"down": 1, "up": Raises(), "duration_ms": Raises()}]

    for _ in range(3):
        r = evaluate(raising_records())
        assert sys.exc_info() == (None, None, None)
        assert r["key_count"] == 1
        assert int("5") + 1 == 6


@pytest.mark.parametrize("call, message", [
    (lambda: evaluate(), "evaluate_keystroke_dynamics_rs() missing 1 required positional argument: 'keystrokes'"),
    (lambda: evaluate([], []), "evaluate_keystroke_dynamics_rs() takes 1 positional arguments but 2 were given"),
    (lambda: evaluate(keys=[]), "evaluate_keystroke_dynamics_rs() got an unexpected keyword argument 'keys'"),
    (lambda: evaluate([], keystrokes=[]), "evaluate_keystroke_dynamics_rs() got multiple values for argument 'keystrokes'"),
])
def test_call_shape_errors(call, message):
    with pytest.raises(TypeError) as info:
        call()
    assert str(info.value) == message


def test_keyword_argument():
    assert evaluate(keystrokes=[("a", 0, 10)])["key_count"] == 1


def test_memory_stays_flat_over_many_calls():
    good = [("t", 0.0, 80.0), {"key": "h", "t": 120.0, "duration_ms": 70.0}, ("e", 260.0, None)] * 20
    bad = [("a", Raises(), None), {"down": Raises()}, ("\ud800", 1, 2), [1, 2, 3], {"type": "up", "down": 1},
           T(("b", 1, None)), {"key": 5, "down": 3, "up": "x", "duration_ms": 2}]

    def run(n):
        for _ in range(n):
            evaluate(good)
            evaluate(bad)
            evaluate(good + bad)
            evaluate(None)

    run(2000)
    before = sys.getallocatedblocks()
    run(10000)
    assert sys.getallocatedblocks() - before < 100


# Group means that sum to differently rounded values in different orders, placed so
# that the common digraph th sits exactly at 1.05 times the mean of the other groups
# when they are summed in first-seen order (score 0.4), and below it in most other
# orders (score 0.0).
OTHER_LATENCIES = [270.9051323208492, 226.07944234181446, 1598.447364915939,
                   546.5453976679757, 1748.0831716971065, 1870.0197409540833]
OTHER_KEYS = "xzjvwy"


def left_to_right_mean(values):
    # Not sum(): it compensates rounding, which is exactly what must not happen here.
    return functools.reduce(operator.add, values) / len(values)


def order_sensitive_events():
    events, down = [], 0.0
    for key, latency in zip(OTHER_KEYS, OTHER_LATENCIES):
        events += [(key, down, None), ("q", down + latency, None)]
        down = down + latency + 3000.0
        events.append(("Shift", down, None))
        down += 3000.0
    others = [events[i + 1][1] - events[i][1] for i in range(0, len(events), 3)]
    common = 1.05 * left_to_right_mean(others)
    return events + [("t", down, None), ("h", down + common, None)], others, common


def test_order_sensitive_input_really_is_sensitive():
    _, others, common = order_sensitive_events()
    orders = list(itertools.permutations(others))
    flipped = sum(not common >= 1.05 * left_to_right_mean(p) for p in orders)
    assert flipped > len(orders) // 2


def test_score_is_the_same_in_fresh_processes():
    script = (
        "import sys; sys.path[:0] = " + repr(sys.path) + "\n"
        "import test_keystrokes as t\n"
        "print(repr(t.evaluate(t.order_sensitive_events()[0])))\n"
    )
    runs = [subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                           cwd=pathlib.Path(__file__).parent, check=True).stdout
            for _ in range(6)]
    assert len(set(runs)) == 1
    in_process = evaluate(order_sensitive_events()[0])
    assert runs[0].strip() == repr(in_process)
    assert in_process["keystroke_score"] == 0.4
