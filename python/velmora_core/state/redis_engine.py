"""State engines on Redis (or Valkey): one replay guard and ban table for every worker and host.

Each operation is one round trip: EVALSHA of a server-side script that does the whole
operation atomically, so two callers presenting the same new nonce at once get exactly
one ``True``. When the server has lost its script cache (a restart, a failover,
``SCRIPT FLUSH``) the script is loaded again and the call repeated once; the server
answered NOSCRIPT without running anything, so the repeat cannot record twice.
"""

from collections.abc import Callable
from typing import Any

import redis
import redis.asyncio
from redis.exceptions import NoScriptError, RedisError

from velmora_core.state.base import StateEngineStats
from velmora_core.state.errors import StateEngineUnavailable
from velmora_core.state.redis_calls import KEY_COUNT, Call, Calls, keys_of, stats_from_reply

Clock = Callable[[], float]


class RedisStateEngine:
    """The seven state operations on a ``redis.Redis`` client, shared by all its users.

    ``namespace`` names one independent engine; its keys all carry the hash tag
    ``{namespace}`` (so they live in one Redis Cluster slot). ``clock=None`` uses the
    server's own time (``TIME``), one clock for every worker and host; a callable
    returning seconds is for tests. A store that is unreachable, times out or answers
    an error raises :class:`StateEngineUnavailable`.
    """

    def __init__(self, client: "redis.Redis", namespace: str = "velmora", clock: Clock | None = None) -> None:
        self._client = client
        self._keys = keys_of(namespace)
        self._calls = Calls(clock)

    def _run(self, call: Call) -> Any:
        client, sha = self._client, call.script.sha
        try:
            try:
                return client.evalsha(sha, KEY_COUNT, *self._keys, *call.args)
            except NoScriptError:
                client.script_load(call.script.text)
                return client.evalsha(sha, KEY_COUNT, *self._keys, *call.args)
        except (RedisError, OSError) as error:
            raise StateEngineUnavailable(call.script.name, error) from error

    def consume_nonce(self, nonce: str) -> bool:
        return bool(self._run(self._calls.consume_nonce(nonce)))

    def ban_ip(self, ip: str, duration_sec: int) -> None:
        self._run(self._calls.ban_ip(ip, duration_sec))

    def is_ip_banned(self, ip: str) -> bool:
        return bool(self._run(self._calls.is_ip_banned(ip)))

    def unban_ip(self, ip: str) -> None:
        self._run(self._calls.unban_ip(ip))

    def hydrate_bans(self, bans: Any) -> None:
        self._run(self._calls.hydrate_bans(bans))

    def clear(self) -> None:
        self._run(self._calls.clear())

    def stats(self) -> StateEngineStats:
        return stats_from_reply(self._run(self._calls.stats()))


class AsyncRedisStateEngine:
    """:class:`RedisStateEngine` on a ``redis.asyncio.Redis`` client: the same
    operations, awaitable, so an async service never blocks its event loop."""

    def __init__(self, client: "redis.asyncio.Redis", namespace: str = "velmora",
                 clock: Clock | None = None) -> None:
        self._client = client
        self._keys = keys_of(namespace)
        self._calls = Calls(clock)

    async def _run(self, call: Call) -> Any:
        client, sha = self._client, call.script.sha
        try:
            try:
                return await client.evalsha(sha, KEY_COUNT, *self._keys, *call.args)
            except NoScriptError:
                await client.script_load(call.script.text)
                return await client.evalsha(sha, KEY_COUNT, *self._keys, *call.args)
        except (RedisError, OSError) as error:
            raise StateEngineUnavailable(call.script.name, error) from error

    async def consume_nonce(self, nonce: str) -> bool:
        return bool(await self._run(self._calls.consume_nonce(nonce)))

    async def ban_ip(self, ip: str, duration_sec: int) -> None:
        await self._run(self._calls.ban_ip(ip, duration_sec))

    async def is_ip_banned(self, ip: str) -> bool:
        return bool(await self._run(self._calls.is_ip_banned(ip)))

    async def unban_ip(self, ip: str) -> None:
        await self._run(self._calls.unban_ip(ip))

    async def hydrate_bans(self, bans: Any) -> None:
        await self._run(self._calls.hydrate_bans(bans))

    async def clear(self) -> None:
        await self._run(self._calls.clear())

    async def stats(self) -> StateEngineStats:
        return stats_from_reply(await self._run(self._calls.stats()))
