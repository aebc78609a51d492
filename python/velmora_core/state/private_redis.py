"""A private redis-server for development: loopback only, a temporary directory, no persistence.

The reference service starts one with ``--start-redis`` (``make serve``); the tests and the
benchmarks start theirs here too. Needs the ``redis-server`` program, not redis-py.

It is protected by a random password: any local user can reach a loopback port, and
whoever can write to the store can rewrite the replay guard and the ban table. The
password travels in a configuration file inside the private temporary directory, never
on the command line (which every local user can read).
"""

import contextlib
import os
import secrets
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


def _answers_ping(port: int, password: str | None) -> bool:
    with contextlib.suppress(OSError), socket.create_connection(("127.0.0.1", port), 0.2) as s:
        s.sendall((b"AUTH %s\r\n" % password.encode() if password else b"") + b"PING\r\n")
        expected = (b"+OK\r\n" if password else b"") + b"+PONG\r\n"
        received = b""
        while len(received) < len(expected):
            chunk = s.recv(64)
            if not chunk:
                break
            received += chunk
        return received == expected
    return False


def _write_private(path: str, text: str) -> None:
    fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
    with os.fdopen(fd, "w") as f:
        f.write(text)


@contextlib.contextmanager
def private_redis(password: bool = True) -> Generator[str]:
    """Start redis-server on a free loopback port; yield its URL; stop it afterwards.

    With ``password`` (the default) the server requires a random one, carried in the URL.
    """
    exe = shutil.which("redis-server")
    if exe is None:
        raise RuntimeError("redis-server is not installed (scripts/setup-system redis installs it)")
    # The directory is created readable by its owner only, and so is the file inside it.
    with tempfile.TemporaryDirectory(prefix="velmora-serve-redis-") as workdir:
        port = free_port()
        secret = secrets.token_hex(32) if password else None
        conf = os.path.join(workdir, "redis.conf")
        _write_private(conf, f'port {port}\nbind 127.0.0.1\ndir "{workdir}"\nsave ""\nappendonly no\n'
                             + (f"requirepass {secret}\n" if secret else ""))
        proc = subprocess.Popen([exe, conf], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        try:
            deadline = time.monotonic() + 10
            while not _answers_ping(port, secret):
                if proc.poll() is not None or time.monotonic() > deadline:
                    raise RuntimeError(f"redis-server did not start on port {port}")
                time.sleep(0.05)
            yield f"redis://:{secret}@127.0.0.1:{port}/0" if secret else f"redis://127.0.0.1:{port}/0"
        finally:
            proc.terminate()
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
