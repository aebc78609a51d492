"""Batch feature extraction: JSON-lines telemetry in, one feature row per session out.

Input files are read as raw bytes in chunks of lines; each chunk is parsed (orjson) and
extracted in a worker process, so both the parsing and the extraction use every core.
Results come back in input order. A line that is not a JSON object is rejected with its
file and line number and counted; nothing is dropped silently: read = written + rejected.
"""

import csv
import gzip
import io
import json
import multiprocessing
import os
import signal
import sys
import threading
import time
from collections import deque
from collections.abc import Callable, Iterator, Sequence
from concurrent.futures import Executor, Future, ProcessPoolExecutor
from contextlib import contextmanager
from dataclasses import dataclass, field
from functools import partial
from typing import IO, Any, Final, Protocol, cast

import orjson
import velmora_core_rs as _rs

from velmora_core.records import FEATURE_NAMES

FORMATS: Final = ("parquet", "csv", "jsonl")
SUFFIXES: Final = {".parquet": "parquet", ".pq": "parquet", ".csv": "csv", ".jsonl": "jsonl",
                   ".ndjson": "jsonl"}
# About a dozen 20 KB sessions: large enough that shipping a chunk to a worker costs little
# against extracting it, small enough that two workers stay evenly loaded on short files.
CHUNK_BYTES: Final = 256 * 1024
# Rows of one Parquet row group.
ROW_GROUP_ROWS: Final = 65536

# A row as it leaves a worker: (line number, *kept values, *the 39 features).
Row = tuple[Any, ...]


class BatchError(Exception):
    """A run that cannot start or go on: unreadable input, unknown format, missing extra."""


def missing_extra(extra: str, package: str, purpose: str) -> BatchError:
    return BatchError(f"{purpose} needs the {package} package: pip install 'velmora_core_rs[{extra}]'")


def feature_types() -> dict[str, type]:
    """Python type of each feature (bool, int or float), in record order."""
    return {name: type(value) for name, value in _rs.extract_features_rs({}).items()}


def format_for(path: str, explicit: str | None) -> str:
    if explicit is not None:
        return explicit
    suffix = os.path.splitext(path)[1].lower()
    if suffix not in SUFFIXES:
        raise BatchError(f"cannot tell the output format of {path!r} from its suffix; use --format "
                         f"({', '.join(FORMATS)}) or one of {', '.join(SUFFIXES)}")
    return SUFFIXES[suffix]


# ---------------------------------------------------------------- reading

@dataclass(frozen=True)
class Chunk:
    source: int  # index of the input in the run's list of inputs
    name: str  # the input as named on the command line
    first_line: int  # 1-based number of lines[0] in its input
    lines: list[bytes]


def open_input(path: str) -> IO[bytes]:
    """A binary stream of the input's lines: `-` is stdin, `.gz` and `.zst` are decompressed."""
    if path == "-":
        return sys.stdin.buffer
    try:
        if path.endswith(".gz"):
            return cast(IO[bytes], gzip.open(path, "rb"))
        if path.endswith(".zst"):
            try:
                import zstandard
            except ImportError:
                raise missing_extra("zstd", "zstandard", f"reading {path}") from None
            return io.BufferedReader(zstandard.ZstdDecompressor().stream_reader(open(path, "rb"),
                                                                                closefd=True))
        return open(path, "rb")
    except OSError as error:
        raise BatchError(f"cannot read {path}: {error.strerror or error}") from None


def read_chunks(inputs: Sequence[str], chunk_bytes: int = CHUNK_BYTES) -> Iterator[Chunk]:
    """The lines of every input in order, in chunks of about chunk_bytes."""
    for source, name in enumerate(inputs):
        stream = open_input(name)
        try:
            number = 1
            while True:
                try:
                    lines = stream.readlines(chunk_bytes)
                except (OSError, EOFError) as error:
                    raise BatchError(f"cannot read {name} after line {number - 1}: {error}") from None
                if not lines:
                    break
                yield Chunk(source, name, number, lines)
                number += len(lines)
        finally:
            if stream is not sys.stdin.buffer:
                stream.close()


