"""Verdicts with the stroke memory: time per session with and without it, in process and on Redis.

    .venv/bin/python -m bench.bench_stroke_memory [--data DIR] [--repeats N] [--no-redis]

Every session of DIR/*.jsonl (default ../shared/data) is timed with Detector.verdict, and
with Detector.verdict(memory=...) on an in-process memory already holding every session's
strokes (so lookups meet full buckets), each repeated N times (best of 5 rounds; a repeat
remembers the strokes again, as a service would). The ratio line gives the per-session
ratio's median and p90, which must stay at or below 1.5. With a private redis-server
(unless --no-redis), the same on StrokeMemory.on_redis: one script call per verdict.
"""

import argparse
import pathlib
import statistics

from bench.shared_data import SHARED_DATA, parsed, per_call_us, session_lines
from velmora_core.detect import Detector, StrokeMemory
from velmora_core.detect.stroke_memory import stroke_prints


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", type=pathlib.Path, default=SHARED_DATA)
    parser.add_argument("--repeats", type=int, default=20)
    parser.add_argument("--no-redis", action="store_true")
    args = parser.parse_args()
    sessions = parsed(session_lines(args.data))
    detector = Detector.default()
    memory = StrokeMemory(1_000_000)
    for session in sessions:
        memory.observe(stroke_prints(session))
    calls = {"verdict": lambda s: detector.verdict(s),
             "verdict(memory)": lambda s: detector.verdict(s, memory=memory),
             "stroke_prints": stroke_prints}
    redis_client = None
    if not args.no_redis:
        import contextlib

        import redis

        from velmora_core.state.private_redis import private_redis
        stack = contextlib.ExitStack()
        url = stack.enter_context(private_redis())
        redis_client = stack.enter_context(redis.Redis.from_url(url))
        shared = StrokeMemory.on_redis(redis_client, capacity=1_000_000)
        for session in sessions:
            shared.observe(stroke_prints(session))
        calls["verdict(redis memory)"] = lambda s: detector.verdict(s, memory=shared)
    times: dict[str, list[float]] = {name: [] for name in calls}
    for session in sessions:
        for name, fn in calls.items():
            times[name].append(per_call_us(fn, session, args.repeats))
    print(f"{len(sessions)} sessions; {len(memory)} strokes in the in-process memory")
    print(f"{'call':24s} {'median us':>10s} {'p90 us':>10s}")
    for name, values in times.items():
        print(f"{name:24s} {statistics.median(values):10.1f} {statistics.quantiles(values, n=10)[-1]:10.1f}")
    ratios = [b / a for a, b in zip(times["verdict"], times["verdict(memory)"])]
    print(f"verdict(memory) / verdict per session: median {statistics.median(ratios):.2f}, "
          f"p90 {statistics.quantiles(ratios, n=10)[-1]:.2f} (target: at most 1.5)")
    if redis_client is not None:
        extra = [b - a for a, b in zip(times["verdict"], times["verdict(redis memory)"])]
        print(f"verdict(redis memory) - verdict per session: median {statistics.median(extra):.0f} us, "
              f"p90 {statistics.quantiles(extra, n=10)[-1]:.0f} us (one round trip and the script)")
        stack.close()


if __name__ == "__main__":
    main()
