"""The shared engines' argument conversions: the extension's own outcomes, without a store."""

import collections
import re

import pytest

import velmora_core_rs as m
from velmora_core.state import arguments


class Text(str):
    def encode(self, *args, **kwargs):  # plays no part: the str's own UTF-8 is taken
        return b"overridden"


class Pair(tuple):
    def __getitem__(self, index):
        return "overridden"


@pytest.fixture(autouse=True)
def fresh_engine():
    m.clear_state_engine_rs()
    yield
    m.clear_state_engine_rs()


def test_values_convert_as_the_engine_stores_them():
    assert arguments.argument("ip", arguments.utf8, Text("é")) == "é".encode()
    assert arguments.argument("duration_sec", arguments.u64, True) == 1
    assert arguments.argument("duration_sec", arguments.u64, 2**64 - 1) == arguments.U64_MAX
    bans = [Pair(("a", 2**63)), ("b", False), ("a", 7)]
    assert arguments.argument("bans", arguments.ban_list, bans) == [(b"a", 2**63), (b"b", 0), (b"a", 7)]
    assert arguments.argument("bans", arguments.ban_list, collections.deque()) == []


@pytest.mark.parametrize("function,convert,value", [
    ("consume_nonce_rs", arguments.utf8, b"x"), ("consume_nonce_rs", arguments.utf8, "\ud800"),
    ("ban_ip_rs", arguments.u64, -1), ("ban_ip_rs", arguments.u64, 2**64), ("ban_ip_rs", arguments.u64, 1.5),
    ("hydrate_bans_rs", arguments.ban_list, "ab"), ("hydrate_bans_rs", arguments.ban_list, re.match("a", "a")),
    ("hydrate_bans_rs", arguments.ban_list, [("a", 1), ("b",)]), ("hydrate_bans_rs", arguments.ban_list, [(1, 1)]),
])
def test_refusals_are_the_extension_s(function, convert, value):
    name = {"consume_nonce_rs": "nonce", "ban_ip_rs": "duration_sec", "hydrate_bans_rs": "bans"}[function]
    args = ("ip", value) if function == "ban_ip_rs" else (value,)
    with pytest.raises(Exception) as expected:
        getattr(m, function)(*args)
    with pytest.raises(Exception) as got:
        arguments.argument(name, convert, value)
    assert (type(got.value), str(got.value)) == (type(expected.value), str(expected.value))
    assert m.get_state_engine_stats_rs()["active_ip_bans"] == 0
