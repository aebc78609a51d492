"""The native JSON path: the whole `velmora-core features` command against a plain loop, and
extract_features_json against extract_features_rs on the parsed dict.

    .venv/bin/python -m bench.bench_ingest [--data DIR] [--sessions N] [--runs N]

(1) Whole processes, start-up included, on N sessions (default 20,000: the sessions of
    human_sessions.jsonl and bot_sessions.jsonl in DIR, repeated), Parquet output:
    (a) a plain loop: `for line in f: extract_features_rs(json.loads(line))`;
    (b) `velmora-core features IN -o OUT.parquet --jobs 1`;
    (c) the same with --jobs 2.
    Best of --runs wall-clock times of each, the three taking turns; beside it the least
    CPU time (user + system, the process and its workers), which a busy machine disturbs less.
(2) Per session, this process's CPU time (steadier than the wall clock on a shared
    machine): extract_features_json(line) against extract_features_rs(json.loads(line))
    given the dict, both with the 16 MiB table budget; and the parse alone.
"""

import argparse
import json
import os
import pathlib
import resource
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
FILES = ["human_sessions.jsonl", "bot_sessions.jsonl"]

PLAIN_LOOP = """
import json, sys
import velmora_core_rs
extract = velmora_core_rs.extract_features_rs
with open(sys.argv[1], encoding="utf-8") as f:
    for line in f:
        extract(json.loads(line))
"""


def timed(command: list[str]) -> tuple[float, float]:
    """Wall-clock seconds of the command, and the CPU seconds of it and its children."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    seconds = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return seconds, after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime


def processes(lines: list[bytes], count: int, runs: int) -> None:
    with tempfile.TemporaryDirectory() as tmp:
        source = pathlib.Path(tmp) / "sessions.jsonl"
        with open(source, "wb") as f:
            for i in range(count):
                f.write(lines[i % len(lines)])
                f.write(b"\n")
        out = str(pathlib.Path(tmp) / "features.parquet")
        commands = {
            "(a) plain loop": [sys.executable, "-c", PLAIN_LOOP, str(source)],
            "(b) features --jobs 1": [sys.executable, "-m", "velmora_core", "features", str(source), "-o", out,
                                      "--jobs", "1", "--quiet"],
            "(c) features --jobs 2": [sys.executable, "-m", "velmora_core", "features", str(source), "-o", out,
                                      "--jobs", "2", "--quiet"],
        }
        best = {name: float("inf") for name in commands}
        cpu = dict(best)
        for _ in range(runs):
            for name, command in commands.items():
                seconds, used = timed(command)
                best[name], cpu[name] = min(best[name], seconds), min(cpu[name], used)
        print(f"\n(1) {count} sessions, {source.stat().st_size / 1e6:.0f} MB, Parquet output, whole processes "
              f"(best of {runs}; load average {os.getloadavg()[0]:.1f}):")
        plain = best["(a) plain loop"]
        for name, seconds in best.items():
            print(f"  {name:<24}{seconds:8.2f} s {count / seconds:>9,.0f} sessions/s"
                  f"  {plain / seconds:5.2f}x (a)   CPU {cpu[name]:6.2f} s, {cpu['(a) plain loop'] / cpu[name]:5.2f}x (a)")
        print(f"  --jobs 2 / --jobs 1: {best['(b) features --jobs 1'] / best['(c) features --jobs 2']:.2f}x")


def per_session(lines: list[bytes], repeat: int) -> None:
    import velmora_core_rs as core

    from velmora_core import _native, extract_features_json
    parsed = [json.loads(line) for line in lines]

    def cpu(action) -> float:
        action()  # warm-up: tables of both caches built as far as the budget allows
        times = []
        for _ in range(repeat):
            start = time.process_time()
            action()
            times.append(time.process_time() - start)
        return min(times) / len(lines) * 1e6

    _native.set_table_budget(16 << 20)  # the extension's own budget
    extract, session = core.extract_features_rs, _native.session_json
    results = {"rs": [], "json": [], "parse": []}
    for _ in range(3):  # taking turns against the drift of a shared machine
        results["rs"].append(cpu(lambda: [extract(t) for t in parsed]))
        results["json"].append(cpu(lambda: [extract_features_json(line) for line in lines]))
        results["parse"].append(cpu(lambda: [session(line, "-", ()) for line in lines]))
    rs, native, parse = (min(results[k]) for k in ("rs", "json", "parse"))
    print(f"\n(2) per session, CPU time, {len(lines)} sessions, 16 MiB tables for both:")
    print(f"  extract_features_rs(dict)        {rs:7.1f} us")
    print(f"  extract_features_json(bytes)     {native:7.1f} us   {native / rs:.2f}x extract_features_rs")
    print(f"    of which parsing the text      {parse:7.1f} us")


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--data", type=pathlib.Path, default=ROOT.parent / "shared" / "data")
    parser.add_argument("--sessions", type=int, default=20_000)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--repeat", type=int, default=5, help="timed passes per-session measurements keep the best of")
    args = parser.parse_args()
    paths = [args.data / name for name in FILES]
    if not all(p.exists() for p in paths):
        print(f"skipped: the benchmark data ({', '.join(FILES)}) is not in {args.data}; pass --data DIR")
        return
    lines = [line for p in paths for line in p.read_bytes().splitlines() if line.strip()]
    print(f"{len(lines)} distinct sessions from {args.data}; {os.process_cpu_count()} cores")
    per_session(lines, args.repeat)
    processes(lines, args.sessions, args.runs)


if __name__ == "__main__":
    main()
