"""Load on the reference service's POST /verdict, with and without the module.

    .venv/bin/python -m bench.bench_service [--duration 30] [--concurrency 16] [--workers 1] [--rounds 1]

Starts examples/service/serve.py on a free loopback port twice: once as is, once with
--skip-module (the same handler without any velmora_core_rs call: a fixed feature record
instead of the extraction, and on the in-process engine no replay guard or ban table;
the Redis engine, not part of the module, stays). Each run keeps
--concurrency requests in flight from an async httpx client for --duration seconds and
reports requests/s, p50/p99 latency and errors. The bodies cycle through the bundled
sample sessions (examples/data), each with a fresh nonce signed here under the server's
secret, and each request claims its own client address through X-Forwarded-For, so bot
verdicts ban addresses that never come back. With --workers above 1 the service runs on
the Redis engine with a private redis-server. Client and server share this machine's
cores, so the figures are an upper bound on the handler cost, and noisy; --rounds
alternates the two handlers to show the drift. The module's own calls are also timed
in-process, without HTTP, for a steadier figure of its share.
"""

import argparse
import asyncio
import contextlib
import json
import pathlib
import secrets
import time

import httpx

# The signer is plain standard-library code: imported from the example by its path in the
# repository (this runs from the repository root: python -m bench.bench_service).
from examples.service.velmora_service.nonces import NonceSigner
from testkit.service_process import running_service

ROOT = pathlib.Path(__file__).resolve().parent.parent

WARMUP_SECONDS = 2.0


def sessions() -> list[bytes]:
    out = []
    for path in sorted((ROOT / "examples" / "data").glob("*.jsonl")):
        for line in path.read_text().splitlines():
            if line.strip():
                out.append(json.dumps(json.loads(line), separators=(",", ":")).encode())
    return out


def service(secret: str, workers: int, skip_module: bool) -> contextlib.AbstractContextManager[str]:
    args = ["--trusted-proxy", "127.0.0.1", "--workers", str(workers)]
    if workers > 1:
        args.append("--start-redis")
    if skip_module:
        args.append("--skip-module")
    return running_service(*args, secret=secret)


async def load(base: str, signer: NonceSigner, bodies: list[bytes], seconds: float,
               concurrency: int) -> tuple[list[float], int, int]:
    """(latencies of the 200 answers in seconds, error count, requests sent)."""
    latencies: list[float] = []
    errors = 0
    sent = 0
    counter = iter(range(1 << 62))
    limits = httpx.Limits(max_connections=concurrency, max_keepalive_connections=concurrency)
    async with httpx.AsyncClient(base_url=base, limits=limits, timeout=30) as client:
        async def worker(until: float, record: bool) -> None:
            nonlocal errors, sent
            while time.perf_counter() < until:
                n = next(counter)
                body = b'{"nonce":"' + signer.issue().encode() + b'","telemetry":' + bodies[n % len(bodies)] + b"}"
                headers = {"Content-Type": "application/json",
                           "X-Forwarded-For": f"10.{n >> 16 & 255}.{n >> 8 & 255}.{n & 255}"}
                start = time.perf_counter()
                try:
                    r = await client.post("/verdict", content=body, headers=headers)
                    ok = r.status_code == 200
                except httpx.HTTPError:
                    ok = False
                if record:
                    sent += 1
                    if ok:
                        latencies.append(time.perf_counter() - start)
                    else:
                        errors += 1

        warm = time.perf_counter() + WARMUP_SECONDS
        await asyncio.gather(*(worker(warm, False) for _ in range(concurrency)))
        end = time.perf_counter() + seconds
        await asyncio.gather(*(worker(end, True) for _ in range(concurrency)))
    return latencies, errors, sent


def percentile(sorted_values: list[float], q: float) -> float:
    return sorted_values[min(len(sorted_values) - 1, int(q * len(sorted_values)))]


def module_cost(bodies: list[bytes]) -> float:
    """Seconds per request of the module calls alone, in this process (no HTTP, no JSON)."""
    import velmora_core_rs as core

    telemetry = [json.loads(b) for b in bodies]
    calls = 0
    start = time.perf_counter()
    while time.perf_counter() - start < 2.0:
        for n, t in enumerate(telemetry):
            address = f"10.0.{calls >> 8 & 255}.{calls & 255}"
            core.is_ip_banned_rs(address)
            core.consume_nonce_rs(f"bench-{calls}-{n}")
            core.extract_features_rs(t)
            calls += 1
    return (time.perf_counter() - start) / calls


def main() -> None:
    p = argparse.ArgumentParser()
    p.add_argument("--duration", type=float, default=30.0)
    p.add_argument("--concurrency", type=int, default=16)
    p.add_argument("--workers", type=int, default=1)
    p.add_argument("--rounds", type=int, default=1,
                   help="alternate the two handlers this many times (the machine's load drifts)")
    args = p.parse_args()
    bodies = sessions()
    secret = secrets.token_hex(32)
    signer = NonceSigner(bytes.fromhex(secret))
    engine = "Redis" if args.workers > 1 else "in-process"
    print(f"POST /verdict, {args.workers} worker(s), {engine} engine, concurrency {args.concurrency}, "
          f"{args.duration:.0f} s per run after {WARMUP_SECONDS:.0f} s warm-up, "
          f"{len(bodies)} sample sessions (mean body {sum(map(len, bodies)) // len(bodies)} bytes)\n")
    print(f"{'handler':<22} {'requests':>9} {'req/s':>8} {'p50 ms':>8} {'p99 ms':>8} {'errors':>7}")
    rates: dict[str, list[float]] = {"full (module)": [], "skips the module": []}
    for _ in range(args.rounds):
        for label, skip in [("full (module)", False), ("skips the module", True)]:
            with service(secret, args.workers, skip) as base:
                latencies, errors, sent = asyncio.run(load(base, signer, bodies, args.duration, args.concurrency))
            latencies.sort()
            rates[label].append(sent / args.duration)
            p50 = percentile(latencies, 0.50) * 1e3 if latencies else float("nan")
            p99 = percentile(latencies, 0.99) * 1e3 if latencies else float("nan")
            print(f"{label:<22} {sent:>9} {rates[label][-1]:>8.0f} {p50:>8.2f} {p99:>8.2f} {errors:>7}", flush=True)
    full, bare = (sum(r) / len(r) for r in (rates["full (module)"], rates["skips the module"]))
    print(f"\nthe module's calls alone (ban lookup, replay guard, feature extraction), timed in-process: "
          f"{module_cost(bodies) * 1e3:.3f} ms per request")
    if full > 0 and bare > 0:
        share = 1e3 / full - 1e3 / bare
        print(f"per request over HTTP (mean of the rounds): {1e3 / full:.3f} ms with the module, "
              f"{1e3 / bare:.3f} ms without: difference {share:.3f} ms"
              + (" (negative: the run-to-run noise exceeds the module's share)" if share < 0 else ""))


if __name__ == "__main__":
    main()
