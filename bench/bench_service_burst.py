"""A burst of simultaneous requests on the reference service with two workers on Redis.

    .venv/bin/python bench/bench_service_burst.py [--requests 400] [--rounds 3] [--workers 2]

Starts a private redis-server and examples/service/serve.py on free loopback ports, then
sends --requests simultaneous `GET /nonce` (each on its own connection) --rounds times
and counts the answers by status. A healthy store should answer every one with 200.
Then it stops the Redis server and sends one more burst: every answer should be 503,
and the time to answer shows how long a request waits for a store that is gone.
"""

import argparse
import asyncio
import collections
import contextlib
import os
import pathlib
import secrets
import subprocess
import sys
import time
from collections.abc import Iterator

import httpx
import redis

ROOT = pathlib.Path(__file__).resolve().parent.parent
SERVE = ROOT / "examples" / "service" / "serve.py"

from velmora_core.state.private_redis import free_port, private_redis


@contextlib.contextmanager
def service(redis_url: str, workers: int) -> Iterator[str]:
    port = free_port()
    proc = subprocess.Popen(
        [sys.executable, str(SERVE), "--port", str(port), "--log-level", "critical", "--workers", str(workers),
         "--state", "redis", "--redis-url", redis_url],
        env=dict(os.environ, VELMORA_NONCE_SECRET=secrets.token_hex(32)),
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    base = f"http://127.0.0.1:{port}"
    try:
        deadline = time.monotonic() + 30
        while True:
            with contextlib.suppress(httpx.TransportError):
                if httpx.get(base + "/healthz", timeout=1).status_code == 200:
                    break
            if proc.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("the service did not start")
            time.sleep(0.1)
        yield base
    finally:
        proc.terminate()
        proc.wait(30)


async def burst(base: str, count: int) -> tuple[collections.Counter[str], float, float]:
    """(answers by status, seconds until the last answer, slowest single answer in seconds)."""
    limits = httpx.Limits(max_connections=count, max_keepalive_connections=0)
    async with httpx.AsyncClient(base_url=base, limits=limits, timeout=60) as client:
        async def one() -> tuple[str, float]:
            start = time.perf_counter()
            try:
                status = str((await client.get("/nonce")).status_code)
            except httpx.HTTPError as exc:
                status = type(exc).__name__
            return status, time.perf_counter() - start

        start = time.perf_counter()
        answers = await asyncio.gather(*(one() for _ in range(count)))
        return (collections.Counter(status for status, _ in answers), time.perf_counter() - start,
                max(seconds for _, seconds in answers))


def report(label: str, result: tuple[collections.Counter[str], float, float]) -> None:
    statuses, total, slowest = result
    by_status = ", ".join(f"{status}: {n}" for status, n in sorted(statuses.items()))
    print(f"{label:<22} {by_status:<28} all answered in {total:6.2f} s, slowest {slowest:6.2f} s", flush=True)


def main() -> None:
    p = argparse.ArgumentParser()
    p.add_argument("--requests", type=int, default=400)
    p.add_argument("--rounds", type=int, default=3)
    p.add_argument("--workers", type=int, default=2)
    args = p.parse_args()
    print(f"{args.requests} simultaneous GET /nonce, {args.workers} workers on a private Redis")
    with private_redis() as url, service(url, args.workers) as base:
        for n in range(args.rounds):
            report(f"Redis up, burst {n + 1}", asyncio.run(burst(base, args.requests)))
        redis.Redis.from_url(url).shutdown(nosave=True)
        report("Redis stopped", asyncio.run(burst(base, args.requests)))


if __name__ == "__main__":
    main()
