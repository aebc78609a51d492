"""A burst of simultaneous requests on the reference service with two workers on Redis.

    .venv/bin/python -m bench.bench_service_burst [--requests 400] [--rounds 3] [--workers 2]

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
import secrets
import time

import httpx
import redis

from testkit.service_process import running_service
from velmora_core.state.private_redis import private_redis


def service(redis_url: str, workers: int) -> contextlib.AbstractContextManager[str]:
    return running_service("--log-level", "critical", "--workers", str(workers), "--state", "redis",
                           "--redis-url", redis_url, secret=secrets.token_hex(32))


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
