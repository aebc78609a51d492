"""Batch feature extraction: JSON-lines telemetry in, one feature row per session out.

Input files are read as raw bytes in chunks of lines; each chunk is read (natively, from the JSON text) and
extracted in a worker process, so both the parsing and the extraction use every core.
Results come back in input order. A line that is not a JSON object is rejected with its
file and line number and counted; nothing is dropped silently: read = written + rejected.
"""

import array
import contextlib
import gc
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
from typing import IO, Any

from velmora_core.batch.extraction import ChunkResult, Row, extract_lines
from velmora_core.batch.inputs import MAX_LINE_BYTES, Chunk, chunk_bytes_for, display_name, plain_size, read_chunks
from velmora_core.batch.output_files import create_temporary
from velmora_core.batch.writers import (FORMATS, ParquetSink, Sink, check_keep, encode_columns, encode_csv,
                                        encode_jsonl, format_for, output_columns, stream_sink)
from velmora_core.errors import BatchError


def extract_chunk(chunk: Chunk, keep: Sequence[str] = (), encoding: str | None = None) -> ChunkResult:
    """The worker's task: parse, extract and lay out one chunk for its output format."""
    if chunk.numbered:
        lines = chunk.lines()
        count = len(lines)
        rows, rejects = extract_lines(lines, chunk.first_line, keep)
    else:
        count, rows, rejects = _extract_raw(chunk, keep)
    result = ChunkResult(chunk.source, chunk.name, count, chunk.size, len(rows), rows, rejects,
                         relative=not chunk.numbered)
    if encoding == "csv":
        result.encoded, result.rows = encode_csv(chunk.name, rows), []
    elif encoding == "jsonl":
        result.encoded, result.rows = encode_jsonl(chunk.name, rows, output_columns(keep)), []
    elif encoding == "parquet":
        result.columns, result.rows = encode_columns(rows, len(keep)), []
    return result


def unless_refused(work: Callable[[Chunk], ChunkResult], chunk: Chunk) -> ChunkResult:
    """work(chunk), or the rejection of the line the reading refused (too long)."""
    if chunk.reject:
        return ChunkResult(chunk.source, chunk.name, 1, chunk.size, 0, [], [(chunk.first_line, chunk.reject)])
    return work(chunk)


def _extract_raw(chunk: Chunk, keep: Sequence[str]) -> tuple[int, list[Row], list[tuple[int, str]]]:
    """extract_lines over an unnumbered chunk: its lines numbered from 1, refused ones rejected."""
    items = chunk.raw_lines()
    rows: list[Row] = []
    rejects: list[tuple[int, str]] = []
    run: list[bytes] = []  # the lines since the last refused one
    for number, item in enumerate([*items, ""], 1):
        if isinstance(item, bytes):
            run.append(item)
            continue
        found, failed = extract_lines(run, number - len(run), keep)
        rows += found
        rejects += failed
        if number <= len(items):
            rejects.append((number, item))
        run = []
    return len(items), rows, rejects


def renumbered(result: ChunkResult, before: int) -> ChunkResult:
    """The result of an unnumbered chunk, whose lines count from 1, numbered after the
    before lines that came earlier from its input."""
    if before:
        result.rejects = [(number + before, reason) for number, reason in result.rejects]
        result.rows = [(row[0] + before, *row[1:]) for row in result.rows]
        if result.columns is not None:
            lines = array.array("q", result.columns.lines)
            result.columns.lines = array.array("q", [n + before for n in lines]).tobytes()
    return result


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
    # Ctrl-C reaches the whole process group, and a service manager stops every process
    # of the unit: the main process handles both (it stops the pool and removes the
    # partial output); workers just finish their chunk and leave when the pool shuts down.
    signal.signal(signal.SIGINT, signal.SIG_IGN)
    signal.signal(signal.SIGTERM, signal.SIG_IGN)
    # The objects inherited from the main process are never garbage here. Kept out of the
    # collector's passes, which write into every object they visit, their pages stay shared.
    gc.freeze()


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


def counted(count: int, noun: str) -> str:
    """'1 line', '2 lines': a count and its noun, for summaries."""
    return f"{count} {noun}" if count == 1 else f"{count} {noun}s"


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


def run(inputs: Sequence[str], sink: Sink, *, jobs: int | None = None, keep: Sequence[str] = (),
        strict: bool = False, encoding: str | None = None, executor: Executor | None = None,
        progress: bool = False, errors: IO[str] | None = None,
        chunk_bytes: int | None = None, max_line_bytes: int = MAX_LINE_BYTES,
        work: Callable[[Chunk], ChunkResult] | None = None) -> Summary:
    """Extract every line of the inputs into sink, in input order.

    work replaces the extraction of a chunk (a picklable function: the scoring and the
    training commands read their inputs the same way but make other rows).

    Rejected lines are reported on errors (stderr by default) as "file:line: reason".
    jobs=1 without an executor runs in this process; otherwise the chunks go to executor,
    or to a pool of jobs processes (default: every core). A line longer than
    max_line_bytes is rejected without being held in memory.
    """
    report: IO[str] = sys.stderr if errors is None else errors
    task = partial(unless_refused, work or partial(extract_chunk, keep=tuple(keep), encoding=encoding))
    # Results whose lines this process can still number (rows and Parquet columns, not
    # encoded text) come from chunks it need not read at all.
    numbered = work is not None or encoding not in (None, "parquet")
    with executor_for(jobs, executor) as pool:
        workers = 1 if pool is None else max(jobs or default_jobs(), 2)
        chunk_bytes = chunk_bytes or chunk_bytes_for(inputs, workers)
        return _run(inputs, sink, pool, 4 * workers, task, strict, progress, report, chunk_bytes,
                    max_line_bytes, numbered)


