"""velmora-core features: sessions/s against a plain json.loads + extract_features_rs loop.

    .venv/bin/python -m bench.bench_batch [--data DIR] [--repeat N] [--rounds N]

On the 310 sessions of DIR (default ../shared/data beside the repository: human_sessions.jsonl
and bot_sessions.jsonl, about 21 KB each):
  (a) a plain loop: json.loads each line, then extract_features_rs;
  (b) the command's extraction (velmora_core.batch.extract_to_file, which `velmora-core
      features` runs) with --jobs 1, for each output format;
  (c) the same with every core (--jobs = CPU count);
then the whole command in a new process (startup and imports included), and the time split
of (b): read, parse (orjson), extract, write.

Each configuration runs in its own process (so an imported Parquet library, which starts
threads, cannot change how a later pool starts), warms up once (the extension builds its DFT
tables per track length on first use; forked workers inherit them) and reports the best of its
runs; the configurations take turns over several rounds. The machine may be shared: figures
are noisy.
"""

import argparse
import json
import os
import pathlib
import subprocess
import sys
import tempfile
import time

from bench.shared_data import SHARED_DATA, missing_message

ROOT = pathlib.Path(__file__).resolve().parent.parent
FILES = ["human_sessions.jsonl", "bot_sessions.jsonl"]
FORMATS = ["jsonl", "csv", "parquet"]


def best_of(repeat, action):
    action()  # warm-up
    times = []
    for _ in range(repeat):
        start = time.perf_counter()
        action()
        times.append(time.perf_counter() - start)
    return min(times)


def measure(config, inputs, repeat):
    """Seconds of the best run of one configuration ("plain", "cli:JOBS:FORMAT" or "split")."""
    if config == "plain":
        import velmora_core_rs as core

        def plain():
            for path in inputs:
                with open(path, encoding="utf-8") as f:
                    for line in f:
                        core.extract_features_rs(json.loads(line))
        return {"seconds": best_of(repeat, plain)}
    if config == "split":
        return split(inputs, repeat)
    kind, jobs, fmt = config.split(":")
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, f"features.{fmt}")
        args = ["features", *inputs, "-o", out, "--jobs", jobs, "--quiet"]
        if kind == "cold":
            # A whole command in a new process: interpreter start, imports, pool start and the
            # DFT tables built from scratch in each process that extracts.
            command = [sys.executable, "-m", "velmora_core", *args]
            return {"seconds": best_of(min(repeat, 3), lambda: subprocess.run(command, check=True))}
        from velmora_core import batch
        if jobs == "1":
            return {"seconds": best_of(repeat, lambda: batch.extract_to_file(inputs, out, jobs=1))}
        # Every core: the pool is forked once from this process after it has extracted every
        # session (so the workers start with the DFT tables built) and is reused by each run;
        # its start and shutdown are timed separately.
        batch.extract_to_file(inputs, os.path.join(tmp, "warm-up.jsonl"), jobs=1)  # no Arrow threads yet
        start = time.perf_counter()
        pool = batch.process_pool(int(jobs))
        list(pool.map(abs, range(4 * int(jobs))))
        started = time.perf_counter() - start
        seconds = best_of(repeat, lambda: batch.extract_to_file(inputs, out, jobs=int(jobs), executor=pool))
        start = time.perf_counter()
        pool.shutdown()
        return {"seconds": seconds, "pool": started + time.perf_counter() - start}


def split(inputs, repeat):
    """Where the time of --jobs 1 goes: each stage alone over all sessions."""
    import orjson
    import velmora_core_rs as core

    from velmora_core.batch import extraction, inputs as reading, writers
    chunks = list(reading.read_chunks(inputs))
    lines = [line for c in chunks for line in c.lines()]
    rows = [extraction.extract_lines(c.lines(), c.first_line) for c in chunks]
    loads, extract = orjson.loads, core.extract_features_rs

    def parse():
        for line in lines:
            loads(line)

    def parse_and_extract():
        for line in lines:
            extract(loads(line))
    # Each parsed session is dropped at once, as in the command: keeping them all would
    # slow the parse down with fresh memory.
    parsing = best_of(repeat, parse)
    result = {
        "read": best_of(repeat, lambda: [c.lines() for c in reading.read_chunks(inputs)]),
        "parse": parsing,
        "extract": best_of(repeat, parse_and_extract) - parsing,
    }
    columns = writers.output_columns()

    def write(fmt):
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "out")
            if fmt == "parquet":
                with open(path, "wb") as f:
                    sink = writers.ParquetSink(f, ())
                    for c, (found, _) in zip(chunks, rows):
                        sink.write(extraction.ChunkResult(0, c.name, c.count, 0, len(found), found, []))
                    sink.close()
            else:
                encode = writers.encode_csv if fmt == "csv" else (lambda n, r: writers.encode_jsonl(n, r, columns))
                with open(path, "wb") as f:
                    for c, (found, _) in zip(chunks, rows):
                        f.write(encode(c.name, found))
    for fmt in FORMATS:
        result[f"write {fmt}"] = best_of(repeat, lambda: write(fmt))
    return result


