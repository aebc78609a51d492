"""The reference service (examples/service/serve.py) in a subprocess on a free loopback port,
for the service tests and benchmarks."""

import contextlib
import os
import pathlib
import subprocess
import sys
import tempfile
import time
from collections.abc import Iterator
from typing import IO

import httpx

from velmora_core.state.private_redis import free_port

SERVE = pathlib.Path(__file__).resolve().parents[1] / "examples" / "service" / "serve.py"


@contextlib.contextmanager
def running_service(*args: str, secret: str | None = None, timeout: float = 30.0,
                    log: IO[str] | None = None) -> Iterator[str]:
    """Start serve.py with ``args`` and yield its base URL once /healthz answers; its output
    goes to ``log`` (a file the caller may read afterwards) or a temporary file."""
    port = free_port()
    env = dict(os.environ)
    if secret is not None:
        env["VELMORA_NONCE_SECRET"] = secret
    own_log = log is None
    if log is None:
        log = tempfile.TemporaryFile("w+")  # not a pipe: a chatty server never blocks on it
    proc = subprocess.Popen(
        [sys.executable, str(SERVE), "--port", str(port), "--log-level", "warning", *args],
        env=env, stdout=log, stderr=subprocess.STDOUT, text=True)
    base = f"http://127.0.0.1:{port}"
    try:
        deadline = time.monotonic() + timeout
        while True:
            with contextlib.suppress(httpx.TransportError):
                if httpx.get(base + "/healthz", timeout=1.0).status_code == 200:
                    break
            if proc.poll() is not None or time.monotonic() > deadline:
                _stop(proc)
                log.seek(0)
                raise RuntimeError(f"the service did not start on port {port}:\n{log.read()}")
            time.sleep(0.1)
        yield base
    finally:
        _stop(proc)
        if own_log:
            log.close()


def _stop(proc: "subprocess.Popen[str]") -> None:
    # SIGTERM first: serve.py then stops what it started (a private redis-server); SIGKILL
    # only when it does not end in time.
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(15)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
