"""Argument binding: matching, the call-shape messages, conversions and argument prefixes.

Calls go through the real registered functions. Only the binding outcome is asserted
here; what each function computes is tested with its subsystem.
"""

import array
import gc
import re

import pytest

import velmora_core_rs as core

NOW_PLUS = 4_000_000_000  # an absolute expiry far in the future


def raises_exactly(exc_type, message, fn, *args, **kwargs):
    with pytest.raises(BaseException) as info:
        fn(*args, **kwargs)
    assert type(info.value) is exc_type, repr(info.value)
    assert str(info.value) == message
    return info.value


# --- matching ---------------------------------------------------------------------------

@pytest.mark.parametrize(
    "fn,args,kwargs,message",
    [
        (core.ban_ip_rs, ("10.0.0.1",), {},
         "ban_ip_rs() missing 1 required positional argument: 'duration_sec'"),
        (core.ban_ip_rs, (), {}, "ban_ip_rs() missing 2 required positional arguments: 'ip' and 'duration_sec'"),
        (core.ban_ip_rs, (), {"duration_sec": 5}, "ban_ip_rs() missing 1 required positional argument: 'ip'"),
        (core.evaluate_curvature_naturalness_rs, (), {},
         "evaluate_curvature_naturalness_rs() missing 3 required positional arguments: 'x', 'y', and 't'"),
        (core.evaluate_curvature_zerocopy_rs, ([], []), {},
         "evaluate_curvature_zerocopy_rs() missing 1 required positional argument: 't_obj'"),
        (core.evaluate_curvature_zerocopy_rs, (), {"y_obj": []},
         "evaluate_curvature_zerocopy_rs() missing 2 required positional arguments: 'x_obj' and 't_obj'"),
        (core.extract_features_rs, (), {}, "extract_features_rs() missing 1 required positional argument: 'telemetry'"),
        (core.consume_nonce_rs, ("a", "b"), {}, "consume_nonce_rs() takes 1 positional arguments but 2 were given"),
        (core.ban_ip_rs, ("a", 1, 2), {}, "ban_ip_rs() takes 2 positional arguments but 3 were given"),
        (core.consume_nonce_rs, ("a",), {"nonce": "b"}, "consume_nonce_rs() got multiple values for argument 'nonce'"),
        (core.consume_nonce_rs, (), {"token": "a"}, "consume_nonce_rs() got an unexpected keyword argument 'token'"),
        (core.consume_nonce_rs, (), {"Nonce": "a"}, "consume_nonce_rs() got an unexpected keyword argument 'Nonce'"),
        # precedence: too many positionals wins over an unknown keyword ...
        (core.consume_nonce_rs, ("a", "b"), {"token": 1},
         "consume_nonce_rs() takes 1 positional arguments but 2 were given"),
        # ... and an unknown keyword over a missing parameter
        (core.ban_ip_rs, (), {"token": 1}, "ban_ip_rs() got an unexpected keyword argument 'token'"),
        # keywords are visited in insertion order: the first offending one is reported
        (core.ban_ip_rs, ("a",), {"ip": "b", "zzz": 1}, "ban_ip_rs() got multiple values for argument 'ip'"),
        (core.ban_ip_rs, ("a",), {"zzz": 1, "ip": "b"}, "ban_ip_rs() got an unexpected keyword argument 'zzz'"),
        # matching happens before any conversion
        (core.ban_ip_rs, (b"bytes",), {}, "ban_ip_rs() missing 1 required positional argument: 'duration_sec'"),
    ],
)
def test_call_shape_errors(fn, args, kwargs, message):
    raises_exactly(TypeError, message, fn, *args, **kwargs)


def test_unencodable_keyword_is_unexpected_and_shown_with_replacement_characters():
    raises_exactly(TypeError, "consume_nonce_rs() got an unexpected keyword argument '\ufffd\ufffd\ufffdx'",
                   core.consume_nonce_rs, **{"\udcffx": "a"})


def test_keyword_mixes_are_accepted():
    core.clear_state_engine_rs()
    assert core.ban_ip_rs(duration_sec=60, ip="10.0.0.1") is None
    assert core.ban_ip_rs("10.0.0.2", duration_sec=60) is None
    assert core.is_ip_banned_rs(ip="10.0.0.1") is True
    assert core.consume_nonce_rs(nonce="kw-nonce") is True
    path = dict(x_obj=[0, 1, 2, 3], y_obj=[0, 0, 0, 0], t_obj=[0, 1, 2, 3])
    assert core.evaluate_curvature_zerocopy_rs(**path) == core.evaluate_curvature_zerocopy_rs(*path.values())
    assert core.extract_features_rs(telemetry={}) == core.extract_features_rs({})
    assert core.evaluate_keystroke_dynamics_rs(keystrokes=[])["key_count"] == 0
    core.clear_state_engine_rs()


