"""evaluate_curvature_naturalness_rs and evaluate_curvature_zerocopy_rs."""

import array
import math

import numpy as np
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import velmora_core_rs as core

NATURALNESS = core.evaluate_curvature_naturalness_rs
ZEROCOPY = core.evaluate_curvature_zerocopy_rs
BOTH = pytest.mark.parametrize("evaluate", [NATURALNESS, ZEROCOPY], ids=["naturalness", "zerocopy"])
KEYS = ["curvature_score", "mean_curvature", "curvature_var", "curvature_rate_var"]

LINE = ([0, 1, 2, 3, 4], [0, 0, 0, 0, 0], [0, 10, 20, 30, 40])
# A path whose curvature varies, so a wrong sample or a wrong pairing shows.
WOBBLE = (
    [0, 3, 7, 8, 14, 15, 21, 30, 31],
    [0, 2, 1, 6, 5, 9, 14, 12, 20],
    [0, 16, 33, 48, 64, 81, 96, 112, 129],
)


def reference(x, y, t):
    """The curvature statistics written out plainly, in the same evaluation order."""
    n = min(len(x), len(y), len(t))
    if n < 4:
        return {k: 0.0 for k in KEYS}
    x, y, t = ([float(v) for v in s[:n]] for s in (x, y, t))
    floor = lambda v: v if v > 0.1 else 0.1  # noqa: E731  (NaN gives the floor too)
    dt = [floor(t[k + 1] - t[k]) for k in range(n - 1)]
    vx = [(x[k + 1] - x[k]) / dt[k] for k in range(n - 1)]
    vy = [(y[k + 1] - y[k]) / dt[k] for k in range(n - 1)]
    tm = [(dt[k + 1] + dt[k]) * 0.5 for k in range(n - 2)]
    ax = [(vx[k + 1] - vx[k]) / tm[k] for k in range(n - 2)]
    ay = [(vy[k + 1] - vy[k]) / tm[k] for k in range(n - 2)]
    kappa = []
    for k in range(n - 2):
        s = vx[k + 1] * vx[k + 1] + vy[k + 1] * vy[k + 1] + 1e-6
        kappa.append(abs(vx[k + 1] * ay[k] - vy[k + 1] * ax[k]) / (s * math.sqrt(s)))
    rate = [(kappa[k + 1] - kappa[k]) / floor(tm[k + 1]) for k in range(n - 3)]

    def mean_var(values):
        total = 0.0
        for v in values:
            total += v
        mean = total / len(values)
        squares = 0.0
        for v in values:
            squares += (v - mean) * (v - mean)
        return mean, squares / len(values)

    mean, var = mean_var(kappa)
    _, rate_var = mean_var(rate)
    if mean < 1e-6 and var < 1e-7:
        score = 0.95
    elif var < 1e-4 and rate_var < 1e-8:
        score = 0.9
    elif var > 10 or rate_var > 5:
        score = 0.85
    elif sum(1 for v in kappa if v > 0.1) > (n - 2) // 2 and rate_var > 2:
        score = 0.75
    else:
        score = 0.1
    return {"curvature_score": score, "mean_curvature": mean, "curvature_var": var, "curvature_rate_var": rate_var}


def float_conversion_message(obj):
    """The interpreter's own TypeError text for float conversion of `obj`."""
    with pytest.raises(TypeError) as info:
        math.isfinite(obj)
    return str(info.value)


# ---- results ----------------------------------------------------------------


@BOTH
def test_straight_line_from_ints_gives_float_dict_in_key_order(evaluate):
    result = evaluate(*LINE)
    assert list(result) == KEYS
    assert all(type(v) is float for v in result.values())
    assert result == {"curvature_score": 0.95, "mean_curvature": 0.0, "curvature_var": 0.0, "curvature_rate_var": 0.0}


@BOTH
def test_matches_reference_on_a_curved_path(evaluate):
    assert evaluate(*WOBBLE) == reference(*WOBBLE)
    assert evaluate(*WOBBLE)["mean_curvature"] > 0.0


@BOTH
@pytest.mark.parametrize(
    "convert",
    [
        list,
        tuple,
        lambda s: array.array("d", s),
        lambda s: array.array("i", s),
        lambda s: np.array(s, dtype=np.float64),
        lambda s: np.array(s, dtype=np.int64),
        lambda s: np.array(s, dtype=np.float32),
        lambda s: bytes(s),
        lambda s: bytearray(s),
    ],
    ids=["list", "tuple", "array-d", "array-i", "np-f64", "np-i64", "np-f32", "bytes", "bytearray"],
)
def test_every_sequence_form_gives_the_same_result(evaluate, convert):
    # Small non-negative integers, so that every form (bytes included) holds them exactly.
    assert evaluate(*(convert(s) for s in WOBBLE)) == reference(*WOBBLE)


