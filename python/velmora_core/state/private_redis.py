"""A private redis-server for development: loopback only, a temporary directory, no persistence.

The reference service starts one with ``--start-redis`` (``make serve``); the tests and the
benchmarks start theirs here too. Needs the ``redis-server`` program, not redis-py.
"""

import contextlib
import shutil
import socket
import subprocess
import tempfile
import time
from collections.abc import Generator


def free_port() -> int:
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return int(s.getsockname()[1])


def _answers_ping(port: int) -> bool:
    with contextlib.suppress(OSError), socket.create_connection(("127.0.0.1", port), 0.2) as s:
        s.sendall(b"PING\r\n")
        return s.recv(16).startswith(b"+PONG")
    return False


@contextlib.contextmanager
def private_redis() -> Generator[str]:
    """Start redis-server on a free loopback port; yield its URL; stop it afterwards."""
    exe = shutil.which("redis-server")
    if exe is None:
        raise RuntimeError("redis-server is not installed (scripts/setup-system redis installs it)")
    with tempfile.TemporaryDirectory(prefix="velmora-serve-redis-") as workdir:
        port = free_port()
        proc = subprocess.Popen(
            [exe, "--port", str(port), "--bind", "127.0.0.1", "--dir", workdir,
             "--save", "", "--appendonly", "no"],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        try:
            deadline = time.monotonic() + 10
            while not _answers_ping(port):
                if proc.poll() is not None or time.monotonic() > deadline:
                    raise RuntimeError(f"redis-server did not start on port {port}")
                time.sleep(0.05)
            yield f"redis://127.0.0.1:{port}/0"
        finally:
            proc.terminate()
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