# ---------------------------------------------------------------- extraction (runs in workers)

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
        values = extract(telemetry).values()
        if keep:
            rows.append((number, *[_kept_value(telemetry.get(k)) for k in keep], *values))
        else:
            rows.append((number, *values))
    return rows, rejects


def encode_csv(name: str, rows: list[Row]) -> bytes:
    text = io.StringIO()
    writer = csv.writer(text, lineterminator="\n")
    writer.writerows((name, *row) for row in rows)
    return text.getvalue().encode()


def encode_jsonl(name: str, rows: list[Row], columns: Sequence[str]) -> bytes:
    # JSON has no NaN or infinity: orjson writes them as null.
    dumps, option = orjson.dumps, orjson.OPT_APPEND_NEWLINE
    return b"".join(dumps(dict(zip(columns, (name, *row))), option=option) for row in rows)


def extract_chunk(chunk: Chunk, keep: Sequence[str] = (), encoding: str | None = None) -> ChunkResult:
    """The worker's task: parse, extract and (for CSV and JSONL) encode one chunk."""
    rows, rejects = extract_lines(chunk.lines, chunk.first_line, keep)
    result = ChunkResult(chunk.source, chunk.name, len(chunk.lines), sum(map(len, chunk.lines)),
                         len(rows), rows, rejects)
    if encoding == "csv":
        result.encoded, result.rows = encode_csv(chunk.name, rows), []
    elif encoding == "jsonl":
        result.encoded, result.rows = encode_jsonl(chunk.name, rows, output_columns(keep)), []
    return result


def output_columns(keep: Sequence[str] = ()) -> list[str]:
    return ["file", "line", *keep, *FEATURE_NAMES]


# ---------------------------------------------------------------- writing

class Sink(Protocol):
    def write(self, result: ChunkResult) -> None: ...
    def close(self) -> None: ...


class StreamSink:
    """CSV or JSONL: the workers encoded the rows already; this only copies bytes."""

    def __init__(self, stream: IO[bytes], header: bytes = b"") -> None:
        self.stream = stream
        stream.write(header)

    def write(self, result: ChunkResult) -> None:
        if result.encoded:
            self.stream.write(result.encoded)

    def close(self) -> None:
        self.stream.flush()


class ParquetSink:
    def __init__(self, path: str, keep: Sequence[str]) -> None:
        try:
            import pyarrow as pa  # type: ignore[import-untyped]
            import pyarrow.parquet as pq  # type: ignore[import-untyped]
        except ImportError:
            raise missing_extra("parquet", "pyarrow", "Parquet output") from None
        self.pa = pa
        arrow = {bool: pa.bool_(), int: pa.int64(), float: pa.float64()}
        fields = [pa.field("file", pa.string(), nullable=False), pa.field("line", pa.int64(), nullable=False)]
        fields += [pa.field(k, pa.string()) for k in keep]
        fields += [pa.field(k, arrow[t], nullable=False) for k, t in feature_types().items()]
        self.schema = pa.schema(fields)
        self.writer = pq.ParquetWriter(path, self.schema)
        self.names: list[str] = []
        self.rows: list[Row] = []

    def write(self, result: ChunkResult) -> None:
        self.names.extend([result.name] * len(result.rows))
        self.rows.extend(result.rows)
        if len(self.rows) >= ROW_GROUP_ROWS:
            self._flush()

    def _flush(self) -> None:
        if not self.rows:
            return
        columns = [self.names, *zip(*self.rows)]
        arrays = [self.pa.array(c, type=f.type) for c, f in zip(columns, self.schema)]
        self.writer.write_table(self.pa.Table.from_arrays(arrays, schema=self.schema))
        self.names, self.rows = [], []

    def close(self) -> None:
        self._flush()
        self.writer.close()


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


# ---------------------------------------------------------------- running

def default_jobs() -> int:
    return os.process_cpu_count() or 1


def _threads() -> int:
    try:
        return len(os.listdir("/proc/self/task"))  # native threads too (Arrow's, Dask's)
    except OSError:
        return threading.active_count()


