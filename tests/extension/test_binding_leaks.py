"""Failing and succeeding bindings release everything they took."""

import pytest

import velmora_core_rs as core
from helpers.leak_check import assert_no_leak


def swallow(fn, *args, **kwargs):
    def call():
        try:
            fn(*args, **kwargs)
        except Exception:
            pass
    return call


class RaisingFloat:
    def __float__(self):
        raise ValueError("no float")


class RaisingIndex:
    def __index__(self):
        raise TypeError("no index")


FAILING_CALLS = {
    "too many positionals": swallow(core.consume_nonce_rs, "a", "b"),
    "unknown keyword": swallow(core.ban_ip_rs, "a", 1, zzz=1),
    "unencodable keyword": swallow(core.consume_nonce_rs, **{"\udc80": 1}),
    "multiple values": swallow(core.ban_ip_rs, "a", ip="b"),
    "missing": swallow(core.evaluate_curvature_naturalness_rs),
    "bytes for str": swallow(core.consume_nonce_rs, b"abc"),
    "lone surrogate": swallow(core.is_ip_banned_rs, "\ud800"),
    "negative int": swallow(core.ban_ip_rs, "a", -1),
    "prefixed index error": swallow(core.ban_ip_rs, "a", RaisingIndex()),
    "str as vector": swallow(core.evaluate_curvature_naturalness_rs, "abc", [], []),
    "set as vector": swallow(core.evaluate_curvature_zerocopy_rs, {1.0}, [], []),
    "bad item": swallow(core.evaluate_curvature_naturalness_rs, [1.0, 2.0, None], [], []),
    "raising __float__": swallow(core.evaluate_curvature_naturalness_rs, [RaisingFloat()], [], []),
    "bans list item": swallow(core.hydrate_bans_rs, [("a", 4_000_000_000), ["b", 1]]),
    "bans tuple length": swallow(core.hydrate_bans_rs, [("a", 1, 2)]),
}


@pytest.mark.parametrize("call", FAILING_CALLS.values(), ids=FAILING_CALLS.keys())
def test_failing_bindings_do_not_leak(call):
    assert_no_leak(call)


def test_succeeding_calls_do_not_leak():
    def call():
        core.get_core_version()
        core.is_rust_core_active()
        core.evaluate_curvature_naturalness_rs([0.0, 1.0, 2.0, 4.0, 8.0], (0, 1, 0, 1, 0), range(5))
        core.is_ip_banned_rs(ip="10.0.0.1")
        core.get_state_engine_stats_rs()
    assert_no_leak(call)
