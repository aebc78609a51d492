"""Outputs written whole or not at all: through a new temporary file beside the output,
renamed over it only once complete.

The temporary file is created exclusively and never through a link, so a name planted
beside the output (a symlink to a file of the user's) is skipped, never written through.
"""

import contextlib
import errno
import os
import secrets
import stat
from collections.abc import Iterator
from contextlib import contextmanager
from typing import IO

from velmora_core.batch.inputs import display_name
from velmora_core.errors import BatchError


def output_ready(path: str) -> None:
    """Refuse an output that cannot be written before spending minutes on the work."""
    if os.path.isdir(path):
        raise BatchError(f"cannot write {path}: it is a directory")
    directory = os.path.dirname(os.path.abspath(path))
    if not os.path.isdir(directory) or not os.access(directory, os.W_OK):
        raise BatchError(f"cannot write {path}: its folder does not exist or is not writable")


def write_error(output: str, error: OSError) -> BatchError:
    return BatchError(f"cannot write {display_name(output)}: {error.strerror or error}")


def create_temporary(output: str) -> tuple[str, int]:
    """A new file beside output, made here and nowhere else (never through a planted link),
    with the mode of the output it will replace: its path and an open descriptor."""
    directory, name = os.path.split(os.path.abspath(output))
    try:
        mode = stat.S_IMODE(os.stat(output).st_mode)
    except OSError:
        mode = None
    flags = os.O_WRONLY | os.O_CREAT | os.O_EXCL | getattr(os, "O_NOFOLLOW", 0)
    for attempt in range(100):
        unique = f".{secrets.token_hex(4)}" if attempt else ""
        temporary = os.path.join(directory, f".{name}.{os.getpid()}{unique}.part")
        try:
            descriptor = os.open(temporary, flags, 0o666)
        except FileExistsError:
            continue
        except OSError as error:
            where = os.path.dirname(output) or "."
            if error.errno == errno.ENOENT:
                raise BatchError(f"cannot write {display_name(output)}: there is no directory "
                                 f"{display_name(where)}") from None
            if error.errno == errno.EISDIR or os.path.isdir(output):
                raise BatchError(f"cannot write {display_name(output)}: it is a directory") from None
            raise BatchError(f"cannot write {display_name(output)}: cannot create a file in "
                             f"{display_name(where)}: {error.strerror or error}") from None
        if mode is not None:
            with contextlib.suppress(OSError):
                os.fchmod(descriptor, mode)
        return temporary, descriptor
    raise BatchError(f"cannot write {display_name(output)}: no free temporary name beside it")


class Replacement:
    """The new contents of output, on their way: write to stream, then commit."""

    def __init__(self, output: str) -> None:
        if os.path.isdir(output):
            raise BatchError(f"cannot write {display_name(output)}: it is a directory")
        self.output = output
        self.path, descriptor = create_temporary(output)
        self.stream: IO[bytes] = open(descriptor, "wb")
        self.committed = False

    def write(self, data: bytes) -> None:
        try:
            self.stream.write(data)
        except OSError as error:  # a full disk, a file-size limit
            raise write_error(self.output, error) from None

    def commit(self) -> None:
        """Close the temporary file and rename it to output."""
        try:
            self.stream.close()
            os.replace(self.path, self.output)
        except OSError as error:
            raise write_error(self.output, error) from None
        self.committed = True

    def discard(self) -> None:
        with contextlib.suppress(OSError):
            self.stream.close()
        if not self.committed:
            with contextlib.suppress(OSError):
                os.unlink(self.path)


@contextmanager
def replacing(output: str) -> Iterator[Replacement]:
    """A Replacement of output; unless committed, its temporary file is removed on leaving
    (an error, Ctrl-C, SIGTERM, a run stopped early)."""
    replacement = Replacement(output)
    try:
        yield replacement
    finally:
        replacement.discard()