def _run(inputs: Sequence[str], sink: Sink, pool: Executor | None, depth: int,
         work: Callable[[Chunk], ChunkResult], strict: bool, progress: bool, errors: IO[str],
         chunk_bytes: int, max_line_bytes: int, numbered: bool) -> Summary:
    summary = Summary()
    start = time.perf_counter()
    meter = Progress(sys.stderr, plain_size(inputs)) if progress else None
    try:
        # Local worker processes read plain files themselves; other executors (a Dask
        # cluster) get the bytes.
        chunks = read_chunks(inputs, chunk_bytes, by_range=isinstance(pool, ProcessPoolExecutor),
                             max_line_bytes=max_line_bytes, numbered=numbered)
        lines_before: dict[int, int] = {}  # per input, for results of unnumbered chunks
        for result in ordered_results(chunks, work, pool, depth):
            before = lines_before.get(result.source, 0)
            lines_before[result.source] = before + result.lines
            if result.relative:
                result = renumbered(result, before)
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
                    errors: IO[str] | None = None, chunk_bytes: int | None = None,
                    max_line_bytes: int = MAX_LINE_BYTES) -> Summary:
    """Write one row per session (file, line, *keep, *features) to output.

    The format comes from fmt or output's suffix (.parquet, .csv, .jsonl). The rows go to
    a temporary file beside output, renamed to output only when the run completes; a run
    that fails, is interrupted or is stopped by strict leaves no output behind. output "-"
    writes CSV or JSONL to stdout.
    """
    fmt = format_for(output, fmt)
    if fmt not in FORMATS:
        raise BatchError(f"unknown output format {fmt!r}; choose one of {', '.join(FORMATS)}")
    check_keep(keep)
    columns = output_columns(keep)
    options: dict[str, Any] = dict(fmt=fmt, columns=columns, inputs=inputs, jobs=jobs, keep=keep, strict=strict,
                                   progress=progress, errors=errors, chunk_bytes=chunk_bytes,
                                   max_line_bytes=max_line_bytes)
    if output == "-":
        if fmt == "parquet":
            raise BatchError("Parquet cannot be written to stdout; name an output file")
        return _run_into(sys.stdout.buffer, "standard output", executor=executor, **options)
    label = display_name(output)
    if os.path.exists(output) and not os.path.isfile(output):
        # A device or a pipe (/dev/null, /dev/stdout, a FIFO): written in place, never
        # replaced by a renamed file.
        with executor_for(jobs, executor) as pool:
            try:
                stream = open(output, "wb")
            except OSError as error:
                raise BatchError(f"cannot write {label}: {error.strerror or error}") from None
            with _closing(stream, label):
                return _run_into(stream, label, executor=pool, **options)
    # The pool first: the Parquet writer's library starts threads, after which forking is
    # unsafe (the sink imports it only once the workers run).
    with executor_for(jobs, executor) as pool:
        temporary, descriptor = create_temporary(output)
        renamed = False
        try:
            with _closing(open(descriptor, "wb"), label) as written:
                summary = _run_into(written, label, executor=pool, **options)
            if summary.stopped_at is None:
                try:
                    os.replace(temporary, output)
                except OSError as error:
                    raise BatchError(f"cannot write {label}: {error.strerror or error}") from None
                renamed = True
            return summary
        finally:
            if not renamed:
                with contextlib.suppress(OSError):
                    os.unlink(temporary)


@contextmanager
def _closing(stream: IO[bytes], label: str) -> Iterator[IO[bytes]]:
    """stream, closed on exit; a failed close is an error only when nothing failed before."""
    try:
        yield stream
    except BaseException:
        with contextlib.suppress(OSError):
            stream.close()
        raise
    try:
        stream.close()
    except OSError as error:
        raise BatchError(f"cannot write {label}: {error.strerror or error}") from None


def _run_into(stream: IO[bytes], label: str, *, fmt: str, columns: Sequence[str], inputs: Sequence[str],
              jobs: int | None, keep: Sequence[str], executor: Executor | None, **options: Any) -> Summary:
    sink: Sink = ParquetSink(stream, keep, label) if fmt == "parquet" else stream_sink(stream, fmt, columns, label)
    try:
        summary = run(inputs, sink, jobs=jobs, keep=keep, encoding=fmt,
                      executor=executor, **options)
    except BaseException:
        with contextlib.suppress(Exception):
            sink.close()  # its own error would hide the one that stopped the run
        raise
    sink.close()
    return summary