# --- UTF-8 strings ----------------------------------------------------------------------

class StrSubclass(str):
    pass


@pytest.mark.parametrize(
    "value,type_name",
    [(b"abc", "bytes"), (None, "NoneType"), (1, "int"), (True, "bool"), (["a"], "list"), (bytearray(b"a"), "bytearray")],
)
def test_non_strings_are_refused_with_the_argument_name(value, type_name):
    raises_exactly(TypeError, f"argument 'nonce': '{type_name}' object cannot be converted to 'PyString'",
                   core.consume_nonce_rs, value)
    raises_exactly(TypeError, f"argument 'ip': '{type_name}' object cannot be converted to 'PyString'",
                   core.ban_ip_rs, value, 5)


def test_lone_surrogate_raises_the_interpreters_encoding_error_unprefixed():
    with pytest.raises(UnicodeEncodeError) as info:
        core.consume_nonce_rs("abc\udc80")
    assert not str(info.value).startswith("argument")


def test_str_subclass_is_accepted():
    core.clear_state_engine_rs()
    assert core.consume_nonce_rs(StrSubclass("sub")) is True
    assert core.consume_nonce_rs("sub") is False
    core.clear_state_engine_rs()


# --- unsigned 64-bit integers -----------------------------------------------------------

class Index:
    def __init__(self, value):
        self.value = value

    def __index__(self):
        if isinstance(self.value, BaseException):
            raise self.value
        return self.value


@pytest.mark.parametrize("value", [-1, -(2**70), 2**64, 2**100, Index(-5)])
def test_out_of_range_integers_raise_overflow_unprefixed(value):
    with pytest.raises(OverflowError) as info:
        core.ban_ip_rs("10.0.0.1", value)
    assert type(info.value) is OverflowError
    assert not str(info.value).startswith("argument")


@pytest.mark.parametrize("value", [1.5, 60.0, "60", None, [60]])
def test_non_integers_raise_a_prefixed_type_error(value):
    with pytest.raises(TypeError, match=r"^argument 'duration_sec': ") as info:
        core.ban_ip_rs("10.0.0.1", value)
    assert type(info.value) is TypeError
    assert "cannot be interpreted as an integer" in str(info.value)


def test_accepted_integer_forms():
    core.clear_state_engine_rs()
    for value in (True, 0, 2**64 - 1, Index(30)):
        assert core.ban_ip_rs("10.0.0.9", value) is None
    core.clear_state_engine_rs()


def test_index_errors_pass_through_and_type_errors_are_prefixed_with_cause():
    raises_exactly(ValueError, "nope", core.ban_ip_rs, "a", Index(ValueError("nope")))
    cause = KeyError("why")
    err = TypeError("bad index")
    err.__cause__ = cause
    replaced = raises_exactly(TypeError, "argument 'duration_sec': bad index", core.ban_ip_rs, "a", Index(err))
    assert replaced.__cause__ is cause


def test_type_error_subclasses_are_not_prefixed():
    class MyTypeError(TypeError):
        pass

    raises_exactly(MyTypeError, "custom", core.ban_ip_rs, "a", Index(MyTypeError("custom")))


def test_ip_is_converted_before_duration():
    raises_exactly(TypeError, "argument 'ip': 'int' object cannot be converted to 'PyString'",
                   core.ban_ip_rs, 5, 1.5)


# --- arguments outlive the conversion of the others --------------------------------------

PARAMETERS = {"x", "y", "t", "ip", "duration_sec"}


class ClearsTheCallsKeywords:
    """Converts as `value`, but first clears the keyword dict of the call it is an argument
    of (in `f(**{...})` that dict is the arguments' only owner; the garbage collector finds
    it) and fills the freed memory with other objects of the same sizes."""

    def __init__(self, value):
        self.value = value
        self.filler = []

    def clear_the_call(self):
        holders = gc.get_referrers(self)
        holders += [outer for inner in holders if type(inner) is list for outer in gc.get_referrers(inner)]
        for holder in holders:
            if type(holder) is dict and holder and set(holder) <= PARAMETERS:
                holder.clear()
        self.filler = [[9.0] * 4 for _ in range(16)] + ["9" * 12 for _ in range(16)]

    def __float__(self):
        self.clear_the_call()
        return float(self.value)

    def __index__(self):
        self.clear_the_call()
        return int(self.value)


