"""One line of telemetry to one row of features: parse with orjson, extract, keep keys."""

import json
from collections.abc import Sequence
from dataclasses import dataclass
from typing import Any, cast

import orjson
import velmora_core_rs as _rs

from velmora_core.records import Telemetry

# A row as it leaves a worker: (line number, *kept values, *the 39 features).
Row = tuple[Any, ...]


def feature_types() -> dict[str, type]:
    """Python type of each feature (bool, int or float), in record order."""
    return {name: type(value) for name, value in _rs.extract_features_rs({}).items()}


@dataclass
class ChunkResult:
    source: int
    name: str
    lines: int  # lines read in this chunk
    size: int  # their bytes
    written: int  # rows made from them
    rows: list[Row]
    rejects: list[tuple[int, str]]  # (line number, reason)
    encoded: bytes | None = None  # the rows already written out as CSV or JSONL text


def _kind(value: object) -> str:
    if value is None:
        return "null"
    return {list: "an array", str: "a string", bool: "a boolean", int: "a number",
            float: "a number"}.get(type(value), type(value).__name__)


def _parse(line: bytes) -> tuple[Any, str | None]:
    """The decoded line, or the reason it is rejected."""
    try:
        return orjson.loads(line), None
    except orjson.JSONDecodeError as error:
        if not line.strip():
            return None, "empty line"
        # orjson refuses a few things Python's json reads (NaN, Infinity, integers beyond
        # 64 bits); such a line gets the same result as with json.loads.
        try:
            return json.loads(line), None
        except (ValueError, RecursionError):
            return None, f"not JSON: {error}"


def _kept_value(value: object) -> str | None:
    if value is None or isinstance(value, str):
        return value
    return orjson.dumps(value).decode()


def extract_lines(lines: Sequence[bytes], first_line: int,
                  keep: Sequence[str] = ()) -> tuple[list[Row], list[tuple[int, str]]]:
    """Parse and extract each line: rows (line number, *kept, *features) and rejects."""
    rows: list[Row] = []
    rejects: list[tuple[int, str]] = []
    extract = _rs.extract_features_rs
    loads = orjson.loads
    for number, line in enumerate(lines, first_line):
        try:
            telemetry = loads(line)
        except orjson.JSONDecodeError:
            telemetry, reason = _parse(line)
            if reason is not None:
                rejects.append((number, reason))
                continue
        if type(telemetry) is not dict:
            rejects.append((number, f"not a JSON object but {_kind(telemetry)}"))
            continue
        values = extract(cast(Telemetry, telemetry)).values()
        if keep:
            rows.append((number, *[_kept_value(telemetry.get(k)) for k in keep], *values))
        else:
            rows.append((number, *values))
    return rows, rejects
