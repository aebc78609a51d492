"""The stroke memory on Redis (or Valkey): one script call per session, lookup and insert
together, so that concurrent workers see each other's strokes in one order.

Three keys, under the state engines' hash tag ``{namespace}`` (one Cluster slot):
``{namespace}:strokes:meta`` (hash: last stroke number, capacity), ``...:strokes:prints``
(hash: number -> stored print, at most `capacity` fields) and ``...:strokes:buckets``
(hash: index bucket -> up to 8 stroke numbers; 8 * 2**bucket_bits fields at most).
"""

import hashlib
from importlib import resources
from typing import Any, Final

import redis
import redis.asyncio
from redis.exceptions import NoScriptError, RedisError

from velmora_core import _native
from velmora_core.state.errors import StateEngineUnavailable

OPERATION: Final = "stroke_memory"
SCRIPT: Final = (resources.files("velmora_core.detect") / "lua" / "stroke_memory.lua").read_text("utf-8")
SHA: Final = hashlib.sha1(SCRIPT.encode("utf-8")).hexdigest()
PRINT_BYTES: Final = 180


def keys_of(namespace: object) -> tuple[bytes, bytes, bytes]:
    if not isinstance(namespace, str) or not namespace or "{" in namespace or "}" in namespace:
        raise ValueError(f"namespace must be a non-empty str without braces, not {namespace!r}")
    tag = "{" + namespace + "}"
    meta, prints, buckets = (f"{tag}:strokes:{name}".encode() for name in ("meta", "prints", "buckets"))
    return meta, prints, buckets


def _arguments(capacity: int, data: bytes) -> list[bytes]:
    head = [b"%d" % capacity, b"%d" % _native.stroke_bucket_bits(capacity)]
    return head + [data[i:i + PRINT_BYTES] for i in range(0, len(data), PRINT_BYTES)]


def _matched(reply: object, capacity: int) -> int:
    if not isinstance(reply, list) or len(reply) != 2 or not all(type(v) is int for v in reply):
        error = ValueError(f"unexpected reply {reply!r}")
        raise StateEngineUnavailable(OPERATION, error) from error
    matched, last = reply
    if matched < 0:
        raise ValueError(f"the stroke memory in Redis was made with capacity {last}, not {capacity}")
    return int(matched)


def _kind(client: object) -> str:
    return f"{type(client).__module__}.{type(client).__qualname__}"


class RedisStrokes:
    def __init__(self, client: Any, namespace: str, capacity: int) -> None:
        if not isinstance(client, (redis.Redis, redis.RedisCluster)):
            raise TypeError(f"StrokeMemory.on_redis needs a blocking redis.Redis client, not {_kind(client)}"
                            + (": use AsyncStrokeMemory.on_redis" if isinstance(client, redis.asyncio.Redis) else ""))
        self._client = client
        self._keys = keys_of(namespace)
        self._capacity = capacity

    def observe(self, data: bytes) -> int:
        args = _arguments(self._capacity, data)
        try:
            try:
                reply = self._client.evalsha(SHA, 3, *self._keys, *args)
            except NoScriptError:
                self._client.script_load(SCRIPT)
                reply = self._client.evalsha(SHA, 3, *self._keys, *args)
        except (RedisError, OSError) as error:
            raise StateEngineUnavailable(OPERATION, error) from error
        return _matched(reply, self._capacity)

    def size(self) -> int:
        try:
            return int(self._client.hlen(self._keys[1]))
        except (RedisError, OSError) as error:
            raise StateEngineUnavailable(OPERATION, error) from error


class AsyncRedisStrokes:
    def __init__(self, client: Any, namespace: str, capacity: int) -> None:
        if not isinstance(client, (redis.asyncio.Redis, redis.asyncio.RedisCluster)):
            raise TypeError(f"AsyncStrokeMemory.on_redis needs a redis.asyncio.Redis client, not {_kind(client)}")
        self._client = client
        self._keys = keys_of(namespace)
        self._capacity = capacity

    async def observe(self, data: bytes) -> int:
        args = _arguments(self._capacity, data)
        try:
            try:
                reply = await self._client.evalsha(SHA, 3, *self._keys, *args)
            except NoScriptError:
                await self._client.script_load(SCRIPT)
                reply = await self._client.evalsha(SHA, 3, *self._keys, *args)
        except (RedisError, OSError) as error:
            raise StateEngineUnavailable(OPERATION, error) from error
        return _matched(reply, self._capacity)

    async def size(self) -> int:
        try:
            return int(await self._client.hlen(self._keys[1]))
        except (RedisError, OSError) as error:
            raise StateEngineUnavailable(OPERATION, error) from error
