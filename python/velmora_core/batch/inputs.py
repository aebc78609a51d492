"""Reading JSON-lines inputs as raw bytes, in chunks of lines."""

import gzip
import io
import os
import stat
import sys
import zlib
from collections.abc import Iterator, Sequence
from dataclasses import dataclass
from typing import IO, Any, Final, cast

from velmora_core.errors import BatchError, missing_extra

# Each chunk costs a worker task (about 0.1 ms of this process's time); fewer, larger chunks
# leave workers idle at the end of short inputs. 512 KB (some 25 sessions of 20 KB) suits
# inputs of unknown size; known sizes get about eight chunks per worker, within these bounds.
CHUNK_BYTES: Final = 512 * 1024
MIN_CHUNK_BYTES: Final = 64 * 1024
MAX_CHUNK_BYTES: Final = 4 * 1024 * 1024
# A longer line is rejected without being held in memory: its session would cost some ten
# times its size as Python objects in a worker.
MAX_LINE_BYTES: Final = 16 * 1024 * 1024

_GZIP_MAGIC: Final = b"\x1f\x8b"
_ZSTD_MAGIC: Final = b"\x28\xb5\x2f\xfd"


def chunk_bytes_for(inputs: Sequence[str], workers: int) -> int:
    total = plain_size(inputs)
    if total is None:
        return CHUNK_BYTES
    return max(MIN_CHUNK_BYTES, min(MAX_CHUNK_BYTES, total // (8 * workers)))


def display_name(path: str) -> str:
    """path as text that can be written out: bytes that are not UTF-8 become \\xNN."""
    try:
        path.encode()
        return path
    except UnicodeEncodeError:  # undecodable bytes of a file name arrive as lone surrogates
        return os.fsencode(path).decode("utf-8", "backslashreplace")


@dataclass(frozen=True)
class Chunk:
    """Whole lines of one input: the lines themselves, or where a worker reads them."""

    source: int  # index of the input in the run's list of inputs
    name: str  # the input as named on the command line
    first_line: int  # 1-based number of the chunk's first line in its input; 0 when unnumbered
    count: int  # lines in the chunk; -1 when unnumbered (see raw_lines)
    size: int  # their bytes (about)
    data: list[bytes] | None  # the lines, without their "\n"
    path: str = ""  # when data is None: the file (absolute path) and the byte range to read
    offset: int = 0
    reject: str = ""  # set for a single line refused while reading (too long); data is then []
    file_size: int = 0  # unnumbered: the size of the file when it was opened
    limit: int = MAX_LINE_BYTES  # unnumbered: the longest line kept

    @property
    def numbered(self) -> bool:
        return self.count >= 0

    def raw_lines(self) -> list[bytes | str]:
        """An unnumbered chunk's lines: those that start in its byte range, found by the
        reading process itself (the main process only cut the file in ranges). Each is the
        line, or the reason it is refused (longer than limit); the caller numbers them.
        """
        try:
            with open(self.path, "rb", buffering=0) as f:
                if os.fstat(f.fileno()).st_size != self.file_size:
                    raise BatchError(f"{self.name} changed while it was being read")
                return _range_lines(f, self.offset, self.size, self.limit)
        except OSError as error:
            raise BatchError(f"cannot read {self.name}: {error.strerror or error}") from None

    def lines(self) -> list[bytes]:
        if self.data is not None:
            return self.data
        try:
            with open(self.path, "rb") as f:
                f.seek(self.offset)
                lines = _split(f.read(self.size))
        except OSError as error:
            raise BatchError(f"cannot read {self.name}: {error.strerror or error}") from None
        if lines[-1] == b"":
            lines.pop()
        if len(lines) != self.count:
            raise BatchError(f"{self.name} changed while it was being read")
        return lines


class _ZstdFrames:
    """The compressed bytes of a .zst file, passed through while following its frame layout.

    The decompressor ends quietly when its input stops inside a frame; following the
    frame and block headers tells a file cut short from a complete one.
    """

    def __init__(self, raw: IO[bytes]) -> None:
        self.raw = raw
        self.header = b""  # the header being collected
        self.need = 4  # its size
        self.skip = 0  # bytes to pass over before it (block contents)
        self.checksum = False
        self.step = self._magic

    def read(self, size: int = -1) -> bytes:
        data = self.raw.read(size)
        if not data and (self.header or self.skip or self.step != self._magic):
            raise EOFError("the compressed data ends inside a frame: the file was cut short")
        pos = 0
        while pos < len(data):
            if self.skip:
                taken = min(self.skip, len(data) - pos)
                self.skip -= taken
                pos += taken
                continue
            taken = min(self.need - len(self.header), len(data) - pos)
            self.header += data[pos:pos + taken]
            pos += taken
            if len(self.header) == self.need:
                header, self.header = self.header, b""
                self.step(header)
        return data

    def close(self) -> None:
        self.raw.close()

    def _expect(self, size: int, step: Any, skip: int = 0) -> None:
        self.need, self.step, self.skip = size, step, skip

    def _magic(self, header: bytes) -> None:
        magic = int.from_bytes(header, "little")
        if 0x184D2A50 <= magic <= 0x184D2A5F:  # a skippable frame: its size, then its bytes
            self._expect(4, self._skippable)
        else:  # a frame (the decompressor reports anything else)
            self._expect(1, self._descriptor)

    def _skippable(self, header: bytes) -> None:
        self._expect(4, self._magic, int.from_bytes(header, "little"))

    def _descriptor(self, header: bytes) -> None:
        flags = header[0]
        single = flags >> 5 & 1
        self.checksum = bool(flags >> 2 & 1)
        size = (1 - single) + (0, 1, 2, 4)[flags & 3] + (single, 2, 4, 8)[flags >> 6]
        if size:
            self._expect(size, self._frame_header)
        else:
            self._expect(3, self._block)

    def _frame_header(self, header: bytes) -> None:
        self._expect(3, self._block)

    def _block(self, header: bytes) -> None:
        value = int.from_bytes(header, "little")
        content = 1 if value >> 1 & 3 == 1 else value >> 3  # an RLE block holds one byte
        if not value & 1:
            self._expect(3, self._block, content)
        elif self.checksum:
            self._expect(4, self._checksum, content)
        else:
            self._expect(4, self._magic, content)

    def _checksum(self, header: bytes) -> None:
        self._expect(4, self._magic)


def _compressed(path: str) -> bool:
    return path.endswith((".gz", ".zst"))


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
                raise missing_extra("zstd", "zstandard", f"reading {display_name(path)}") from None
            source = cast(IO[bytes], _ZstdFrames(open(path, "rb")))  # it has what the reader uses
            reader = zstandard.ZstdDecompressor().stream_reader(source, read_across_frames=True, closefd=True)
            return io.BufferedReader(reader)
        return open(path, "rb", buffering=0)  # read in large blocks: no buffer copy needed
    except OSError as error:
        raise BatchError(f"cannot read {display_name(path)}: {error.strerror or error}") from None


def _regular_file(path: str) -> bool:
    try:
        return stat.S_ISREG(os.stat(path).st_mode)
    except (OSError, ValueError):
        return False


def _range_path(name: str, stream: IO[bytes]) -> str:
    """Where worker processes can read the opened input themselves, or "" when they cannot.

    Only a plain regular file can be read again by path; a pipe named by path (/dev/stdin,
    <(zcat x.gz), a FIFO) is read here, once. The real path of /dev/fd/N names the file
    itself, which other processes can open.
    """
    if name == "-" or _compressed(name):
        return ""
    try:
        opened = os.fstat(stream.fileno())
        path = os.path.realpath(name)
        named = os.stat(path)
    except (OSError, ValueError, io.UnsupportedOperation):
        return ""
    same = (named.st_dev, named.st_ino) == (opened.st_dev, opened.st_ino)
    return path if same and stat.S_ISREG(opened.st_mode) else ""


def read_chunks(inputs: Sequence[str], chunk_bytes: int = CHUNK_BYTES, by_range: bool = False,
                max_line_bytes: int = MAX_LINE_BYTES, numbered: bool = True) -> Iterator[Chunk]:
    """The lines of every input in order, in chunks of whole lines of about chunk_bytes.

    With by_range, chunks of regular files carry only their byte range, so that worker
    processes read the bytes themselves instead of receiving them through a pipe; this
    process still reads them once, to count the lines. A line longer than max_line_bytes
    becomes a chunk of its own that holds only the reason it is refused. With numbered
    False as well, this process does not read them at all: the chunks are bare byte
    ranges (Chunk.raw_lines), and whoever receives the results numbers their lines.
    """
    for source, name in enumerate(inputs):
        stream = open_input(name)
        label = display_name(name)
        try:
            path = _range_path(name, stream) if by_range else ""
            if path and not numbered:
                yield from _raw_ranges(stream, source, label, path, chunk_bytes, max_line_bytes)
            elif path:
                yield from _ranges(_refilled(stream, chunk_bytes, label), source, label, path, max_line_bytes)
            else:
                yield from _lines(_blocks(stream, chunk_bytes, label, _compressed(name)), source, label,
                                  max_line_bytes)
        finally:
            if stream is not sys.stdin.buffer:
                stream.close()


class _ReadError(Exception):
    """The input could not be read on; the blocks before it were delivered."""


def _read_errors() -> tuple[type[BaseException], ...]:
    zstd = sys.modules.get("zstandard")  # imported when a .zst input was opened
    corrupt: tuple[type[BaseException], ...] = (zstd.ZstdError,) if zstd is not None else ()
    return (OSError, EOFError, zlib.error, *corrupt)


def _blocks(stream: IO[bytes], size: int, name: str, compressed: bool) -> Iterator[bytes]:
    """The stream's bytes in blocks of size (the last one shorter)."""
    # Reads with read1 so that an error (a truncated .gz) loses nothing read before it.
    read = getattr(stream, "read1", stream.read)
    first = True
    while True:
        parts: list[bytes] = []
        got = 0
        failure: BaseException | None = None
        try:
            while got < size and (part := read(size - got)):
                parts.append(part)
                got += len(part)
        except _read_errors() as error:
            failure = error
        block = parts[0] if len(parts) == 1 else b"".join(parts)
        if first and not compressed:
            _refuse_compressed(block, name)
        first = False
        if block:
            yield block
        if failure is not None:
            raise _ReadError(_reason(failure))
        if got < size:
            return


def _refilled(stream: IO[bytes], size: int, name: str) -> Iterator[bytearray]:
    """_blocks of a plain file as one bytearray, refilled: for a caller that only looks at
    each block (counting lines), which spares a fresh allocation per block."""
    readinto = cast(io.RawIOBase, stream).readinto  # a plain file opened unbuffered
    buffer = bytearray(size)
    view = memoryview(buffer)
    first = True
    while True:
        got = 0
        failure: BaseException | None = None
        try:
            while got < size and (part := readinto(view[got:])):
                got += part
        except _read_errors() as error:
            failure = error
        if got < size:
            view.release()
            del buffer[got:]
        if first:
            _refuse_compressed(bytes(buffer[:4]), name)
            first = False
        if got:
            yield buffer
        if failure is not None:
            raise _ReadError(_reason(failure))
        if got < size:
            return


def _reason(failure: BaseException) -> str:
    reason = failure.strerror if isinstance(failure, OSError) and failure.strerror else str(failure)
    return reason or type(failure).__name__


def _refuse_compressed(block: bytes, name: str) -> None:
    for magic, kind, suffix in ((_GZIP_MAGIC, "gzip", ".gz"), (_ZSTD_MAGIC, "zstd", ".zst")):
        if block.startswith(magic):
            where = "standard input holds" if name == "-" else f"{name} holds"
            raise BatchError(f"{where} {kind}-compressed data; only names ending in {suffix} are "
                             f"decompressed: rename it or decompress it first")


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


def _count(block: bytearray) -> int:
    count, start, find = 0, 0, block.find
    while (end := find(b"\n", start)) >= 0:
        count += 1
        start = end + 1
    return count


def _lengths(block: bytearray, start: int, stop: int) -> list[int]:
    """Lengths of the lines of block that start at start and end before stop (a "\n" + 1)."""
    lengths, find = [], block.find
    while start < stop:
        end = find(b"\n", start)
        lengths.append(end - start)
        start = end + 1
    return lengths


def _too_long(source: int, name: str, number: int, length: int, limit: int) -> Chunk:
    return Chunk(source, name, number, 1, length, [], reject=_too_long_reason(length, limit))


class _Pending:
    """The start of a line that goes on in the next block; dropped once longer than limit.

    Parts are joined once at the end of the line, so a line spread over many blocks costs
    time in proportion to its length.
    """

    def __init__(self, limit: int) -> None:
        self.limit = limit
        self.parts: list[bytes] = []
        self.size = 0

    def add(self, data: bytes) -> None:
        self.size += len(data)
        if self.size > self.limit:
            self.parts.clear()
        elif data:
            self.parts.append(data)

    def take(self, end: bytes) -> tuple[bytes | None, int]:
        """The whole line ending with end (None when too long) and its length."""
        self.add(end)
        line = None if self.size > self.limit else b"".join(self.parts)
        length = self.size
        self.parts, self.size = [], 0
        return line, length


def _lines(blocks: Iterator[bytes], source: int, name: str, limit: int) -> Iterator[Chunk]:
    number, pending = 1, _Pending(limit)
    try:
        for block in blocks:
            lines = _split(block)
            tail = lines.pop()  # the start of the line that the next block goes on with
            if lines:
                first, length = pending.take(lines[0])
                yield from _line_chunks(source, name, number, lines, first, length, len(block), limit)
                number += len(lines)
            pending.add(tail)
        if pending.size:  # the last line, without a "\n"
            last, length = pending.take(b"")
            yield from _line_chunks(source, name, number, [b""], last, length, length, limit)
    except _ReadError as error:
        raise BatchError(f"cannot read {name} after line {number - 1}: {error}") from None


def _line_chunks(source: int, name: str, number: int, lines: list[bytes], first: bytes | None,
                 first_length: int, size: int, limit: int) -> Iterator[Chunk]:
    """One chunk of lines, whose first line is first (None: too long to keep), cut around too-long lines."""
    if first is not None:
        lines[0] = first
        # No line but the first can be longer than the block.
        if size <= limit or max(map(len, lines)) <= limit:
            yield Chunk(source, name, number, len(lines), size, lines)
            return
    start = 0
    for i, line in enumerate(lines):
        length = first_length if i == 0 else len(line)
        if length > limit:
            if i > start:
                yield Chunk(source, name, number + start, i - start, sum(map(len, lines[start:i])), lines[start:i])
            yield _too_long(source, name, number + i, length, limit)
            start = i + 1
    if start < len(lines):
        yield Chunk(source, name, number + start, len(lines) - start, sum(map(len, lines[start:])), lines[start:])


def _ranges(blocks: Iterator[bytearray], source: int, name: str, path: str, limit: int) -> Iterator[Chunk]:
    number, offset, pending = 1, 0, 0  # pending: bytes of the line the next block goes on with
    try:
        for block in blocks:
            cut = block.rfind(b"\n") + 1
            if cut == 0:
                pending += len(block)
                continue
            first_end = block.find(b"\n")
            if pending + first_end <= limit and cut <= limit:  # no line here can be too long
                count = _count(block)
                yield Chunk(source, name, number, count, pending + cut, None, path, offset)
            else:
                lengths = [pending + first_end, *_lengths(block, first_end + 1, cut)]
                yield from _range_chunks(source, name, path, number, offset, lengths, limit)
                count = len(lengths)
            number, offset, pending = number + count, offset + pending + cut, len(block) - cut
        if pending:
            yield from _range_chunks(source, name, path, number, offset, [pending], limit)
    except _ReadError as error:
        raise BatchError(f"cannot read {name} after line {number - 1}: {error}") from None


def _range_chunks(source: int, name: str, path: str, number: int, offset: int, lengths: list[int],
                  limit: int) -> Iterator[Chunk]:
    """Chunks of the lines of these lengths from offset on, cut around too-long lines."""
    count = size = 0  # the lines taken since offset
    for length in lengths:
        if length > limit:
            if count:
                yield Chunk(source, name, number, count, size, None, path, offset)
            yield _too_long(source, name, number + count, length, limit)
            number, offset, count, size = number + count + 1, offset + size + length + 1, 0, 0
        else:
            count += 1
            size += length + 1
    if count:
        yield Chunk(source, name, number, count, size, None, path, offset)


def _raw_ranges(stream: IO[bytes], source: int, name: str, path: str, chunk_bytes: int,
                limit: int) -> Iterator[Chunk]:
    """The file cut in byte ranges without reading it: each chunk's reader finds its lines."""
    size = os.fstat(stream.fileno()).st_size
    _refuse_compressed(stream.read(len(_ZSTD_MAGIC)), name)
    for offset in range(0, size, chunk_bytes):
        length = min(chunk_bytes, size - offset)
        yield Chunk(source, name, 0, -1, length, None, path, offset, file_size=size, limit=limit)


def _range_lines(f: IO[bytes], offset: int, size: int, limit: int) -> list[bytes | str]:
    """The lines starting at offset .. offset + size - 1 of f (see Chunk.raw_lines)."""
    f.seek(offset - 1 if offset else 0)
    data = f.read(size + 1 if offset else size)
    start = 0
    if offset:  # a line starts here only if the byte before is a "\n"
        start = data.find(b"\n") + 1
        if start == 0:
            return []
    lines: list[bytes | str] = []
    find = data.find
    while start < len(data):
        end = find(b"\n", start)
        if end < 0:  # the last line goes on past the range
            lines.append(_rest_of_line(f, data[start:], limit))
            break
        lines.append(data[start:end] if end - start <= limit else _too_long_reason(end - start, limit))
        start = end + 1
    return lines


def _rest_of_line(f: IO[bytes], head: bytes, limit: int) -> bytes | str:
    """A line begun with head and ended by the next "\n" (or the end) of f; the reason it is
    refused once longer than limit, found without holding it."""
    parts, length = [head], len(head)
    while block := f.read(CHUNK_BYTES):
        end = block.find(b"\n")
        piece = block if end < 0 else block[:end]
        length += len(piece)
        if length <= limit:
            parts.append(piece)
        if end >= 0:
            break
    return b"".join(parts) if length <= limit else _too_long_reason(length, limit)


def _too_long_reason(length: int, limit: int) -> str:
    return f"line of {length} bytes, longer than the limit of {limit} (--max-line-bytes)"


def plain_size(inputs: Sequence[str]) -> int | None:
    """Total bytes of the inputs when all are regular files (for the progress bar), else None."""
    try:
        if all(p != "-" and not _compressed(p) and _regular_file(p) for p in inputs):
            return sum(os.path.getsize(p) for p in inputs)
    except OSError:
        pass
    return None
