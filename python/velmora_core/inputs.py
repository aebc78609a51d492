"""Reading JSON-lines inputs as raw bytes, in chunks of lines."""

import gzip
import io
import os
import sys
from collections.abc import Iterator, Sequence
from dataclasses import dataclass
from typing import IO, Final, cast

from velmora_core.errors import BatchError, missing_extra

# About a dozen 20 KB sessions: large enough that shipping a chunk to a worker costs little
# against extracting it, small enough that two workers stay evenly loaded on short files.
CHUNK_BYTES: Final = 256 * 1024


@dataclass(frozen=True)
class Chunk:
    """Whole lines of one input: their bytes, or where a worker reads them itself."""

    source: int  # index of the input in the run's list of inputs
    name: str  # the input as named on the command line
    first_line: int  # 1-based number of the chunk's first line in its input
    count: int  # lines in the chunk
    data: bytes | None  # the lines, each ending in "\n" except perhaps an input's last
    path: str = ""  # when data is None: the file (absolute path) and the byte range to read
    offset: int = 0
    size: int = 0

    def lines(self) -> list[bytes]:
        if self.data is not None:
            data = self.data
        else:
            with open(self.path, "rb") as f:
                f.seek(self.offset)
                data = f.read(self.size)
        lines = data.split(b"\n")
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


def _chunk(source: int, name: str, number: int, count: int, path: str, offset: int,
           pending: bytes, block: bytes, cut: int) -> Chunk:
    """The chunk of lines made of pending and block[:cut]."""
    if path:
        return Chunk(source, name, number, count, None, path, offset, len(pending) + cut)
    data = block if cut == len(block) else block[:cut]
    return Chunk(source, name, number, count, pending + data if pending else data)


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
            number, offset, pending = 1, 0, b""
            while True:
                try:
                    block = stream.read(chunk_bytes)
                except (OSError, EOFError) as error:
                    raise BatchError(f"cannot read {name} after line {number - 1}: {error}") from None
                if not block:  # the end: what is left is the last line, without its "\n"
                    if pending:
                        yield _chunk(source, name, number, 1, path, offset, pending, b"", len(pending))
                    break
                cut = block.rfind(b"\n") + 1
                if cut == 0:  # a line longer than the block goes on
                    pending += block
                    continue
                count = block.count(b"\n")
                yield _chunk(source, name, number, count, path, offset, pending, block, cut)
                number, offset = number + count, offset + len(pending) + cut
                pending = block[cut:]
        finally:
            if stream is not sys.stdin.buffer:
                stream.close()


def plain_size(inputs: Sequence[str]) -> int | None:
    """Total bytes of the inputs when all are plain files (for the progress bar), else None."""
    try:
        if all(map(_is_plain, inputs)):
            return sum(os.path.getsize(p) for p in inputs)
    except OSError:
        pass
    return None
