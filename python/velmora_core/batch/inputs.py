"""Reading JSON-lines inputs as raw bytes, in chunks of lines."""

import gzip
import io
import os
import sys
from collections.abc import Iterator, Sequence
from dataclasses import dataclass
from typing import IO, Final, cast

from velmora_core.errors import BatchError, missing_extra

# Each chunk costs a worker task (about 0.1 ms of this process's time); fewer, larger chunks
# leave workers idle at the end of short inputs. 512 KB (some 25 sessions of 20 KB) suits
# inputs of unknown size; known sizes get about eight chunks per worker, within these bounds.
CHUNK_BYTES: Final = 512 * 1024
MIN_CHUNK_BYTES: Final = 64 * 1024
MAX_CHUNK_BYTES: Final = 4 * 1024 * 1024


def chunk_bytes_for(inputs: Sequence[str], workers: int) -> int:
    total = plain_size(inputs)
    if total is None:
        return CHUNK_BYTES
    return max(MIN_CHUNK_BYTES, min(MAX_CHUNK_BYTES, total // (8 * workers)))


@dataclass(frozen=True)
class Chunk:
    """Whole lines of one input: the lines themselves, or where a worker reads them."""

    source: int  # index of the input in the run's list of inputs
    name: str  # the input as named on the command line
    first_line: int  # 1-based number of the chunk's first line in its input
    count: int  # lines in the chunk
    size: int  # their bytes (about)
    data: list[bytes] | None  # the lines, without their "\n"
    path: str = ""  # when data is None: the file (absolute path) and the byte range to read
    offset: int = 0

    def lines(self) -> list[bytes]:
        if self.data is not None:
            return self.data
        with open(self.path, "rb") as f:
            f.seek(self.offset)
            lines = _split(f.read(self.size))
        if lines[-1] == b"":
            lines.pop()
        return lines


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
        return open(path, "rb", buffering=0)  # read in large blocks: no buffer copy needed
    except OSError as error:
        raise BatchError(f"cannot read {path}: {error.strerror or error}") from None


def _is_plain(path: str) -> bool:
    return path != "-" and not path.endswith((".gz", ".zst"))


def read_chunks(inputs: Sequence[str], chunk_bytes: int = CHUNK_BYTES, by_range: bool = False) -> Iterator[Chunk]:
    """The lines of every input in order, in chunks of whole lines of about chunk_bytes.

    With by_range, chunks of plain files carry only their byte range, so that worker
    processes read the bytes themselves instead of receiving them through a pipe; this
    process still reads them once, to count the lines.
    """
    for source, name in enumerate(inputs):
        stream = open_input(name)
        path = os.path.abspath(name) if by_range and _is_plain(name) else ""
        try:
            yield from (_ranges(stream, source, name, path, chunk_bytes) if path
                        else _lines(stream, source, name, chunk_bytes))
        finally:
            if stream is not sys.stdin.buffer:
                stream.close()


# Lines are found with bytes.find, which runs at memchr speed, several times faster on
# sessions of kilobytes than bytes.split and bytes.count (a byte-by-byte loop).

def _split(block: bytes) -> list[bytes]:
    """The lines of block; the last item is what follows the last "\n" (maybe empty)."""
    lines = []
    start, find = 0, block.find
    while (end := find(b"\n", start)) >= 0:
        lines.append(block[start:end])
        start = end + 1
    lines.append(block[start:])
    return lines


def _count(block: bytes) -> int:
    count, start, find = 0, 0, block.find
    while (end := find(b"\n", start)) >= 0:
        count += 1
        start = end + 1
    return count


def _read(stream: IO[bytes], name: str, size: int, number: int) -> bytes:
    try:
        return stream.read(size)
    except (OSError, EOFError) as error:
        raise BatchError(f"cannot read {name} after line {number - 1}: {error}") from None


def _lines(stream: IO[bytes], source: int, name: str, chunk_bytes: int) -> Iterator[Chunk]:
    number, pending = 1, b""
    while block := _read(stream, name, chunk_bytes, number):
        lines = _split(block)
        tail = lines.pop()  # the start of the line that the next block goes on with
        if not lines:
            pending += tail
            continue
        if pending:
            lines[0] = pending + lines[0]
        pending = tail
        yield Chunk(source, name, number, len(lines), len(block), lines)
        number += len(lines)
    if pending:  # the last line, without a "\n"
        yield Chunk(source, name, number, 1, len(pending), [pending])


def _ranges(stream: IO[bytes], source: int, name: str, path: str, chunk_bytes: int) -> Iterator[Chunk]:
    number, offset, pending = 1, 0, 0  # pending: bytes of the line the next block goes on with
    while block := _read(stream, name, chunk_bytes, number):
        cut = block.rfind(b"\n") + 1
        if cut == 0:
            pending += len(block)
            continue
        count = _count(block)
        yield Chunk(source, name, number, count, pending + cut, None, path, offset)
        number, offset, pending = number + count, offset + pending + cut, len(block) - cut
    if pending:
        yield Chunk(source, name, number, 1, pending, None, path, offset)


def plain_size(inputs: Sequence[str]) -> int | None:
    """Total bytes of the inputs when all are plain files (for the progress bar), else None."""
    try:
        if all(map(_is_plain, inputs)):
            return sum(os.path.getsize(p) for p in inputs)
    except OSError:
        pass
    return None
