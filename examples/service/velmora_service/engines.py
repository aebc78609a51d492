"""The state engine behind the service, chosen by configuration.

Handlers await three operations. The in-process engine answers at once (the extension's
tables, a few microseconds under the interpreter lock), so it is called directly from
the event loop; the Redis engine is the asyncio one, shared by every worker.
"""

from collections.abc import AsyncGenerator
from contextlib import asynccontextmanager

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
    if settings.skip_module and settings.state == "local":
        yield NoEngine()  # the in-process engine is the module's own tables
    elif settings.state == "local":
        yield LocalEngine()
    else:
        import redis.asyncio

        from velmora_core.state import AsyncRedisStateEngine

        client = redis.asyncio.Redis.from_url(settings.redis_url)
        try:
            await client.ping()
            yield AsyncRedisStateEngine(client, namespace=settings.redis_namespace)
        finally:
            await client.aclose()
