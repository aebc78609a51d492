"""The interfaces of the state engines: every engine's seven operations, and the awaitable
per-request three that an asyncio server's handlers call."""

from collections.abc import Iterable
from typing import Any, Protocol, TypedDict


class StateEngineStats(TypedDict):
    """Bucket sizes of the replay guard and the number of bans in force."""

    current_bucket_nonces: int
    previous_bucket_nonces: int
    active_ip_bans: int


class StateEngine(Protocol):
    """The seven operations, with the semantics of the extension's ``*_rs`` functions."""

    def consume_nonce(self, nonce: str) -> bool: ...
    def ban_ip(self, ip: str, duration_sec: int) -> None: ...
    def is_ip_banned(self, ip: str) -> bool: ...
    def unban_ip(self, ip: str) -> None: ...
    def hydrate_bans(self, bans: Iterable[tuple[str, int]] | Any) -> None: ...
    def clear(self) -> None: ...
    def stats(self) -> StateEngineStats: ...


class AsyncStateEngine(Protocol):
    """What a request handler awaits: the nonce check and the ban check and ban.

    ``AsyncRedisStateEngine`` is one; an in-process engine behind it needs only three
    ``async def`` methods calling ``LocalStateEngine``, which never blocks for long.
    """

    async def consume_nonce(self, nonce: str) -> bool: ...
    async def ban_ip(self, ip: str, duration_sec: int) -> None: ...
    async def is_ip_banned(self, ip: str) -> bool: ...
