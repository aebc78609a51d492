"""A real redis-server for the tests: a free loopback port, a temporary directory, no persistence."""

import contextlib
import shutil
import socket
import subprocess
import tempfile
import time
from collections.abc import Iterator


def free_port() -> int:
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return int(s.getsockname()[1])


@contextlib.contextmanager
def redis_server() -> Iterator[int]:
    """Start redis-server on 127.0.0.1 and yield its port; stop it afterwards."""
    exe = shutil.which("redis-server")
    if exe is None:
        raise RuntimeError("redis-server is not installed: run scripts/setup-system redis (or make test)")
    with tempfile.TemporaryDirectory(prefix="velmora-redis-") as workdir:
        port = free_port()
        proc = subprocess.Popen(
            [exe, "--port", str(port), "--bind", "127.0.0.1", "--dir", workdir,
             "--save", "", "--appendonly", "no", "--protected-mode", "yes"],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        try:
            deadline = time.monotonic() + 10
            while True:
                with contextlib.suppress(OSError), socket.create_connection(("127.0.0.1", port), 0.2) as s:
                    s.sendall(b"PING\r\n")
                    if s.recv(16).startswith(b"+PONG"):
                        break
                if proc.poll() is not None or time.monotonic() > deadline:
                    err = proc.stderr.read().decode() if proc.stderr and proc.poll() is not None else ""
                    raise RuntimeError(f"redis-server did not start on port {port}: {err}")
                time.sleep(0.05)
            yield port
        finally:
            proc.terminate()
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