@BOTH
def test_range_and_bytes_read_as_numbers(evaluate):
    assert evaluate(range(5), *LINE[1:]) == evaluate(*LINE)
    assert evaluate(b"\x00\x01\x02\x03", [0, 1, 0, 1], [0, 1, 2, 3]) == evaluate(
        [0.0, 1.0, 2.0, 3.0], [0, 1, 0, 1], [0, 1, 2, 3]
    )


def test_keyword_calls():
    assert ZEROCOPY(t_obj=LINE[2], x_obj=LINE[0], y_obj=LINE[1]) == ZEROCOPY(*LINE)
    assert NATURALNESS(LINE[0], t=LINE[2], y=LINE[1]) == NATURALNESS(*LINE)


@BOTH
@pytest.mark.parametrize("lengths", [(0, 0, 0), (3, 9, 9), (9, 3, 9), (9, 9, 3), (1, 2, 3)])
def test_shortest_input_below_four_gives_all_zeros(evaluate, lengths):
    args = [s[:k] for s, k in zip(WOBBLE, lengths)]
    assert evaluate(*args) == {k: 0.0 for k in KEYS}


@BOTH
def test_lengths_5_9_7_use_the_first_5_values(evaluate):
    x, y, t = WOBBLE
    assert evaluate(x[:5], y, t[:7]) == evaluate(x[:5], y[:5], t[:5]) == reference(x[:5], y[:5], t[:5])


@BOTH
def test_unread_tail_values_are_still_converted(evaluate):
    x, y, t = WOBBLE
    with pytest.raises(TypeError):
        evaluate(x[:5], y + ["late"], t)


@BOTH
def test_nan_in_x_gives_nan_statistics_and_score_0_1(evaluate):
    x = list(WOBBLE[0])
    x[3] = float("nan")
    result = evaluate(x, *WOBBLE[1:])
    assert result["curvature_score"] == 0.1
    assert all(math.isnan(result[k]) for k in KEYS[1:])


# ---- refusals ---------------------------------------------------------------


def gen():
    yield from range(4)


REFUSED = [
    # (arguments, argument name, unprefixed message)
    (("abc", [0.0], [0.0]), "x", "Can't extract `str` to `Vec`"),
    (("0123", [0.0] * 4, [0.0] * 4), "x", "Can't extract `str` to `Vec`"),
    ((type("Text", (str,), {})("0123"), [0.0] * 4, [0.0] * 4), "x", "Can't extract `str` to `Vec`"),
    (([0.0] * 4, {1.0, 2.0}, [0.0] * 4), "y", "'set' object cannot be converted to 'Sequence'"),
    (([0.0] * 4, gen(), [0.0] * 4), "y", "'generator' object cannot be converted to 'Sequence'"),
    (([0.0] * 4, [0.0] * 4, (v for v in range(4))), "t", "'generator' object cannot be converted to 'Sequence'"),
    (([0.0] * 4, [0.0] * 4, iter([0.0] * 4)), "t", "'list_iterator' object cannot be converted to 'Sequence'"),
    (({"a": 1.0}, [0.0] * 4, [0.0] * 4), "x", "'dict' object cannot be converted to 'Sequence'"),
    ((4.0, [0.0] * 4, [0.0] * 4), "x", "'float' object cannot be converted to 'Sequence'"),
    (([0.0, None], [0.0, 0.0], [0.0, 1.0]), "x", float_conversion_message(None)),
    (((0.0, None), [0.0, 0.0], [0.0, 1.0]), "x", float_conversion_message(None)),
    (([0.0] * 4, [1.0, "a"], [0.0] * 4), "y", float_conversion_message("a")),
    (([0.0] * 4, (1.0, "a"), [0.0] * 4), "y", float_conversion_message("a")),
    # The first failing argument decides.
    (("abc", {1.0}, None), "x", "Can't extract `str` to `Vec`"),
]


@pytest.mark.parametrize("args, name, message", REFUSED)
def test_refusals_carry_the_argument_name_only_in_the_naturalness_form(args, name, message):
    with pytest.raises(TypeError) as prefixed:
        NATURALNESS(*args)
    assert type(prefixed.value) is TypeError
    assert str(prefixed.value) == f"argument '{name}': {message}"
    with pytest.raises(TypeError) as plain:
        ZEROCOPY(*args)
    assert type(plain.value) is TypeError
    assert str(plain.value) == message


def test_non_sequence_is_named_by_its_qualified_type_name():
    class Point:
        pass

    with pytest.raises(TypeError, match="^'test_non_sequence_is_named_by_its_qualified_type_name.<locals>.Point' "
                                        "object cannot be converted to 'Sequence'$"):
        ZEROCOPY(Point(), [0.0], [0.0])


