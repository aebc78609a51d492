"""A real redis-server for the tests: the library's private starter (a free loopback port,
a temporary directory, no persistence), seen as a port number."""

import contextlib
from collections.abc import Iterator

from velmora_core.state.private_redis import free_port, private_redis

__all__ = ["free_port", "redis_server"]


@contextlib.contextmanager
def redis_server() -> Iterator[int]:
    """Start redis-server on 127.0.0.1 and yield its port; stop it afterwards."""
    with private_redis(password=False) as url:
        yield int(url.removeprefix("redis://127.0.0.1:").split("/")[0])
