"""Native half of the velmora_core layer (C++); its functions are typed here."""

from typing import Any

from velmora_core.records import FeatureRecord

JsonKind = str  # "object", "array", "string", "number", "boolean", "null" or "missing"

def features_json(data: bytes | bytearray | memoryview | str) -> FeatureRecord | None: ...
def session_json(
    data: bytes | bytearray | memoryview | str, member: str | None, keep: tuple[str, ...]
) -> tuple[JsonKind, JsonKind, FeatureRecord | None, tuple[Any, ...]] | None: ...
def set_table_budget(budget: int) -> None: ...
def table_stats() -> dict[str, int]: ...