def test_arguments_outlive_a_conversion_that_frees_the_keyword_dict():
    y, t = [0.0, 3.0, 3.0, 0.0, 1.0], [0.0, 10.0, 20.0, 30.0, 45.0]
    expected = core.evaluate_curvature_naturalness_rs([0.0, 3.0, 0.0, 3.0, 1.0], y, t)
    got = core.evaluate_curvature_naturalness_rs(
        **{"x": [ClearsTheCallsKeywords(0.0), 3.0, 0.0, 3.0, 1.0], "y": list(y), "t": list(t)})
    assert got == expected

    core.clear_state_engine_rs()
    # The address is built at run time, so that the keyword dict is its only owner.
    assert core.ban_ip_rs(**{"ip": "".join(["203.0.113.", "77"]), "duration_sec": ClearsTheCallsKeywords(3600)}) is None
    assert core.is_ip_banned_rs("203.0.113.77") is True
    assert core.get_state_engine_stats_rs()["active_ip_bans"] == 1
    core.clear_state_engine_rs()


# --- vectors of floats ------------------------------------------------------------------

class Outer:
    class NotASequence:
        pass


def generator():
    yield 1.0


@pytest.mark.parametrize(
    "value,type_name",
    [({1.0}, "set"), ({"a": 1}, "dict"), (generator(), "generator"), (iter([1.0]), "list_iterator"),
     (None, "NoneType"), (5, "int"), (5.0, "float"), (Outer.NotASequence(), "Outer.NotASequence")],
)
def test_non_sequences_are_refused(value, type_name):
    raises_exactly(TypeError, f"argument 'y': '{type_name}' object cannot be converted to 'Sequence'",
                   core.evaluate_curvature_naturalness_rs, [0.0], value, [0.0])
    raises_exactly(TypeError, f"'{type_name}' object cannot be converted to 'Sequence'",
                   core.evaluate_curvature_zerocopy_rs, [0.0], value, [0.0])


@pytest.mark.parametrize("value", ["abc", "", StrSubclass("0123")])
def test_strings_are_refused_as_vectors(value):
    raises_exactly(TypeError, "argument 'x': Can't extract `str` to `Vec`",
                   core.evaluate_curvature_naturalness_rs, value, [0.0], [0.0])
    raises_exactly(TypeError, "Can't extract `str` to `Vec`", core.evaluate_curvature_zerocopy_rs, value, [0.0], [0.0])


class Floaty:
    def __init__(self, value):
        self.value = value

    def __float__(self):
        if isinstance(self.value, BaseException):
            raise self.value
        return self.value


def test_item_conversion_errors():
    raises_exactly(TypeError, "argument 't': must be real number, not str",
                   core.evaluate_curvature_naturalness_rs, [0.0], [0.0], [1.0, "a"])
    raises_exactly(TypeError, "must be real number, not NoneType",
                   core.evaluate_curvature_zerocopy_rs, [0.0, None], [0.0], [0.0])
    raises_exactly(ZeroDivisionError, "boom",
                   core.evaluate_curvature_naturalness_rs, [Floaty(ZeroDivisionError("boom"))], [0.0], [0.0])
    # the first failing argument ends the call: y is never looked at
    raises_exactly(TypeError, "argument 'x': must be real number, not list",
                   core.evaluate_curvature_naturalness_rs, [[1.0]], {1}, [0.0])


class FailingIteration:
    """A sequence whose iterator raises part-way through."""

    def __init__(self, exc):
        self.exc = exc

    def __len__(self):
        return 3

    def __getitem__(self, i):
        if i == 1:
            raise self.exc
        if i >= 3:
            raise IndexError(i)
        return float(i)


def test_iterator_errors_pass_through_subject_to_prefixing():
    raises_exactly(RuntimeError, "mid-way", core.evaluate_curvature_naturalness_rs,
                   FailingIteration(RuntimeError("mid-way")), [0.0], [0.0])
    raises_exactly(TypeError, "argument 'x': mid-way", core.evaluate_curvature_naturalness_rs,
                   FailingIteration(TypeError("mid-way")), [0.0], [0.0])


class LyingLength:
    """Claims an absurd length (or fails to answer one) but holds only five items."""

    def __init__(self, length):
        self.length = length

    def __len__(self):
        if isinstance(self.length, BaseException):
            raise self.length
        return self.length

    def __getitem__(self, i):
        if i >= 5:
            raise IndexError(i)
        return float(i)