class BadFloat:
    def __init__(self, error):
        self.error = error

    def __float__(self):
        raise self.error


class NarrowTypeError(TypeError):
    pass


@BOTH
@pytest.mark.parametrize("error", [ValueError("no float here"), NarrowTypeError("subclass passes")])
@pytest.mark.parametrize("container", [list, tuple])
def test_other_exceptions_from_float_pass_through_unprefixed(evaluate, error, container):
    with pytest.raises(type(error)) as info:
        evaluate([0.0] * 4, container([0.0, BadFloat(error)]), [0.0] * 4)
    assert type(info.value) is type(error)
    assert str(info.value) == str(error)


class ItemsThenError:
    """A sequence through __getitem__ alone, failing at index 2."""

    def __init__(self, error):
        self.error = error

    def __getitem__(self, i):
        if i < 2:
            return float(i)
        raise self.error


@pytest.mark.parametrize(
    "error, prefixed",
    [(RuntimeError("iteration broke"), False), (TypeError("iteration broke"), True)],
)
def test_an_error_from_iteration_is_raised_as_a_conversion_error(error, prefixed):
    with pytest.raises(type(error)) as info:
        NATURALNESS([0.0] * 4, ItemsThenError(error), [0.0] * 4)
    assert str(info.value) == ("argument 'y': iteration broke" if prefixed else "iteration broke")
    with pytest.raises(type(error), match="^iteration broke$"):
        ZEROCOPY([0.0] * 4, ItemsThenError(error), [0.0] * 4)


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: NATURALNESS(), "evaluate_curvature_naturalness_rs() missing 3 required positional arguments: "
                                "'x', 'y', and 't'"),
        (lambda: ZEROCOPY([0.0], [0.0]), "evaluate_curvature_zerocopy_rs() missing 1 required positional argument: "
                                         "'t_obj'"),
        (lambda: ZEROCOPY([0.0], [0.0], [0.0], x=[0.0]), "evaluate_curvature_zerocopy_rs() got an unexpected "
                                                         "keyword argument 'x'"),
    ],
)
def test_call_shape_errors(call, message):
    with pytest.raises(TypeError) as info:
        call()
    assert str(info.value) == message


# ---- reported lengths only size the vector ----------------------------------


class HugeLength:
    """Claims an absurd length; really holds five items."""

    def __init__(self, values, length=2**62):
        self.values, self.length = values, length

    def __len__(self):
        if isinstance(self.length, BaseException):
            raise self.length
        return self.length

    def __getitem__(self, i):
        if i >= len(self.values):
            raise IndexError(i)
        return self.values[i]


@BOTH
@pytest.mark.parametrize(
    "length", [2**62, 2**63 - 1, 2**64, 0, RuntimeError("no length")],
    ids=["2**62", "maxsize", "overflows", "zero", "raises"],
)
def test_reported_length_is_only_a_hint(evaluate, length):
    x, y, t = (s[:5] for s in WOBBLE)
    assert evaluate(HugeLength(x, length), HugeLength(y, length), HugeLength(t, length)) == evaluate(x, y, t)


def test_a_list_grown_during_conversion_is_read_like_its_iterator():
    # An item's __float__ appends to the list being converted: iteration sees the new items.
    x = [0.0, 1.0]

    class Grows:
        def __float__(self):
            while len(x) < 6:
                x.append(float(len(x)))
            return 2.0

    x.append(Grows())
    y, t = [0.0, 1.0, 0.0, 1.0, 0.0, 1.0], [0.0, 1.0, 2.0, 3.0, 4.0, 5.0]
    result = ZEROCOPY(x, y, t)
    assert len(x) == 6
    assert result == reference([0.0, 1.0, 2.0, 3.0, 4.0, 5.0], y, t)


# ---- against the plain reference --------------------------------------------

coordinate = st.floats(-1e4, 1e4, allow_nan=False, allow_infinity=False)
timestamp = st.floats(-1e3, 1e5, allow_nan=False, allow_infinity=False)


@settings(max_examples=300, deadline=None)
@given(
    st.lists(st.tuples(coordinate, coordinate, timestamp), min_size=0, max_size=40),
    st.booleans(),
)
def test_matches_reference_exactly_on_random_paths(points, sorted_times):
    x = [p[0] for p in points]
    y = [p[1] for p in points]
    t = sorted(p[2] for p in points) if sorted_times else [p[2] for p in points]
    expected = reference(x, y, t)
    for evaluate in (NATURALNESS, ZEROCOPY):
        result = evaluate(x, y, t)
        assert list(result) == KEYS
        # Same operations in the same order on IEEE doubles: equal to the last bit.
        assert result == expected

