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


def plain_size(inputs: Sequence[str]) -> int | None:
    """Total bytes of the inputs when all are plain files (for the progress bar), else None."""
    try:
        if all(p != "-" and not p.endswith((".gz", ".zst")) for p in inputs):
            return sum(os.path.getsize(p) for p in inputs)
    except OSError:
        pass
    return None
