"""A real redis-server for the tests and benchmarks: the reference service's private starter
(a free loopback port, a temporary directory, no persistence), seen as a port number."""

import contextlib
import pathlib
import sys
from collections.abc import Iterator

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "examples" / "service"))

from velmora_service.redis_process import free_port, private_redis  # noqa: E402

__all__ = ["free_port", "redis_server"]


@contextlib.contextmanager
def redis_server() -> Iterator[int]:
    """Start redis-server on 127.0.0.1 and yield its port; stop it afterwards."""
    with private_redis(password=False) as url:
        yield int(url.removeprefix("redis://127.0.0.1:").split("/")[0])
