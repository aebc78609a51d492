"""Replayed strokes: a memory of stroke fingerprints shared by every session judged.

A replay bot moves the pointer along real human strokes, rotated and scaled onto its
targets; one session alone looks human. But its library is finite, so its strokes come
back across sessions, while a person never repeats a movement exactly. The memory keeps a
fingerprint of every distinctive stroke it is shown (a fixed 148 bytes of quantised shape
and timing profiles: no coordinates, positions or times) and counts how many of a new
session's strokes match one of an earlier session. The fingerprints and the index are
native (src/strokes/); see docs/stroke-memory.md.

    memory = StrokeMemory(capacity=1_000_000)                  # this process
    memory = StrokeMemory.on_redis(client, namespace="velmora")  # shared by workers and hosts
    detector.verdict(telemetry, memory=memory)
"""

from dataclasses import dataclass
from typing import TYPE_CHECKING, Any, Final, Protocol, cast

from velmora_core import _native, ingest
from velmora_core.records import FeatureRecord, Telemetry

if TYPE_CHECKING:
    import redis
    import redis.asyncio

__all__ = ["AsyncStrokeMemory", "DEFAULT_CAPACITY", "PRINT_BYTES", "ReplayEvidence", "StrokeMemory",
           "StrokePrints", "evidence", "replay_evidence", "row_with_replays", "stroke_prints", "stroke_prints_json"]

DEFAULT_CAPACITY: Final = 1_000_000
# One print as the native side hands it over; a memory keeps its first STORED_BYTES.
PRINT_BYTES: Final = 180
STORED_BYTES: Final = 148
# Beyond chance: on the shared humans a distinctive stroke matches another person's in
# about 0.3 % of cases, and no session had two (docs/stroke-memory.md).
MIN_MATCHED: Final = 2
MIN_SHARE: Final = 0.1


@dataclass(frozen=True)
class StrokePrints:
    """A session's strokes: how many were long enough to read, and the prints of the
    distinctive ones (PRINT_BYTES each)."""

    strokes: int
    data: bytes

    @property
    def distinctive(self) -> int:
        return len(self.data) // PRINT_BYTES


@dataclass(frozen=True)
class ReplayEvidence:
    matched: int       # distinctive strokes that match a stroke of an earlier session
    distinctive: int   # distinctive strokes of the session
    is_replay: bool
    text: str          # the reason a verdict gives, e.g. "4 of 12 strokes replay earlier sessions"


def stroke_prints(telemetry: Telemetry) -> StrokePrints:
    """The prints of a telemetry dict, read leniently as the behaviour features read it."""
    strokes, data = _native.stroke_prints(telemetry)
    return StrokePrints(strokes, data)


def stroke_prints_json(data: ingest.JsonText, member: str | None = None) -> StrokePrints:
    """stroke_prints of the JSON telemetry object in data (or of its member), from the text.

    json.JSONDecodeError when data is not JSON; a non-object reads as no strokes.
    """
    result = _native.stroke_prints_json(data, member)
    if result is None:  # text only json.loads decides
        document: Any = ingest.loads(data)
        if member is not None:
            document = document.get(member) if isinstance(document, dict) else None
        return stroke_prints(cast(Telemetry, document if isinstance(document, dict) else {}))
    return StrokePrints(*result)


def evidence(matched: int, distinctive: int) -> ReplayEvidence:
    """The decision on a session whose matched strokes of distinctive ones were found."""
    is_replay = matched >= MIN_MATCHED and matched >= MIN_SHARE * distinctive
    text = f"{matched} of {distinctive} strokes replay earlier sessions"
    return ReplayEvidence(matched, distinctive, is_replay, text)


class _Backend(Protocol):
    def observe(self, data: bytes) -> int: ...
    def size(self) -> int: ...


class _Local:
    def __init__(self, capacity: int) -> None:
        self._memory = _native.stroke_memory(capacity)

    def observe(self, data: bytes) -> int:
        return _native.stroke_memory_observe(self._memory, data)

    def recalls(self, data: bytes) -> list[bool]:
        return _native.stroke_memory_recalls(self._memory, data)

    def size(self) -> int:
        return _native.stroke_memory_stats(self._memory)[0]


def check_capacity(capacity: object) -> int:
    if isinstance(capacity, bool) or not isinstance(capacity, int):
        raise TypeError(f"capacity must be an int, not {type(capacity).__name__}")
    if not 1 <= capacity <= 2**31:
        raise ValueError(f"capacity must be from 1 to {2**31} strokes, not {capacity}")
    return capacity


