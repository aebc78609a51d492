"""Coverage-guided fuzzing of all thirteen functions of velmora_core_rs (`make fuzz`).

The first input byte picks a target: one of the thirteen functions with fitting but
hostile arguments, a sequence of state-engine operations checked against a model,
any function called with arbitrary positional and keyword arguments, raw bytes through
velmora_core.extract_features_json compared with json.loads + extract_features_rs, or a
session through velmora_core._native's one-read row (a hostile dict, or raw bytes compared
with the row of json.loads' object). The rest of the
input is spent by values.Gen. A finding is a sanitizer report or any Python exception
that escapes TestOneInput: an exception of a kind the function may not raise, or a
result whose shape is wrong.

    python fuzz/fuzz_core.py [libFuzzer flags] [corpus dirs]
"""

from __future__ import annotations

import json
import math
import struct
import sys
import time
import warnings
from collections.abc import Callable
from typing import Any

import atheris
import numpy  # noqa: F401  (imported first, so that only the value generators get Python coverage)

with atheris.instrument_imports():
    from values import Gen, HostileError, KeywordClearer

import velmora_core_rs as core

from velmora_core import _native, extract_features_json

# Exceptions the converting functions may raise for bad arguments; HostileError is what
# the fuzzer's own objects raise and must pass through unchanged.
ARGUMENT_ERRORS = (TypeError, ValueError, OverflowError, UnicodeEncodeError, HostileError)

FEATURES = core.extract_features_rs(None)
KEYSTROKES = core.evaluate_keystroke_dynamics_rs([])
CURVATURE_KEYS = ["curvature_score", "mean_curvature", "curvature_var", "curvature_rate_var"]
STATS_KEYS = ["current_bucket_nonces", "previous_bucket_nonces", "active_ip_bans"]
VERSION = core.get_core_version()


def same_shape(result: Any, baseline: dict[str, Any]) -> None:
    """Same keys in the same order, and each value of exactly the baseline's type."""
    assert type(result) is dict, type(result)
    assert list(result) == list(baseline), list(result)
    for key, value in result.items():
        assert type(value) is type(baseline[key]), (key, type(value))


def same_floats(a: dict[str, float], b: dict[str, float]) -> bool:
    return all(a[k] == b[k] or (math.isnan(a[k]) and math.isnan(b[k])) for k in a)


def check_curvature(result: Any, lengths: list[int] | None) -> None:
    assert type(result) is dict and list(result) == CURVATURE_KEYS, result
    assert all(type(v) is float for v in result.values()), result
    if lengths is not None and min(lengths) < 4:
        assert all(v == 0.0 and math.copysign(1.0, v) == 1.0 for v in result.values()), result


def length_of(value: Any) -> int | None:
    """The number of items a plain sequence will yield, or None when it cannot be known."""
    if isinstance(value, (list, tuple, range, bytes, bytearray)) and type(value) in (
        list, tuple, range, bytes, bytearray
    ):
        return len(value)
    if type(value).__module__ == "numpy" and type(value).__name__ == "ndarray" and value.ndim == 1:
        return int(value.shape[0])
    return None


def fuzz_curvature(gen: Gen) -> None:
    args = [gen.number_sequence() for _ in range(3)]
    results: list[dict[str, float] | None] = []
    for evaluate in (core.evaluate_curvature_naturalness_rs, core.evaluate_curvature_zerocopy_rs):
        try:
            result = evaluate(*args)
        except ARGUMENT_ERRORS:
            results.append(None)
            continue
        lengths = [length_of(a) for a in args]  # unknown when reading may change a length
        known = not gen.stateful and None not in lengths
        check_curvature(result, [n for n in lengths if n is not None] if known else None)
        results.append(result)
    if not gen.stateful and results[0] is not None and results[1] is not None:
        assert same_floats(results[0], results[1]), results


def fuzz_curvature_errors(gen: Gen) -> None:
    """The naturalness form names the argument in conversion TypeErrors; zerocopy does not."""
    args = [gen.number_sequence() for _ in range(3)]
    try:
        core.evaluate_curvature_naturalness_rs(*args)
    except TypeError as error:
        if type(error) is TypeError:
            assert str(error).startswith(("argument 'x': ", "argument 'y': ", "argument 't': ")), error
    except ARGUMENT_ERRORS:
        pass


def fuzz_freed_keywords(gen: Gen) -> None:
    """Arguments whose only owner is the call's keyword dict, which a conversion clears:
    every argument must stay alive for the whole call."""
    fdp = gen.fdp
    if fdp.ConsumeBool():
        names, evaluate = ("x", "y", "t"), core.evaluate_curvature_naturalness_rs
        if fdp.ConsumeBool():
            names, evaluate = ("x_obj", "y_obj", "t_obj"), core.evaluate_curvature_zerocopy_rs
        hostile = fdp.ConsumeIntInRange(0, 2)

        def argument(i: int) -> Any:
            values = [gen.float_() for _ in range(gen.size(8, 40))]
            if i == hostile:
                values.insert(fdp.ConsumeIntInRange(0, len(values)), KeywordClearer(gen.float_()))
            return values

        gen.stateful = True
        try:
            result = evaluate(**{name: argument(i) for i, name in enumerate(names)})
        except ARGUMENT_ERRORS:
            return
        check_curvature(result, None)
        return
    core.clear_state_engine_rs()
    text = gen.text()
    duration = [60, 3600, 2**64 - 1][fdp.ConsumeIntInRange(0, 2)]
    try:
        # A fresh copy of the text, so that the keyword dict owns the address alone.
        core.ban_ip_rs(**{"ip": "".join(list(text)), "duration_sec": KeywordClearer(duration)})
    except ARGUMENT_ERRORS:
        return
    assert core.is_ip_banned_rs(text) is True, text
    assert core.get_state_engine_stats_rs()["active_ip_bans"] == 1


