"""Output formats: CSV and JSONL rows encoded in the workers; Parquet columns laid out in
the workers as flat buffers and assembled here."""

import array
import csv
import importlib.util
import io
import itertools
import os
from collections.abc import Sequence
from functools import cache
from typing import IO, Any, Final, Protocol

import orjson

from velmora_core.errors import BatchError, missing_extra
from velmora_core.batch.extraction import ChunkResult, ColumnBlock, Row, feature_types
from velmora_core.records import FEATURE_NAMES

FORMATS: Final = ("parquet", "csv", "jsonl")
SUFFIXES: Final = {".parquet": "parquet", ".pq": "parquet", ".csv": "csv", ".jsonl": "jsonl",
                   ".ndjson": "jsonl"}
# Rows of one Parquet row group.
ROW_GROUP_ROWS: Final = 16384


def format_for(path: str, explicit: str | None, formats: Sequence[str] = FORMATS) -> str:
    """explicit, else the format of path's suffix; the hint names only the formats the command writes."""
    if explicit is not None:
        return explicit
    suffix = os.path.splitext(path)[1].lower()
    if suffix not in SUFFIXES:
        suffixes = [s for s, f in SUFFIXES.items() if f in formats]
        what = "standard output (-)" if path == "-" else repr(path)
        raise BatchError(f"cannot tell the output format of {what} from its suffix; use --format "
                         f"({', '.join(formats)}) or one of {', '.join(suffixes)}")
    return SUFFIXES[suffix]


def output_columns(keep: Sequence[str] = ()) -> list[str]:
    return ["file", "line", *keep, *FEATURE_NAMES]


def check_keep(keep: Sequence[str]) -> None:
    """Refuse kept keys that would clash with another column or cannot be written."""
    taken = set(output_columns())
    for i, key in enumerate(keep):
        try:
            key.encode()
        except UnicodeEncodeError:
            raise BatchError(f"--keep {key.encode(errors='backslashreplace').decode()}: "
                             f"a key that is not valid UTF-8 can match no JSON key") from None
        if key in taken:
            raise BatchError(f"--keep {key}: " + ("given twice" if key in keep[:i] else
                             f"the output already has a column named {key!r}; a kept key must differ "
                             f"from file, line and the feature names"))
        taken.add(key)


def _write_error(label: str, error: OSError) -> BatchError:
    return BatchError(f"cannot write {label}: {error.strerror or error}")


def encode_csv(name: str, rows: list[Row]) -> bytes:
    text = io.StringIO()
    writer = csv.writer(text, lineterminator="\n")
    writer.writerows((name, *row) for row in rows)
    return text.getvalue().encode()


def encode_jsonl(name: str, rows: list[Row], columns: Sequence[str]) -> bytes:
    # JSON has no NaN or infinity: orjson writes them as null.
    dumps, option = orjson.dumps, orjson.OPT_APPEND_NEWLINE
    return b"".join(dumps(dict(zip(columns, (name, *row))), option=option) for row in rows)


@cache
def _feature_codes() -> tuple[str, ...]:
    return tuple({bool: "B", int: "q", float: "d"}[t] for t in feature_types().values())


def encode_columns(rows: list[Row], kept: int) -> ColumnBlock:
    """rows (line, *kept values, *features) as a ColumnBlock."""
    if not rows:
        return ColumnBlock(0, b"", [[] for _ in range(kept)], [b"" for _ in _feature_codes()])
    columns = list(zip(*rows))
    lines = array.array("q", columns[0]).tobytes()
    features = [array.array(code, values).tobytes()
                for code, values in zip(_feature_codes(), columns[1 + kept:])]
    return ColumnBlock(len(rows), lines, [list(c) for c in columns[1:1 + kept]], features)


class Sink(Protocol):
    def write(self, result: ChunkResult) -> None: ...
    def close(self) -> None: ...


class StreamSink:
    """CSV or JSONL: the workers encoded the rows already; this only copies bytes."""

    def __init__(self, stream: IO[bytes], header: bytes = b"", label: str = "the output") -> None:
        self.stream, self.label = stream, label
        self._write(header)

    def _write(self, data: bytes) -> None:
        try:
            self.stream.write(data)
        except BrokenPipeError:
            raise
        except OSError as error:  # a full disk, a file-size limit
            raise _write_error(self.label, error) from None

    def write(self, result: ChunkResult) -> None:
        if result.encoded:
            self._write(result.encoded)

    def close(self) -> None:
        try:
            self.stream.flush()
        except BrokenPipeError:
            raise
        except OSError as error:
            raise _write_error(self.label, error) from None