def process_pool(jobs: int) -> ProcessPoolExecutor:
    """A pool of jobs processes. Create it before importing libraries that start threads.

    fork starts workers in milliseconds and is safe while this process runs one thread;
    otherwise the workers come from a fork server, which costs a fresh interpreter once.
    """
    methods = multiprocessing.get_all_start_methods()
    if "fork" in methods and _threads() == 1:
        method = "fork"
    else:
        method = "forkserver" if "forkserver" in methods else "spawn"
    return ProcessPoolExecutor(jobs, mp_context=multiprocessing.get_context(method),
                               initializer=_ignore_interrupt)


def _ignore_interrupt() -> None:
    # Ctrl-C reaches the whole process group: the main process handles it (it stops the
    # pool and removes the partial output); workers just finish their chunk.
    signal.signal(signal.SIGINT, signal.SIG_IGN)


@contextmanager
def executor_for(jobs: int | None, executor: Executor | None) -> Iterator[Executor | None]:
    """executor if given; None (this process) for one job; else a pool shut down on exit."""
    jobs = default_jobs() if jobs is None else jobs
    if executor is not None or jobs <= 1:
        yield executor
        return
    pool = process_pool(jobs)
    try:
        yield pool
    finally:
        pool.shutdown(wait=True, cancel_futures=True)


def ordered_results(chunks: Iterator[Chunk], work: Callable[[Chunk], ChunkResult],
                    executor: Executor | None, depth: int) -> Iterator[ChunkResult]:
    """work applied to each chunk, in input order, with at most depth chunks in flight."""
    if executor is None:
        yield from map(work, chunks)
        return
    pending: deque[Future[ChunkResult]] = deque()
    try:
        for chunk in chunks:
            pending.append(executor.submit(work, chunk))
            if len(pending) >= depth:
                yield pending.popleft().result()
        while pending:
            yield pending.popleft().result()
    finally:
        for future in pending:
            future.cancel()


@dataclass
class Summary:
    read: int = 0
    written: int = 0
    rejected: int = 0
    seconds: float = 0.0
    stopped_at: str | None = None  # "file:line" where --strict stopped the run
    rejects: list[str] = field(default_factory=list)


class Progress:
    """One self-overwriting line on a terminal: sessions, sessions/s, share of the input read."""

    def __init__(self, stream: IO[str], total_bytes: int | None) -> None:
        self.stream, self.total = stream, total_bytes
        self.start = self.last = time.perf_counter()
        self.done_bytes = 0
        self.shown = False

    def update(self, sessions: int, chunk_bytes: int) -> None:
        self.done_bytes += chunk_bytes
        now = time.perf_counter()
        if now - self.last < 0.2:
            return
        self.last = now
        rate = sessions / max(now - self.start, 1e-9)
        share = f"  {100 * self.done_bytes / self.total:5.1f} %" if self.total else ""
        self.stream.write(f"\r{sessions:>10,} sessions  {rate:>9,.0f} sessions/s{share}")
        self.stream.flush()
        self.shown = True

    def close(self) -> None:
        if self.shown:
            self.stream.write("\r\x1b[K")
            self.stream.flush()


def _plain_size(inputs: Sequence[str]) -> int | None:
    try:
        if all(p != "-" and not p.endswith((".gz", ".zst")) for p in inputs):
            return sum(os.path.getsize(p) for p in inputs)
    except OSError:
        pass
    return None


def run(inputs: Sequence[str], sink: Sink, *, jobs: int | None = None, keep: Sequence[str] = (),
        strict: bool = False, encoding: str | None = None, executor: Executor | None = None,
        progress: bool = False, errors: IO[str] | None = None,
        chunk_bytes: int = CHUNK_BYTES) -> Summary:
    """Extract every line of the inputs into sink, in input order.

    Rejected lines are reported on errors (stderr by default) as "file:line: reason".
    jobs=1 without an executor runs in this process; otherwise the chunks go to executor,
    or to a pool of jobs processes (default: every core).
    """
    errors = sys.stderr if errors is None else errors
    with executor_for(jobs, executor) as pool:
        return _run(inputs, sink, pool, 4 * max(jobs or default_jobs(), 2), keep, strict, encoding, progress,
                    errors, chunk_bytes)


