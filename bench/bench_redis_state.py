"""Per-call cost of the Redis state engine next to the bare round trip of the same client.

    .venv/bin/python -m bench.bench_redis_state

Starts its own redis-server on a free loopback port (no persistence) and times, on one
redis-py connection, PING and `SET key 1 NX EX 120` (the physical limit of one round
trip and of one conditional write) beside RedisStateEngine.consume_nonce (new nonces)
and is_ip_banned (half of the addresses banned), then the same on redis.asyncio. The
batches are interleaved round by round so background load falls on all of them alike;
the figures are the best round's mean, the median and 99th percentile of all calls,
and the server's own time per call (INFO commandstats), apart from the round trip.
"""

import asyncio
import statistics
import sys
import time
from collections.abc import Awaitable, Callable

import redis
import redis.asyncio
from redis.connection import parse_url

from velmora_core.state import AsyncRedisStateEngine, RedisStateEngine
from velmora_core.state.private_redis import private_redis

CALLS = 10_000
ROUNDS = 5
ADDRESSES = [f"10.{i >> 8 & 255}.{i & 255}.7" for i in range(CALLS)]


# The server's own time per call (INFO commandstats), apart from the round trip.
SERVER_COMMAND = {"PING": "cmdstat_ping", "SET k 1 NX EX 120": "cmdstat_set"}


def server_us(admin: "redis.Redis", name: str) -> float:
    stats = admin.info("commandstats")[SERVER_COMMAND.get(name, "cmdstat_evalsha")]
    admin.config_resetstat()
    return float(stats["usec_per_call"])


def report(title: str, samples: dict[str, list[list[int]]], server: dict[str, list[float]], reference: str) -> None:
    """calls/s and mean from the best round; p50 and p99 over every call; ratios to `reference`;
    the least server time per call of any round."""
    print(f"\n{title}: {CALLS:,} calls per round, best of {ROUNDS} rounds; ratios to {reference}")
    print(f"{'operation':<22} {'calls/s':>8} {'mean us':>8} {'p50 us':>7} {'p99 us':>7} {'mean x':>7} {'p50 x':>6} "
          f"{'server us':>9}")
    mean = {name: min(sum(r) for r in rounds) / CALLS / 1e3 for name, rounds in samples.items()}
    p50 = {name: statistics.median(t for r in rounds for t in r) / 1e3 for name, rounds in samples.items()}
    for name, rounds in samples.items():
        every = sorted(t for r in rounds for t in r)
        p99 = every[int(len(every) * 0.99)] / 1e3
        print(f"{name:<22} {1e6 / mean[name]:>8,.0f} {mean[name]:>8.1f} {p50[name]:>7.1f} {p99:>7.1f} "
              f"{mean[name] / mean[reference]:>7.2f} {p50[name] / p50[reference]:>6.2f} {min(server[name]):>9.1f}")


def bench_sync(port: int, admin: "redis.Redis") -> None:
    client = redis.Redis(port=port)
    engine = RedisStateEngine(client)
    engine.clear()
    for ip in ADDRESSES[::2]:
        engine.ban_ip(ip, 3600)
    ops: dict[str, Callable[[int, int], object]] = {
        "PING": lambda r, i: client.ping(),
        "SET k 1 NX EX 120": lambda r, i: client.set(f"k{r}:{i}", 1, nx=True, ex=120),
        "consume_nonce (new)": lambda r, i: engine.consume_nonce(f"n{r}:{i}"),
        "is_ip_banned": lambda r, i: engine.is_ip_banned(ADDRESSES[i]),
    }
    samples: dict[str, list[list[int]]] = {name: [] for name in ops}
    server: dict[str, list[float]] = {name: [] for name in ops}
    clock = time.perf_counter_ns
    for r in range(ROUNDS):
        for name, op in ops.items():
            admin.config_resetstat()
            times = []
            for i in range(CALLS):
                start = clock()
                op(r, i)
                times.append(clock() - start)
            samples[name].append(times)
            server[name].append(server_us(admin, name))
    report("redis.Redis", samples, server, "SET k 1 NX EX 120")
    client.close()


async def bench_async(port: int, admin: "redis.Redis") -> None:
    client = redis.asyncio.Redis(port=port, single_connection_client=True)
    engine = AsyncRedisStateEngine(client)
    ops: dict[str, Callable[[int, int], Awaitable[object]]] = {
        "PING": lambda r, i: client.ping(),
        "SET k 1 NX EX 120": lambda r, i: client.set(f"a{r}:{i}", 1, nx=True, ex=120),
        "consume_nonce (new)": lambda r, i: engine.consume_nonce(f"an{r}:{i}"),
        "is_ip_banned": lambda r, i: engine.is_ip_banned(ADDRESSES[i]),
    }
    samples: dict[str, list[list[int]]] = {name: [] for name in ops}
    server: dict[str, list[float]] = {name: [] for name in ops}
    clock = time.perf_counter_ns
    for r in range(ROUNDS):
        for name, op in ops.items():
            admin.config_resetstat()
            times = []
            for i in range(CALLS):
                start = clock()
                await op(r, i)
                times.append(clock() - start)
            samples[name].append(times)
            server[name].append(server_us(admin, name))
    report("redis.asyncio.Redis (one connection)", samples, server, "SET k 1 NX EX 120")
    await client.aclose()


if __name__ == "__main__":
    print(f"Python {sys.version.split()[0]}, redis-py {redis.__version__}; figures are noisy on a shared machine")
    with private_redis() as url:
        port = int(parse_url(url)["port"])
        with redis.Redis(port=port) as admin:
            print(f"redis-server {admin.info('server')['redis_version']} on 127.0.0.1:{port}")
            bench_sync(port, admin)
            asyncio.run(bench_async(port, admin))
