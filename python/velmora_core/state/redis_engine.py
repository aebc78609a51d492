"""State engines on Redis (or Valkey): one replay guard and ban table for every worker and host.

Each operation is one round trip: EVALSHA of a server-side script that does the whole
operation atomically, so two callers presenting the same new nonce at once get exactly
one ``True``. When the server has lost its script cache (a restart, a failover,
``SCRIPT FLUSH``) the script is loaded again and the call repeated once; the server
answered NOSCRIPT without running anything, so the repeat cannot record twice.
"""

import inspect
from collections.abc import Callable, Coroutine
from typing import Any

import redis
import redis.asyncio
from redis.exceptions import NoScriptError, RedisError

from velmora_core.state.base import StateEngineStats
from velmora_core.state.errors import StateEngineUnavailable
from velmora_core.state.redis_calls import KEY_COUNT, Call, Calls, keys_of, stats_from_reply

Clock = Callable[[], float]

_BLOCKING_CLIENTS = (redis.Redis, redis.RedisCluster)
_ASYNC_CLIENTS = (redis.asyncio.Redis, redis.asyncio.RedisCluster)
_REPLY_TYPES = (int, list)  # exact types: a bool or a str subclass is no reply of ours


def _client_kind(client: object) -> str:
    kind = type(client)
    return f"{kind.__module__}.{kind.__qualname__}"


def _require_blocking(client: object) -> None:
    # An asyncio client would hand back un-awaited coroutines, and bool() of one is True:
    # every nonce accepted, every address banned. Refuse it before anything is sent.
    if isinstance(client, _BLOCKING_CLIENTS):
        return
    if isinstance(client, _ASYNC_CLIENTS):
        raise TypeError(f"RedisStateEngine needs a blocking redis.Redis client, not {_client_kind(client)}: "
                        "use AsyncRedisStateEngine with an asyncio client")
    if isinstance(client, (str, bytes)):
        raise TypeError("RedisStateEngine needs a redis.Redis client, not a URL: "
                        "RedisStateEngine(redis.Redis.from_url(url))")
    raise TypeError(f"RedisStateEngine needs a redis.Redis client, not {_client_kind(client)}")


def _require_async(client: object) -> None:
    # A blocking client runs the script at once and returns a plain reply: the nonce would
    # be recorded before the await failed on it.
    if isinstance(client, _ASYNC_CLIENTS):
        return
    if isinstance(client, _BLOCKING_CLIENTS):
        raise TypeError(f"AsyncRedisStateEngine needs a redis.asyncio.Redis client, not {_client_kind(client)}: "
                        "use RedisStateEngine with a blocking client")
    if isinstance(client, (str, bytes)):
        raise TypeError("AsyncRedisStateEngine needs a redis.asyncio.Redis client, not a URL: "
                        "AsyncRedisStateEngine(redis.asyncio.Redis.from_url(url))")
    raise TypeError(f"AsyncRedisStateEngine needs a redis.asyncio.Redis client, not {_client_kind(client)}")


def _checked(operation: str, reply: object) -> Any:
    """The script's reply: an integer, or for ``stats`` a list of them. Anything else is
    never read as a truth value."""
    if type(reply) in _REPLY_TYPES:
        return reply
    if inspect.isawaitable(reply):
        if isinstance(reply, Coroutine):
            reply.close()  # never ran: nothing was sent
        raise TypeError(f"state engine {operation}: the client returned an awaitable; RedisStateEngine "
                        "needs a blocking redis.Redis client (AsyncRedisStateEngine takes asyncio clients)")
    error = ValueError(f"unexpected reply {reply!r}")
    raise StateEngineUnavailable(operation, error) from error


class RedisStateEngine:
    """The seven state operations on a ``redis.Redis`` client, shared by all its users.

    ``namespace`` names one independent engine; its keys all carry the hash tag
    ``{namespace}`` (so they live in one Redis Cluster slot). ``clock=None`` uses the
    server's own time (``TIME``), one clock for every worker and host; a callable
    returning seconds is for tests. A store that is unreachable, times out or answers
    an error raises :class:`StateEngineUnavailable`. Any other client (an asyncio one,
    a URL) raises ``TypeError`` here, before anything is sent.
    """

    def __init__(self, client: "redis.Redis | redis.RedisCluster", namespace: str = "velmora",
                 clock: Clock | None = None) -> None:
        _require_blocking(client)
        self._client = client
        self._keys = keys_of(namespace)
        self._calls = Calls(clock)

    def _run(self, call: Call) -> Any:
        client, sha = self._client, call.script.sha
        try:
            try:
                reply = client.evalsha(sha, KEY_COUNT, *self._keys, *call.args)
            except NoScriptError:
                client.script_load(call.script.text)
                reply = client.evalsha(sha, KEY_COUNT, *self._keys, *call.args)
        except (RedisError, OSError) as error:
            raise StateEngineUnavailable(call.script.name, error) from error
        return _checked(call.script.name, reply)

    def consume_nonce(self, nonce: str) -> bool:
        return bool(self._run(self._calls.consume_nonce(nonce)) == 1)

    def ban_ip(self, ip: str, duration_sec: int) -> None:
        self._run(self._calls.ban_ip(ip, duration_sec))

    def is_ip_banned(self, ip: str) -> bool:
        return bool(self._run(self._calls.is_ip_banned(ip)) == 1)

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
    operations, awaitable, so an async service never blocks its event loop. A blocking
    client (or a URL) raises ``TypeError`` here, before anything is sent."""

    def __init__(self, client: "redis.asyncio.Redis | redis.asyncio.RedisCluster", namespace: str = "velmora",
                 clock: Clock | None = None) -> None:
        _require_async(client)
        self._client = client
        self._keys = keys_of(namespace)
        self._calls = Calls(clock)

    async def _run(self, call: Call) -> Any:
        client, sha = self._client, call.script.sha
        try:
            try:
                reply = await client.evalsha(sha, KEY_COUNT, *self._keys, *call.args)
            except NoScriptError:
                await client.script_load(call.script.text)
                reply = await client.evalsha(sha, KEY_COUNT, *self._keys, *call.args)
        except (RedisError, OSError) as error:
            raise StateEngineUnavailable(call.script.name, error) from error
        return _checked(call.script.name, reply)

    async def consume_nonce(self, nonce: str) -> bool:
        return bool(await self._run(self._calls.consume_nonce(nonce)) == 1)

    async def ban_ip(self, ip: str, duration_sec: int) -> None:
        await self._run(self._calls.ban_ip(ip, duration_sec))

    async def is_ip_banned(self, ip: str) -> bool:
        return bool(await self._run(self._calls.is_ip_banned(ip)) == 1)

    async def unban_ip(self, ip: str) -> None:
        await self._run(self._calls.unban_ip(ip))

    async def hydrate_bans(self, bans: Any) -> None:
        await self._run(self._calls.hydrate_bans(bans))

    async def clear(self) -> None:
        await self._run(self._calls.clear())

    async def stats(self) -> StateEngineStats:
        return stats_from_reply(await self._run(self._calls.stats()))