class StrokeMemory:
    """The strokes of the last `capacity` distinctive strokes seen, oldest forgotten first.

    ``StrokeMemory(capacity)`` lives in this process; ``StrokeMemory.on_redis(...)`` in
    Redis, shared by every worker and host using the same namespace.
    """

    def __init__(self, capacity: int = DEFAULT_CAPACITY) -> None:
        self.capacity: Final = check_capacity(capacity)
        self._backend: _Backend = _Local(capacity)

    @classmethod
    def on_redis(cls, client: "redis.Redis | redis.RedisCluster", namespace: str = "velmora",
                 capacity: int = DEFAULT_CAPACITY) -> "StrokeMemory":
        """The memory in Redis (redis-py, the ``redis`` extra), keys under ``{namespace}:strokes:``.

        Every call is one atomic script. A store that cannot be used raises
        ``velmora_core.state.StateEngineUnavailable``: fail closed, as for the state engines.
        """
        from velmora_core.detect.stroke_memory_redis import RedisStrokes
        memory = cls.__new__(cls)
        memory.capacity = check_capacity(capacity)  # type: ignore[misc]
        memory._backend = RedisStrokes(client, namespace, capacity)
        return memory

    def observe(self, prints: StrokePrints) -> int:
        """How many of the prints match a remembered stroke; then remembers them all."""
        if not isinstance(prints, StrokePrints):
            raise TypeError(f"prints must be StrokePrints, not {type(prints).__name__}")
        return self._backend.observe(prints.data) if prints.data else 0

    def recalls(self, prints: StrokePrints) -> list[bool]:
        """For each print, whether it matches a remembered stroke; nothing is remembered.
        In-process memories only (for measurements)."""
        if not isinstance(self._backend, _Local):
            raise TypeError("recalls is for in-process memories only")
        return self._backend.recalls(prints.data)

    def __len__(self) -> int:
        """Strokes held (a round trip on Redis)."""
        return self._backend.size()


class AsyncStrokeMemory:
    """The awaitable memory an asyncio service uses: on a ``redis.asyncio`` client, or for
    one worker in this process (``AsyncStrokeMemory(capacity)``, which never blocks long)."""

    def __init__(self, capacity: int = DEFAULT_CAPACITY) -> None:
        self.capacity: Final = check_capacity(capacity)
        self._local: _Local | None = _Local(capacity)
        self._redis: Any = None

    @classmethod
    def on_redis(cls, client: "redis.asyncio.Redis | redis.asyncio.RedisCluster", namespace: str = "velmora",
                 capacity: int = DEFAULT_CAPACITY) -> "AsyncStrokeMemory":
        from velmora_core.detect.stroke_memory_redis import AsyncRedisStrokes
        memory = cls.__new__(cls)
        memory.capacity = check_capacity(capacity)  # type: ignore[misc]
        memory._local = None
        memory._redis = AsyncRedisStrokes(client, namespace, capacity)
        return memory

    async def observe(self, prints: StrokePrints) -> int:
        if not isinstance(prints, StrokePrints):
            raise TypeError(f"prints must be StrokePrints, not {type(prints).__name__}")
        if not prints.data:
            return 0
        if self._local is not None:
            return self._local.observe(prints.data)
        return int(await self._redis.observe(prints.data))

    async def size(self) -> int:
        return self._local.size() if self._local is not None else int(await self._redis.size())


def replay_evidence(memory: StrokeMemory, telemetry: Telemetry) -> ReplayEvidence:
    """Judges the session's strokes against the memory, then remembers them."""
    prints = stroke_prints(telemetry)
    return evidence(memory.observe(prints), prints.distinctive)


def row_with_replays(memory: StrokeMemory, telemetry: Telemetry,
                     record: FeatureRecord | None) -> tuple[tuple[float, ...], ReplayEvidence]:
    """feature_set.feature_row(telemetry, record) and replay_evidence(memory, telemetry),
    from one reading of the dict when the caller has no record."""
    if record is not None:
        from velmora_core.detect import feature_set
        return feature_set.feature_row(telemetry, record), replay_evidence(memory, telemetry)
    row, (strokes, data) = _native.session_row_prints(telemetry)
    prints = StrokePrints(strokes, data)
    return row, evidence(memory.observe(prints), prints.distinctive)
