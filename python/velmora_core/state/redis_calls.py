"""What the Redis engines send: one server-side script per operation, and its arguments.

Both the blocking and the asyncio engine build their calls here, so they send the same
bytes; only the transport differs. Arguments are converted (and refused) while the call
is built, before anything reaches the server.
"""

import hashlib
import math
from collections.abc import Callable
from dataclasses import dataclass
from importlib import resources
from typing import Final, NamedTuple

from velmora_core.state import arguments
from velmora_core.state.base import StateEngineStats

OPERATIONS: Final = ("consume_nonce", "ban_ip", "is_ip_banned", "unban_ip", "hydrate_bans", "clear", "stats")
KEY_COUNT: Final = 5
# The three clock arguments that mean "use the server's TIME".
SERVER_CLOCK: Final = (b"", b"", b"")


@dataclass(frozen=True)
class Script:
    name: str
    text: str
    sha: str  # what EVALSHA names it by; SCRIPT LOAD of `text` gives the same


def _load(name: str) -> Script:
    # The nonce scripts skip the ban helpers: less for the server to run on every call.
    parts = ["clock", name] if name in ("consume_nonce", "clear") else ["clock", "bans", name]
    folder = resources.files("velmora_core.state") / "lua"
    text = "".join((folder / f"{part}.lua").read_text("utf-8") for part in parts)
    return Script(name, text, hashlib.sha1(text.encode("utf-8")).hexdigest())


SCRIPTS: Final = {name: _load(name) for name in OPERATIONS}


class Call(NamedTuple):  # a tuple: the cheapest record to build on every call
    script: Script
    args: tuple[bytes, ...]


def digits20(value: int) -> bytes:
    """An unsigned 64-bit value as the scripts hold it: 20 decimal digits."""
    return b"%020d" % value


def keys_of(namespace: str) -> tuple[bytes, ...]:
    """The five keys of a namespace, all under the hash tag {namespace}."""
    if not isinstance(namespace, str) or not namespace or "{" in namespace or "}" in namespace:
        raise ValueError(f"namespace must be a non-empty str without braces, not {namespace!r}")
    tag = "{" + namespace + "}"
    return tuple(f"{tag}:{name}".encode() for name in ("nonces:current", "nonces:previous", "bucket_start",
                                                       "bans", "ban_ends"))


class Calls:
    """Builds the call of each operation for one clock."""

    def __init__(self, clock: Callable[[], float] | None) -> None:
        self._clock = clock

    def _now(self) -> tuple[bytes, ...]:
        if self._clock is None:
            return SERVER_CLOCK
        t = self._clock()
        seconds = math.floor(t)
        micros = math.floor((t - seconds) * 1e6)
        # Wall seconds for bans: a reading before 1970 counts as 0, as in the extension.
        wall = min(max(seconds, 0), arguments.U64_MAX)
        return digits20(wall), b"%d" % seconds, b"%d" % micros

    def _call(self, name: str, *args: bytes) -> Call:
        return Call(SCRIPTS[name], self._now() + args)

    def consume_nonce(self, nonce: object) -> Call:
        if type(nonce) is str:  # the common case, spared the general conversion's calls
            return self._call("consume_nonce", nonce.encode())
        return self._call("consume_nonce", arguments.argument("nonce", arguments.utf8, nonce))

    def ban_ip(self, ip: object, duration_sec: object) -> Call:
        address = arguments.argument("ip", arguments.utf8, ip)
        duration = arguments.argument("duration_sec", arguments.u64, duration_sec)
        return self._call("ban_ip", address, digits20(duration))

    def is_ip_banned(self, ip: object) -> Call:
        if type(ip) is str:
            return self._call("is_ip_banned", ip.encode())
        return self._call("is_ip_banned", arguments.argument("ip", arguments.utf8, ip))

    def unban_ip(self, ip: object) -> Call:
        return self._call("unban_ip", arguments.argument("ip", arguments.utf8, ip))

    def hydrate_bans(self, bans: object) -> Call:
        pairs = arguments.argument("bans", arguments.ban_list, bans)
        flat = [part for address, expiry in pairs for part in (address, digits20(expiry))]
        return self._call("hydrate_bans", *flat)

    def clear(self) -> Call:
        return self._call("clear")

    def stats(self) -> Call:
        return self._call("stats")


def stats_from_reply(reply: list[int]) -> StateEngineStats:
    current, previous, active = reply
    return {"current_bucket_nonces": int(current), "previous_bucket_nonces": int(previous),
            "active_ip_bans": int(active)}