def run_child(config, inputs, repeat):
    command = [sys.executable, "-m", "bench.bench_batch", "--child", config, "--repeat", str(repeat), *inputs]
    return json.loads(subprocess.run(command, check=True, capture_output=True, text=True).stdout)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--data", type=pathlib.Path, default=SHARED_DATA)
    parser.add_argument("--repeat", type=int, default=7, help="timed runs per configuration and round")
    parser.add_argument("--rounds", type=int, default=3, help="turns each configuration takes")
    parser.add_argument("--child", help=argparse.SUPPRESS)
    parser.add_argument("inputs", nargs="*", help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.child:
        print(json.dumps(measure(args.child, args.inputs, args.repeat)))
        return

    inputs = [str(args.data / name) for name in FILES]
    if not all(os.path.exists(p) for p in inputs):
        print(missing_message(", ".join(FILES), args.data))
        return
    sessions = sum(sum(1 for _ in open(p, "rb")) for p in inputs)
    size = sum(os.path.getsize(p) for p in inputs)
    cores = os.process_cpu_count() or 1
    print(f"{sessions} sessions, {size / 1e6:.1f} MB, from {args.data}; best of {args.rounds} x {args.repeat} runs after a "
          f"warm-up; {cores} cores; load average {os.getloadavg()[0]:.2f} at start (shared machine: noisy)")

    # The configurations take turns, round after round, and each keeps its best run, so
    # that a burst of load from other processes does not fall on one configuration only.
    configs = ["plain", *[f"lib:1:{f}" for f in FORMATS], *[f"lib:{cores}:{f}" for f in FORMATS],
               "cold:1:parquet", f"cold:{cores}:parquet"]
    best: dict[str, dict[str, float]] = {}
    for _ in range(args.rounds):
        for config in configs:
            result = run_child(config, inputs, args.repeat)
            if config not in best or result["seconds"] < best[config]["seconds"]:
                best[config] = result
    seconds = {config: result["seconds"] for config, result in best.items()}

    plain = seconds["plain"]
    print(f"\n{'configuration':<40}{'sessions/s':>12}{'us/session':>12}{'speed-up':>18}")

    def line(name, taken, against, label):
        print(f"{name:<40}{sessions / taken:>12,.0f}{taken / sessions * 1e6:>12.0f}"
              f"{against / taken:>11.2f}x {label}")
    line("(a) json.loads + extract loop", plain, plain, "(a)")
    for fmt in FORMATS:
        line(f"(b) --jobs 1 -> .{fmt}", seconds[f"lib:1:{fmt}"], plain, "(a)")
    for fmt in FORMATS:
        line(f"(c) --jobs {cores} -> .{fmt}", seconds[f"lib:{cores}:{fmt}"], seconds[f"lib:1:{fmt}"], "(b)")
    pool = min(best[f"lib:{cores}:{f}"]["pool"] for f in FORMATS)
    print(f"    (c) excludes starting and stopping the {cores} workers: {pool * 1e3:.1f} ms per run")
    for jobs in ["1", str(cores)]:
        line(f"whole command, new process, -j {jobs} -> .parquet", seconds[f"cold:{jobs}:parquet"],
             seconds["cold:1:parquet"], "(-j 1)")

    parts = run_child("split", inputs, args.repeat)
    print("\ntime split of (b), us/session (each stage alone; extract = parse and extract - parse):")
    print("  " + ", ".join(f"{name} {seconds / sessions * 1e6:.0f}" for name, seconds in parts.items()))
    print(f"  load average at end {os.getloadavg()[0]:.2f}")


if __name__ == "__main__":
    main()
