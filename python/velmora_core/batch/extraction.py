"""One line of telemetry to one row of features: read natively from its JSON text, keep keys."""

import json
from collections.abc import Sequence
from dataclasses import dataclass
from typing import Any, Final, cast

import orjson
import velmora_core_rs as _rs

from velmora_core import _native, ingest
from velmora_core.records import Telemetry

# Spectrum tables for every track length (about 71 MiB at most): a batch run meets them all,
# and a length without a table costs as much as building one.
BATCH_TABLE_BUDGET: Final = 128 << 20

# A row as it leaves a worker: (line number, *kept values, *the 39 features).
Row = tuple[Any, ...]


def feature_types() -> dict[str, type]:
    """Python type of each feature (bool, int or float), in record order."""
    return {name: type(value) for name, value in _rs.extract_features_rs({}).items()}


@dataclass
class ColumnBlock:
    """Rows as one flat buffer per column: a process passes these far more cheaply than
    rows of Python objects, and the Parquet writer takes them as they are."""

    count: int
    lines: bytes  # int64
    kept: list[list[str | None]]  # per kept key
    features: list[bytes]  # per feature: float64, int64, or one byte (0 or 1) per flag


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
    columns: ColumnBlock | None = None  # the rows laid out for Parquet
    relative: bool = False  # line numbers count from 1 in the chunk (an unnumbered chunk)


_KINDS: Final = {"null": "null", "array": "an array", "string": "a string", "boolean": "a boolean",
                 "number": "a number"}


def _kind(value: object) -> str:
    if value is None:
        return "null"
    return {list: "an array", str: "a string", bool: "a boolean", int: "a number",
            float: "a number"}.get(type(value), type(value).__name__)


def parse_object(line: bytes) -> tuple[dict[str, Any] | None, str | None]:
    """The line's JSON object (as json.loads decodes it), or the reason the line is rejected,
    in the words of every command."""
    try:
        value = ingest.loads(line)
    except ValueError as error:
        if not line.strip():
            return None, "empty line"
        return None, f"not JSON: {error}"
    if type(value) is not dict:
        return None, f"not a JSON object but {_kind(value)}"
    return cast(dict[str, Any], value), None


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


def _kept(keep: Sequence[str], values: Sequence[object]) -> tuple[list[str | None], str | None]:
    """The kept values of one line as written out, or the reason the line is rejected."""
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


def _row_from_json(number: int, line: bytes, keep: Sequence[str]) -> tuple[Row | None, str | None]:
    """A line the native reader leaves to json.loads: the row, or the reason it is rejected."""
    telemetry, reason = parse_object(line)
    if telemetry is None:
        return None, reason
    kept, reason = _kept(keep, [telemetry.get(k) for k in keep])
    if reason is not None:
        return None, reason
    values = _rs.extract_features_rs(cast(Telemetry, telemetry)).values()
    return (number, *kept, *values), None


def extract_lines(lines: Sequence[bytes], first_line: int,
                  keep: Sequence[str] = ()) -> tuple[list[Row], list[tuple[int, str]]]:
    """Parse and extract each line: rows (line number, *kept, *features) and rejects.

    Each row equals what extract_features_rs gives for json.loads of the line (kept values
    as json.loads reads them): the native reader takes the line's text directly, and
    leaves to json.loads what it cannot decide exactly. Raises this process's spectrum
    table budget to BATCH_TABLE_BUDGET.
    """
    rows: list[Row] = []
    rejects: list[tuple[int, str]] = []
    _native.set_table_budget(BATCH_TABLE_BUDGET)  # a no-op after the first chunk
    session = _native.session_json
    kept_names = tuple(keep)
    for number, line in enumerate(lines, first_line):
        read = session(line, None, kept_names)
        if read is None:
            row, reason = _row_from_json(number, line, keep)
            if row is None:
                rejects.append((number, reason or ""))
            else:
                rows.append(row)
            continue
        _, kind, features, kept = read
        if features is None:
            rejects.append((number, f"not a JSON object but {_KINDS[kind]}"))
        elif kept_names:
            written, reason = _kept(kept_names, kept)
            if reason is not None:
                rejects.append((number, reason))
            else:
                rows.append((number, *written, *features.values()))
        else:
            rows.append((number, *features.values()))
    return rows, rejects
