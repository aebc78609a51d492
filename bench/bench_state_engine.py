"""Throughput of the state-engine functions, and a hash-flooding check.

    .venv/bin/python -m bench.bench_state_engine

The flooding check builds strings that all share one 64-bit std::hash<std::string>
value under libstdc++ (testkit/murmur_collisions.hpp, compiled here with g++). An unkeyed
std::unordered_set degrades to a linear scan per insert on them; the engine's tables are
keyed with SipHash under a per-table secret, so the same strings cost what random ones do.
"""

import pathlib
import secrets
import subprocess
import sys
import time

import velmora_core_rs as m

ROOT = pathlib.Path(__file__).resolve().parent
BUILD = ROOT.parent / "build" / "bench"
TESTKIT = ROOT.parent / "testkit"  # the collision generator, shared with the native tests
REPEATS = 5


def best_of(run, repeats=REPEATS, setup=None):
    times = []
    for _ in range(repeats):
        if setup is not None:
            setup()
        start = time.perf_counter()
        run()
        times.append(time.perf_counter() - start)
    return min(times)


def report(name, calls, seconds):
    print(f"{name:<52} {calls / seconds:>14,.0f} calls/s  ({seconds * 1e9 / calls:8.1f} ns/call)")


def nonces(n):
    # 24 characters each, sliced from one text like the crafted ones, so both sets
    # have the same object layout in memory.
    text = secrets.token_urlsafe(18 * n)
    return [text[i:i + 24] for i in range(0, 24 * n, 24)]


def bench_calls():
    n = 200_000
    fresh = nonces(n)

    def consume_new():
        for x in fresh:
            m.consume_nonce_rs(x)

    report("consume_nonce_rs, new nonce", n, best_of(consume_new, setup=m.clear_state_engine_rs))
    m.clear_state_engine_rs()
    for x in fresh:
        m.consume_nonce_rs(x)
    report("consume_nonce_rs, replayed nonce", n, best_of(lambda: [m.consume_nonce_rs(x) for x in fresh]))

    m.clear_state_engine_rs()
    m.consume_nonce_rs("hot")
    hot = ["hot"] * n
    report("consume_nonce_rs, one replayed nonce (cache-hot)", n, best_of(lambda: [m.consume_nonce_rs(x) for x in hot]))

    m.clear_state_engine_rs()
    ips = [f"10.{i >> 16 & 255}.{i >> 8 & 255}.{i & 255}" for i in range(n)]
    for ip in ips[::2]:
        m.ban_ip_rs(ip, 3600)
    report("is_ip_banned_rs (half banned)", n, best_of(lambda: [m.is_ip_banned_rs(ip) for ip in ips]))
    report("ban_ip_rs (new and overwritten)", n, best_of(lambda: [m.ban_ip_rs(ip, 3600) for ip in ips]))

    expiry = int(time.time()) + 3600
    pairs = [(f"ip-{i}", expiry) for i in range(1_000_000)]

    seconds = best_of(lambda: m.hydrate_bans_rs(pairs), 3, setup=m.clear_state_engine_rs)
    print(f"{'hydrate_bans_rs, 1,000,000 pairs':<52} {seconds * 1e3:>11.1f} ms/call  "
          f"({len(pairs) / seconds:,.0f} pairs/s)")
    assert m.get_state_engine_stats_rs()["active_ip_bans"] == 1_000_000
    calls = 20
    seconds = best_of(lambda: [m.get_state_engine_stats_rs() for _ in range(calls)], 3)
    print(f"{'get_state_engine_stats_rs, 1,000,000 bans':<52} {seconds / calls * 1e3:>11.2f} ms/call")
    m.clear_state_engine_rs()


def build_generator():
    BUILD.mkdir(parents=True, exist_ok=True)
    exe = BUILD / "hash_flood"
    sources = [ROOT / "hash_flood.cpp", TESTKIT / "murmur_collisions.hpp"]
    if not exe.exists() or exe.stat().st_mtime < max(s.stat().st_mtime for s in sources):
        subprocess.run(["g++", "-std=c++20", "-O2", "-I", str(TESTKIT), "-o", str(exe), str(sources[0])], check=True)
    return exe


def bench_flooding():
    exe = build_generator()
    for n in (5_000, 10_000, 20_000):
        flood, plain = map(float, subprocess.run([exe, "time", str(n)], capture_output=True, text=True,
                                                  check=True).stdout.split())
        print(f"unkeyed std::unordered_set, {n:>6,} inserts: crafted {flood * 1e3:9.1f} ms, "
              f"random {plain * 1e3:6.1f} ms  (x{flood / plain:,.0f})")

    n = 200_000
    raw = subprocess.run([exe, "generate", str(n)], capture_output=True, check=True).stdout
    text = raw.decode("ascii")
    crafted = [text[i:i + 24] for i in range(0, len(text), 24)]
    random = nonces(n)
    assert len(set(crafted)) == n

    def consume(items):
        def run():
            for x in items:
                if not m.consume_nonce_rs(x):
                    raise AssertionError("a distinct nonce was rejected")
        return run

    # Interleaved, so that warm-up and background load fall on both sets alike.
    t_crafted = t_random = float("inf")
    for _ in range(REPEATS):
        t_crafted = min(t_crafted, best_of(consume(crafted), 1, setup=m.clear_state_engine_rs))
        t_random = min(t_random, best_of(consume(random), 1, setup=m.clear_state_engine_rs))
    print(f"consume_nonce_rs, {n:,} nonces: crafted {t_crafted * 1e3:.1f} ms, random {t_random * 1e3:.1f} ms "
          f"(ratio {t_crafted / t_random:.2f})")
    m.clear_state_engine_rs()


if __name__ == "__main__":
    print(f"Python {sys.version.split()[0]}, best of {REPEATS} unless noted")
    bench_calls()
    bench_flooding()