@pytest.mark.parametrize("length", [2**62, 2**63 - 1, ValueError("no length"), 0])
def test_reported_length_only_sizes_the_vector(length):
    square = {"curvature_score": 0.95, "mean_curvature": 0.0, "curvature_var": 0.0, "curvature_rate_var": 0.0}
    result = core.evaluate_curvature_zerocopy_rs(LyingLength(length), [0.0] * 5, [0, 10, 20, 30, 40])
    assert result == square


def test_accepted_sequence_forms_give_the_same_values():
    reference = core.evaluate_curvature_naturalness_rs([0.0, 1.0, 2.0, 3.0], [0.0, 1.0, 4.0, 9.0], [0, 1, 2, 3])
    forms = [
        (b"\x00\x01\x02\x03", bytearray(b"\x00\x01\x04\x09"), range(4)),
        ((0, 1, 2, 3), array.array("d", [0, 1, 4, 9]), array.array("i", [0, 1, 2, 3])),
        ([False, True, 2, Index(3)], [Floaty(0.0), 1, 4, 9.0], [0, 1, 2, 3]),
    ]
    for x, y, t in forms:
        assert core.evaluate_curvature_naturalness_rs(x, y, t) == reference


# --- tuples of fixed length and the bans list -------------------------------------------

@pytest.mark.parametrize(
    "bans,exc_type,message",
    [
        ("a", TypeError, "argument 'bans': Can't extract `str` to `Vec`"),
        ({"a": 1}, TypeError, "argument 'bans': 'dict' object cannot be converted to 'Sequence'"),
        (None, TypeError, "argument 'bans': 'NoneType' object cannot be converted to 'Sequence'"),
        ([["a", NOW_PLUS]], TypeError, "argument 'bans': 'list' object cannot be converted to 'PyTuple'"),
        ([("a", NOW_PLUS, "x")], ValueError, "expected tuple of length 2, but got tuple of length 3"),
        ([()], ValueError, "expected tuple of length 2, but got tuple of length 0"),
        ([(1, NOW_PLUS)], TypeError, "argument 'bans': 'int' object cannot be converted to 'PyString'"),
        ([("a", -1)], OverflowError, "can't convert negative int to unsigned"),
    ],
)
def test_bans_conversion_errors(bans, exc_type, message):
    raises_exactly(exc_type, message, core.hydrate_bans_rs, bans)


def test_bans_float_expiry_is_a_prefixed_type_error():
    with pytest.raises(TypeError, match=r"^argument 'bans': 'float' object cannot be interpreted as an integer"):
        core.hydrate_bans_rs([("a", float(NOW_PLUS))])


def test_tuple_subclass_is_accepted():
    class Pair(tuple):
        pass

    core.clear_state_engine_rs()
    assert core.hydrate_bans_rs([Pair(("10.1.1.1", NOW_PLUS))]) is None
    assert core.is_ip_banned_rs("10.1.1.1") is True
    core.clear_state_engine_rs()


def test_no_exception_is_left_pending_after_any_refusal():
    for call in (lambda: core.consume_nonce_rs(b"x"), lambda: core.ban_ip_rs("a", -1),
                 lambda: core.hydrate_bans_rs([[1]])):
        with pytest.raises(Exception):
            call()
        # A pending error would surface as SystemError on the next C call.
        assert re.match(r"\d", core.get_core_version())


def test_numpy_arrays_convert_like_their_items():
    np = pytest.importorskip("numpy")
    rng = np.random.default_rng(7)
    x, y = rng.normal(size=64), rng.normal(size=64)
    x[5], y[9] = np.nan, -0.0
    t = np.arange(64.0)

    class Sub(np.ndarray):
        pass

    variants = [x, x[::-3], x.astype(">f8"), x.astype(np.float32), np.asfortranarray(x), x.view(Sub),
                np.arange(64, dtype=np.int64)]
    for v in variants:
        got = core.evaluate_curvature_zerocopy_rs(v, y[: len(v)], t[: len(v)])
        want = core.evaluate_curvature_zerocopy_rs([float(i) for i in v], list(y[: len(v)]), list(t[: len(v)]))
        assert repr(got) == repr(want)  # repr: NaN compares unequal to itself
    raises_exactly(TypeError, "argument 'x': only 0-dimensional arrays can be converted to Python scalars",
                   core.evaluate_curvature_naturalness_rs, np.zeros((3, 3)), [0.0], [0.0])