class EngineModel:
    """What the state engine must answer, as far as this input alone can know it."""

    def __init__(self) -> None:
        self.cleared = False  # everything is known since a clear in this input
        self.nonces: set[str] = set()
        self.accepted = 0
        # True or False when this input alone decides it; None for an address whose ban
        # this input set but cannot predict (a short or converted duration, a near expiry).
        self.bans: dict[str, bool | None] = {}
        self.bans_exact = False

    def clear(self) -> None:
        core.clear_state_engine_rs()
        self.cleared, self.bans_exact = True, True
        self.nonces.clear()
        self.accepted = 0
        self.bans.clear()

    def consume(self, nonce: Any) -> None:
        try:
            accepted = core.consume_nonce_rs(nonce)
        except ARGUMENT_ERRORS:
            assert not (type(nonce) is str and nonce.isascii()), nonce
            return
        assert type(accepted) is bool
        if nonce in self.nonces:
            assert not accepted, nonce
        elif self.cleared:
            assert accepted, nonce
        self.accepted += accepted
        self.nonces.add(nonce)

    def lookup(self, ip: Any) -> None:
        try:
            banned = core.is_ip_banned_rs(ip)
        except ARGUMENT_ERRORS:
            return
        assert type(banned) is bool
        if ip in self.bans:
            assert self.bans[ip] is None or banned == self.bans[ip], (ip, banned)
        elif self.cleared:
            assert not banned, ip

    def ban(self, ip: Any, duration: Any) -> None:
        try:
            assert core.ban_ip_rs(ip, duration) is None
        except ARGUMENT_ERRORS:
            return
        if type(duration) is int and (duration == 0 or duration >= 10):
            self.bans[ip] = duration != 0
        else:
            self.bans[ip] = None
            self.bans_exact = False

    def unban(self, ip: Any) -> None:
        try:
            assert core.unban_ip_rs(ip) is None
        except ARGUMENT_ERRORS:
            return
        self.bans[ip] = False

    def hydrate(self, bans: Any, now: int) -> None:
        try:
            assert core.hydrate_bans_rs(bans) is None
        except ARGUMENT_ERRORS:
            return
        for ip, expiry in bans:
            if type(expiry) is not int:  # converted through __index__: value not tracked
                self.bans[ip] = None
                self.bans_exact = False
            elif expiry > now + 5:
                self.bans[ip] = True
            elif expiry > now:  # may or may not have passed when the engine read its clock
                self.bans[ip] = None
                self.bans_exact = False

    def stats(self) -> None:
        stats = core.get_state_engine_stats_rs()
        assert type(stats) is dict and list(stats) == STATS_KEYS, stats
        assert all(type(v) is int and v >= 0 for v in stats.values()), stats
        if self.cleared:
            assert stats["current_bucket_nonces"] + stats["previous_bucket_nonces"] == self.accepted, stats
        if self.bans_exact:
            assert stats["active_ip_bans"] == sum(bool(v) for v in self.bans.values()), (stats, self.bans)


def fuzz_state_engine(gen: Gen) -> None:
    fdp = gen.fdp
    model = EngineModel()

    def name(prefix: str) -> Any:
        if fdp.ConsumeIntInRange(0, 7) == 0:
            return gen.text() if fdp.ConsumeBool() else gen.value(0)
        return f"{prefix}{fdp.ConsumeIntInRange(0, 5)}"

    for _ in range(fdp.ConsumeIntInRange(1, 24)):
        op = fdp.ConsumeIntInRange(0, 7)
        if op == 0:
            model.clear()
        elif op == 1:
            model.consume(name("n"))
        elif op == 2:
            model.lookup(name("10.0.0."))
        elif op == 3:
            duration = [0, 60, 3600, 2**64 - 1][fdp.ConsumeIntInRange(0, 3)] if fdp.ConsumeBool() else gen.int_()
            model.ban(name("10.0.0."), duration)
        elif op == 4:
            model.unban(name("10.0.0."))
        elif op == 5:
            now = int(time.time())
            pairs: list[Any] = []
            for _ in range(gen.size(4, 40)):
                offset = [100, 0, -5, 2**40][fdp.ConsumeIntInRange(0, 3)]
                pairs.append((name("10.0.0."), max(now + offset, 0)) if fdp.ConsumeIntInRange(0, 15) else gen.value(1))
            model.hydrate(pairs, now)
        else:
            model.stats()


