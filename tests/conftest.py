"""Fixtures every test folder may use."""

from collections.abc import Iterator

import pytest

from helpers.redis_server import redis_server


@pytest.fixture(scope="module")
def redis_port() -> Iterator[int]:
    """A private redis-server shared by one module's tests: its loopback port."""
    with redis_server() as port:
        yield port