def _run(inputs: Sequence[str], sink: Sink, pool: Executor | None, depth: int, keep: Sequence[str],
         strict: bool, encoding: str | None, progress: bool, errors: IO[str], chunk_bytes: int) -> Summary:
    summary = Summary()
    start = time.perf_counter()
    meter = Progress(sys.stderr, _plain_size(inputs)) if progress else None
    work = partial(extract_chunk, keep=tuple(keep), encoding=encoding)
    try:
        for result in ordered_results(read_chunks(inputs, chunk_bytes), work, pool, depth):
            if strict and result.rejects:
                number, reason = result.rejects[0]
                summary.stopped_at = f"{result.name}:{number}"
                summary.rejects.append(f"{result.name}:{number}: {reason}")
                errors.write(f"{result.name}:{number}: {reason}\n")
                break
            sink.write(result)
            summary.read += result.lines
            summary.written += result.written
            summary.rejected += len(result.rejects)
            for number, reason in result.rejects:
                message = f"{result.name}:{number}: {reason}"
                summary.rejects.append(message)
                errors.write(message + "\n")
            if meter is not None:
                meter.update(summary.written, result.size)
    finally:
        if meter is not None:
            meter.close()
    summary.seconds = time.perf_counter() - start
    return summary


def extract_to_file(inputs: Sequence[str], output: str, *, fmt: str | None = None,
                    jobs: int | None = None, keep: Sequence[str] = (), strict: bool = False,
                    executor: Executor | None = None, progress: bool = False,
                    errors: IO[str] | None = None, chunk_bytes: int = CHUNK_BYTES) -> Summary:
    """Write one row per session (file, line, *keep, *features) to output.

    The format comes from fmt or output's suffix (.parquet, .csv, .jsonl). The rows go to
    a temporary file beside output, renamed to output only when the run completes; a run
    that fails, is interrupted or is stopped by strict leaves no output behind. output "-"
    writes CSV or JSONL to stdout.
    """
    fmt = format_for(output, fmt)
    if fmt not in FORMATS:
        raise BatchError(f"unknown output format {fmt!r}; choose one of {', '.join(FORMATS)}")
    columns = output_columns(keep)
    options: dict[str, Any] = dict(strict=strict, progress=progress, errors=errors, chunk_bytes=chunk_bytes)
    if output == "-":
        if fmt == "parquet":
            raise BatchError("Parquet cannot be written to stdout; name an output file")
        sink = _stream_sink(sys.stdout.buffer, fmt, columns)
        summary = run(inputs, sink, jobs=jobs, keep=keep, encoding=fmt, executor=executor, **options)
        sink.close()
        return summary
    if os.path.exists(output) and not os.path.isfile(output):
        # A device or a pipe (/dev/null, /dev/stdout, a FIFO): written in place, never
        # replaced by a renamed file.
        with executor_for(jobs, executor) as pool:
            return _run_into(output, fmt, columns, inputs, jobs=jobs, keep=keep, executor=pool, **options)
    directory, name = os.path.split(os.path.abspath(output))
    temporary = os.path.join(directory, f".{name}.{os.getpid()}.part")
    # The pool first: the Parquet writer's library starts threads, after which forking is unsafe.
    with executor_for(jobs, executor) as pool:
        try:
            summary = _run_into(temporary, fmt, columns, inputs, jobs=jobs, keep=keep, executor=pool, **options)
            if summary.stopped_at is None:
                os.replace(temporary, output)
            return summary
        finally:
            if os.path.exists(temporary):
                os.unlink(temporary)


def _run_into(path: str, fmt: str, columns: Sequence[str], inputs: Sequence[str], *,
              jobs: int | None, keep: Sequence[str], executor: Executor | None, **options: Any) -> Summary:
    stream = None
    if fmt == "parquet":
        sink: Sink = ParquetSink(path, keep)
    else:
        try:
            stream = open(path, "wb")
        except OSError as error:
            raise BatchError(f"cannot write {path}: {error.strerror or error}") from None
        sink = _stream_sink(stream, fmt, columns)
    try:
        return run(inputs, sink, jobs=jobs, keep=keep, encoding=None if fmt == "parquet" else fmt,
                   executor=executor, **options)
    finally:
        sink.close()
        if stream is not None:
            stream.close()


def _stream_sink(stream: IO[bytes], fmt: str, columns: Sequence[str]) -> StreamSink:
    header = encode_csv(columns[0], [tuple(columns[1:])]) if fmt == "csv" else b""
    return StreamSink(stream, header)
