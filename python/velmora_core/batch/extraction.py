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


# orjson reads integers beyond 64 bits as floats; a kept value that may be one is read
# again with json.loads, which keeps it exact.
_INT64_BOUND = 2.0 ** 63


def _may_hold_big_integer(value: object) -> bool:
    stack = [value]
    while stack:
        item = stack.pop()
        if type(item) is float:
            if abs(item) >= _INT64_BOUND and item.is_integer():
                return True
        elif type(item) is list:
            stack.extend(item)
        elif type(item) is dict:
            stack.extend(item.values())
    return False


def _kept_value(value: object) -> str | None:
    """value as the output holds it: a string as is, anything else as JSON text.

    Raises ValueError when it cannot be written: a string holding a lone surrogate (which
    json.loads reads from an escape such as "\\ud800"), or nesting deeper than JSON can be written.
    """
    if value is None:
        return None
    if isinstance(value, str):
        value.encode()
        return value
    try:
        return orjson.dumps(value).decode()
    except orjson.JSONEncodeError:
        # orjson stops at integers beyond 64 bits and at 255 levels; json goes on.
        try:
            text = json.dumps(value, ensure_ascii=False, allow_nan=False, separators=(",", ":"))
        except RecursionError:
            raise ValueError("nested too deeply to be written") from None
        text.encode()
        return text


def _kept(telemetry: dict[str, Any], keep: Sequence[str], line: bytes) -> tuple[list[str | None], str | None]:
    """The kept values of one line, or the reason the line is rejected."""
    values = [telemetry.get(k) for k in keep]
    if any(map(_may_hold_big_integer, values)):
        try:
            exact = json.loads(line)
        except (ValueError, RecursionError):
            exact = telemetry
        values = [exact.get(k) for k in keep]
    kept = []
    for key, value in zip(keep, values):
        try:
            kept.append(_kept_value(value))
        except UnicodeEncodeError as error:
            bad = error.object[error.start:error.end].encode("unicode_escape").decode()
            return [], f"cannot keep {key}: it holds a lone surrogate ({bad}), which UTF-8 cannot encode"
        except ValueError as error:
            return [], f"cannot keep {key}: {error}"
    return kept, None


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
        if keep:
            kept, reason = _kept(telemetry, keep, line)
            if reason is not None:
                rejects.append((number, reason))
                continue
            rows.append((number, *kept, *extract(cast(Telemetry, telemetry)).values()))
        else:
            rows.append((number, *extract(cast(Telemetry, telemetry)).values()))
    return rows, rejects
