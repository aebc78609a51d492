"""The state engine behind the service, chosen by configuration.

Handlers await three operations. The in-process engine answers at once (the extension's
tables, a few microseconds under the interpreter lock), so it is called directly from
the event loop; the Redis engine is the asyncio one, shared by every worker.

Its connection pool is bounded and blocking: a burst of more simultaneous requests than
connections waits for a free one (up to the timeout) instead of failing, since a pool
that is full says nothing about the store. Only a store that does not answer within the
timeout makes a request fail (503).
"""

from collections.abc import AsyncGenerator
from contextlib import asynccontextmanager

from velmora_core.detect import AsyncStrokeMemory
from velmora_core.state import AsyncStateEngine, LocalStateEngine

from velmora_service.settings import Settings


class LocalEngine:
    """The in-process engine behind the awaitable interface (one worker only)."""

    def __init__(self) -> None:
        self._engine = LocalStateEngine()

    async def consume_nonce(self, nonce: str) -> bool:
        return self._engine.consume_nonce(nonce)

    async def ban_ip(self, ip: str, duration_sec: int) -> None:
        self._engine.ban_ip(ip, duration_sec)

    async def is_ip_banned(self, ip: str) -> bool:
        return self._engine.is_ip_banned(ip)


class NoEngine:
    """Benchmark baseline in place of the in-process engine: accepts every nonce and bans
    nobody, without calling the extension."""

    async def consume_nonce(self, nonce: str) -> bool:
        return True

    async def ban_ip(self, ip: str, duration_sec: int) -> None:
        return None

    async def is_ip_banned(self, ip: str) -> bool:
        return False


@asynccontextmanager
async def open_engine(settings: Settings) -> AsyncGenerator[AsyncStateEngine]:
    """The engine for one worker's lifetime (the Redis connection pool is closed after)."""
    async with open_stores(settings) as (engine, _):
        yield engine


@asynccontextmanager
async def open_stores(settings: Settings) -> AsyncGenerator[tuple[AsyncStateEngine, AsyncStrokeMemory | None]]:
    """The engine and the stroke memory (none for the benchmark baseline without the module),
    both on the one Redis client when state is redis."""
    if settings.skip_module and settings.state == "local":
        yield NoEngine(), None  # the in-process engine is the module's own tables
    elif settings.state == "local":
        yield LocalEngine(), AsyncStrokeMemory()
    else:
        import redis.asyncio
        from redis.asyncio.retry import Retry
        from redis.backoff import ExponentialBackoff

        from velmora_core.state import AsyncRedisStateEngine

        timeout = settings.redis_timeout
        pool = redis.asyncio.BlockingConnectionPool.from_url(
            settings.redis_url, max_connections=settings.redis_pool_size, timeout=timeout,
            socket_connect_timeout=timeout, socket_timeout=timeout,
            # Two quick retries ride out a dropped connection; more would only keep a
            # request waiting for a store that is gone.
            retry=Retry(ExponentialBackoff(cap=0.1, base=0.01), 2))
        client = redis.asyncio.Redis.from_pool(pool)
        try:
            await client.ping()
            memory = None if settings.skip_module else AsyncStrokeMemory.on_redis(
                client, namespace=settings.redis_namespace)
            yield AsyncRedisStateEngine(client, namespace=settings.redis_namespace), memory
        finally:
            await client.aclose()
