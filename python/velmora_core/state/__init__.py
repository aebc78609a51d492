"""State engines: the nonce replay guard and the IP ban table behind one interface.

``LocalStateEngine`` keeps the state in this process (the extension's own tables).
``RedisStateEngine`` and ``AsyncRedisStateEngine`` share it across worker processes and
hosts through Redis or Valkey (install the ``redis`` extra); they implement the same
seven operations with the same results and raise ``StateEngineUnavailable`` when the
store cannot be used.
"""

from typing import TYPE_CHECKING

from velmora_core.state.base import AsyncStateEngine, StateEngine, StateEngineStats
from velmora_core.state.errors import StateEngineUnavailable
from velmora_core.state.local import LocalStateEngine

if TYPE_CHECKING:
    from velmora_core.state.redis_engine import AsyncRedisStateEngine, RedisStateEngine

__all__ = ["AsyncRedisStateEngine", "AsyncStateEngine", "LocalStateEngine", "RedisStateEngine", "StateEngine",
           "StateEngineStats", "StateEngineUnavailable"]


def __getattr__(name: str) -> object:
    # The Redis engines import redis-py, an optional dependency: load them on first use,
    # so the local engine works without it.
    if name in ("RedisStateEngine", "AsyncRedisStateEngine"):
        try:
            from velmora_core.state import redis_engine
        except ImportError as error:
            # The public package, not our private one by name: a public index would
            # resolve that to whoever registered it there.
            raise ImportError(f"{name} needs redis-py (the 'redis' extra): pip install 'redis>=5'") from error
        return getattr(redis_engine, name)
    raise AttributeError(f"module {__name__!r} has no attribute {name!r}")