def call_anything(gen: Gen) -> None:
    """Any function with arbitrary arguments: argument errors only, never a crash."""
    fdp = gen.fdp
    function = FUNCTIONS[fdp.ConsumeIntInRange(0, len(FUNCTIONS) - 1)]
    args = [gen.value(2) for _ in range(fdp.ConsumeIntInRange(0, 3))]
    names = ["telemetry", "x", "y", "t", "x_obj", "y_obj", "t_obj", "keystrokes", "nonce", "ip", "duration_sec",
             "bans", "other"]
    kwargs = {names[fdp.ConsumeIntInRange(0, len(names) - 1)]: gen.value(1) for _ in range(fdp.ConsumeIntInRange(0, 2))}
    try:
        function(*args, **kwargs)
    except ARGUMENT_ERRORS:
        pass


def lenient(function: Callable[..., Any], make: Callable[[Gen], Any], baseline: dict[str, Any]) -> Callable[[Gen], None]:
    """Functions that read content leniently: no content may make them raise."""
    def target(gen: Gen) -> None:
        same_shape(function(make(gen)), baseline)
    return target


def tolerant(function: Callable[..., Any], make: Callable[[Gen], Any], result_type: type) -> Callable[[Gen], None]:
    """Functions that convert their argument: an argument error, or a result of `result_type`."""
    def target(gen: Gen) -> None:
        try:
            result = function(make(gen))
        except ARGUMENT_ERRORS:
            return
        assert type(result) is result_type, result
    return target


def record_bits(record: dict[str, Any]) -> list[tuple[str, type, Any]]:
    return [(k, type(v), struct.pack("<d", v) if type(v) is float else v) for k, v in record.items()]


def fuzz_json(gen: Gen) -> None:
    """Raw bytes through the native JSON path: json.loads + extract_features_rs's outcome
    (the same record to the bit, or a JSONDecodeError where json.loads refuses the text)."""
    data = gen.fdp.ConsumeBytes(gen.fdp.remaining_bytes())
    try:
        want: Any = record_bits(core.extract_features_rs(json.loads(data)))
    except (ValueError, RecursionError):
        want = "refused"
    try:
        got: Any = record_bits(extract_features_json(data))
    except json.JSONDecodeError:
        got = "refused"
    assert got == want, (got, want)


ROW_LENGTH = len(_native.session_row({}))


def fuzz_session_row(gen: Gen) -> None:
    """A hostile telemetry read once for the whole row: no exception, 78 floats."""
    row = _native.session_row(gen.telemetry())
    assert type(row) is tuple and len(row) == ROW_LENGTH and all(type(v) is float for v in row), row


def fuzz_session_row_json(gen: Gen) -> None:
    """Raw bytes: the row of the text, when the native reader decides it, is the row of
    json.loads' object to the bit."""
    data = gen.fdp.ConsumeBytes(gen.fdp.remaining_bytes())
    row = _native.session_row_json(data, None)
    if row is None:
        return
    want = _native.session_row(json.loads(data))
    assert [struct.pack("<d", v) for v in row] == [struct.pack("<d", v) for v in want], (row, want)


FUNCTIONS: list[Callable[..., Any]] = [getattr(core, n) for n in core.__all__]
TARGETS: list[Callable[[Gen], None]] = [
    lambda gen: check(core.is_rust_core_active() is True, "is_rust_core_active"),
    lambda gen: check(core.get_core_version() == VERSION, "get_core_version"),
    lenient(core.extract_features_rs, Gen.telemetry, FEATURES),
    fuzz_curvature,
    fuzz_curvature_errors,
    lenient(core.evaluate_keystroke_dynamics_rs, lambda g: [g.keystroke_record() for _ in range(g.size(8, 300))],
            KEYSTROKES),
    lenient(core.evaluate_keystroke_dynamics_rs, lambda g: g.value(3), KEYSTROKES),
    tolerant(core.consume_nonce_rs, lambda g: g.text() if g.fdp.ConsumeBool() else g.value(1), bool),
    tolerant(core.is_ip_banned_rs, lambda g: g.text() if g.fdp.ConsumeBool() else g.value(1), bool),
    tolerant(core.unban_ip_rs, lambda g: g.value(1), type(None)),
    tolerant(core.hydrate_bans_rs, lambda g: g.value(3), type(None)),
    lambda gen: EngineModel().stats(),
    fuzz_state_engine,
    call_anything,
    fuzz_json,
    fuzz_freed_keywords,  # appended last, so that the committed seeds keep their targets
    fuzz_session_row,
    fuzz_session_row_json,
]


def check(condition: bool, what: str) -> None:
    assert condition, what


def TestOneInput(data: bytes) -> None:
    if not data:
        return
    gen = Gen(atheris.FuzzedDataProvider(data[1:]))
    TARGETS[data[0] % len(TARGETS)](gen)


def main() -> None:
    warnings.simplefilter("ignore")  # NumPy's conversion warnings say nothing about this module
    atheris.Setup(sys.argv, TestOneInput)
    atheris.Fuzz()


if __name__ == "__main__":
    main()