class ParquetSink:
    """Collects column blocks and writes a row group every ROW_GROUP_ROWS rows.

    pyarrow is imported when the first rows arrive, not before: the import takes a good part
    of a second, which the workers spend extracting, and worker processes must be forked
    before the library starts its threads.
    """

    def __init__(self, stream: IO[bytes], keep: Sequence[str], label: str = "the output") -> None:
        if importlib.util.find_spec("pyarrow") is None:
            raise missing_extra("parquet", "pyarrow", "Parquet output")
        self.stream, self.keep, self.label = stream, tuple(keep), label
        self.writer: Any = None
        self.names: list[tuple[str, int]] = []  # (file, rows) runs
        self.blocks: list[ColumnBlock] = []
        self.pending = 0

    def _open(self) -> None:
        import pyarrow as pa  # type: ignore[import-untyped]
        import pyarrow.parquet as pq  # type: ignore[import-untyped]
        self.pa = pa
        arrow = {bool: pa.bool_(), int: pa.int64(), float: pa.float64()}
        fields = [pa.field("file", pa.large_string(), nullable=False), pa.field("line", pa.int64(), nullable=False)]
        fields += [pa.field(k, pa.large_string()) for k in self.keep]
        fields += [pa.field(k, arrow[t], nullable=False) for k, t in feature_types().items()]
        self.schema = pa.schema(fields)
        # Written through the stream: its file was created exclusively, never reopened by path.
        self.writer = pq.ParquetWriter(self.stream, self.schema)

    def write(self, result: ChunkResult) -> None:
        block = result.columns if result.columns is not None else encode_columns(result.rows, len(self.keep))
        if not block.count:
            return
        if self.writer is None:
            self._open()  # now, while the workers go on with the next chunks
        self.names.append((result.name, block.count))
        self.blocks.append(block)
        self.pending += block.count
        if self.pending >= ROW_GROUP_ROWS:
            self._flush()

    def _flush(self) -> None:
        if self.writer is None:
            self._open()
        if not self.blocks:
            return
        pa, n, blocks = self.pa, self.pending, self.blocks
        names = [name for name, count in self.names for _ in range(count)]
        arrays = [_strings(pa, names), _fixed(pa, pa.int64(), n, b"".join(b.lines for b in blocks))]
        arrays += [_strings(pa, [v for b in blocks for v in b.kept[i]]) for i in range(len(self.keep))]
        for i, field in enumerate(self.schema.names[2 + len(self.keep):]):
            data = b"".join(b.features[i] for b in blocks)
            kind = self.schema.field(field).type
            arrays.append(_fixed(pa, kind, n, _bits(data) if kind == pa.bool_() else data))
        try:
            self.writer.write_table(pa.Table.from_arrays(arrays, schema=self.schema))
        except OSError as error:
            raise _write_error(self.label, error) from None
        self.names, self.blocks, self.pending = [], [], 0

    def close(self) -> None:
        self._flush()
        try:
            self.writer.close()
            self.stream.flush()
        except OSError as error:
            raise _write_error(self.label, error) from None


def _fixed(pa: Any, kind: Any, count: int, data: bytes) -> Any:
    # Arrays are assembled from their buffers: pyarrow's conversion of Python lists
    # imports pandas first, which would add a third of a second to every run.
    return pa.Array.from_buffers(kind, count, [None, pa.py_buffer(data)])


def _strings(pa: Any, values: Sequence[str | None]) -> Any:
    texts = [b"" if v is None else v.encode() for v in values]
    offsets = array.array("q", [0, *itertools.accumulate(map(len, texts))])
    valid = None if None not in values else pa.py_buffer(_bits(bytes(v is not None for v in values)))
    return pa.Array.from_buffers(pa.large_string(), len(values),
                                 [valid, pa.py_buffer(offsets), pa.py_buffer(b"".join(texts))])


_DIGITS: Final = bytes.maketrans(b"\x00\x01", b"01")


def _bits(flags: bytes) -> bytes:
    """Arrow's bitmap of flags (one byte, 0 or 1, each): flag i in bit i % 8 of byte i // 8."""
    if not flags:
        return b""
    return int(flags.translate(_DIGITS)[::-1], 2).to_bytes((len(flags) + 7) // 8, "little")


class MemorySink:
    """Keeps every row with the index of its input (for the report)."""

    def __init__(self) -> None:
        self.sources: list[int] = []
        self.rows: list[Row] = []

    def write(self, result: ChunkResult) -> None:
        self.sources.extend([result.source] * len(result.rows))
        self.rows.extend(result.rows)

    def close(self) -> None:
        pass


def stream_sink(stream: IO[bytes], fmt: str, columns: Sequence[str], label: str = "the output") -> StreamSink:
    header = encode_csv(columns[0], [tuple(columns[1:])]) if fmt == "csv" else b""
    return StreamSink(stream, header, label)
