"""extract_features_rs: time per call against the floor (reading the same telemetry through
the C API and building a 39-entry dict, no analysis) and against a NumPy implementation,
where the time goes inside the call, the process's RSS after one telemetry of every track
length, and what the twiddle-table cache's memory budget costs.

    .venv/bin/python -m bench.bench_features [--quick] [--data DIR]

DIR holds the recorded sessions (*.jsonl); by default ../shared/data beside the repository,
else examples/data. Builds the benchmark-only extension of bench/floor in
build/bench (never part of the wheel).
"""

import argparse
import importlib.util
import json
import math
import os
import pathlib
import random
import shutil
import subprocess
import sys
import time

# NumPy's BLAS threads would otherwise keep spinning on the second core after each NumPy call.
os.environ.setdefault("OPENBLAS_NUM_THREADS", "1")

import velmora_core_rs as core  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent
BUILD = ROOT / "build" / "bench"
from bench.numpy_features import extract_features_numpy  # noqa: E402
from bench.shared_data import SHARED_DATA, missing_message  # noqa: E402


def build_bench_extension():
    bin_dir = pathlib.Path(sys.executable).parent
    cmake = shutil.which("cmake", path=str(bin_dir)) or shutil.which("cmake")
    ninja = shutil.which("ninja", path=str(bin_dir)) or shutil.which("ninja")
    configure = [cmake, "-S", str(ROOT), "-B", str(BUILD), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                 "-DVELMORA_EXTENSION=OFF", "-DVELMORA_BENCH_FLOOR=ON", f"-DPython_EXECUTABLE={sys.executable}",
                 f"-DCMAKE_MAKE_PROGRAM={ninja}"]
    subprocess.run(configure, check=True, stdout=subprocess.DEVNULL)
    subprocess.run([cmake, "--build", str(BUILD), "--target", "velmora_bench"], check=True,
                   stdout=subprocess.DEVNULL)
    # Loaded from its file in the build tree, not found through sys.path.
    (path,) = (BUILD / "bench" / "floor").glob("velmora_bench*.so")
    spec = importlib.util.spec_from_file_location("velmora_bench", path)
    assert spec is not None and spec.loader is not None
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def synthetic(points, keystrokes, seed):
    """A human-like session: a wandering pointer sampled every ~16 ms, typing with jitter."""
    rng = random.Random(seed)
    x, y, t, heading = 500.0, 400.0, 1000.0, 0.0
    moves = []
    for _ in range(points):
        heading += rng.gauss(0, 0.3)
        speed = abs(rng.gauss(1.0, 0.6))
        t += rng.choice([16.0, 17.0, 16.0, 33.0])
        x += math.cos(heading) * speed * 16
        y += math.sin(heading) * speed * 16
        moves.append({"x": round(x), "y": round(y), "t": t})
    keys, kt = [], 2000.0
    for _ in range(keystrokes):
        kt += rng.uniform(80, 260)
        keys.append({"key": rng.choice("etaoinshrdlu "), "t": kt, "duration_ms": rng.uniform(60, 120)})
    return {"browser": {"webdriver": False, "screen_width": 1920, "screen_height": 1080,
                        "touch_supported": False, "max_touch_points": 0, "plugins_length": 5},
            "clicks": [{"x": 1.0, "y": 1.0, "t": 1.0}] * 12, "scrolls": [], "keystrokes": keys,
            "mouse_movements": moves}


def per_call_us(fns, telemetries, min_time, rounds=15):
    """µs per call of each function: the best of `rounds` rounds of at least `min_time` seconds.
    The functions take turns round by round, so that load from other work on the machine
    falls on all of them alike."""
    for fn in fns:  # warm-up: DFT tables, caches
        for tel in telemetries:
            fn(tel)
    best = [math.inf] * len(fns)
    for _ in range(rounds):
        for i, fn in enumerate(fns):
            calls, start = 0, time.perf_counter()
            while True:
                for tel in telemetries:
                    fn(tel)
                calls += len(telemetries)
                elapsed = time.perf_counter() - start
                if elapsed >= min_time:
                    break
            best[i] = min(best[i], elapsed / calls * 1e6)
    return best


def default_data_dir():
    """../shared/data beside the repository, else the bundled samples (said so on the output)."""
    if any(SHARED_DATA.glob("*.jsonl")):
        return SHARED_DATA
    print(missing_message("no *.jsonl", SHARED_DATA).replace("skipped: ", "") + "; using examples/data")
    return ROOT / "examples" / "data"


def rss_kib():
    for line in open("/proc/self/status"):
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    raise RuntimeError("no VmRSS in /proc/self/status")


def rss_every_length():
    """Run in a fresh process: RSS before and after one telemetry of every length 9-301."""
    telemetries = [synthetic(n, 0, n) for n in range(9, 302)]
    core.extract_features_rs(telemetries[0])  # first-call set-up outside the measurement
    before = rss_kib()
    for tel in telemetries:
        core.extract_features_rs(tel)
    print(json.dumps({"before": before, "after": rss_kib()}))


def budget_cost(bench, sessions, rng, rounds):
    """µs per power spectrum over a stream of series lengths, with a cache of 16 MiB (and, for
    comparison, 26 MiB) against one that keeps every table; best of interleaved rounds."""
    real = [o for o in (bench.series_length(t) for t in sessions) if o >= 8]
    streams = [
        ("real lengths, replayed in order", real * max(1, 2000 // len(real))),
        ("real lengths, random order", [rng.choice(real) for _ in range(2000)]),
        ("uniform 8-299", [rng.randrange(8, 300) for _ in range(2000)]),
    ]
    budgets = [1 << 40, 16 << 20, 26 << 20]
    print(f"\nWhat the 16 MiB twiddle-cache budget costs (µs per power spectrum after a warm-up of the same stream,"
          f" best of {rounds} interleaved rounds; {len(set(real))} distinct real lengths)\n")
    header = (f"{'stream':<34}{'unlimited':>11}{'16 MiB':>9}{'+µs':>8}{'built':>8}{'untabled':>10}{'peak MiB':>10}"
              f"{'26 MiB':>9}")
    print(header)
    print("-" * len(header))
    for name, lengths in streams:
        # Replays warm up in the same order; random streams on another draw from the same lengths.
        warm = lengths if "in order" in name else [rng.choice(lengths) for _ in lengths]
        best = [None] * len(budgets)
        for _ in range(rounds):
            for i, budget in enumerate(budgets):
                result = bench.spectrum_stream(warm, lengths, budget)
                if best[i] is None or result[0] < best[i][0]:
                    best[i] = result
        unlimited, (ns, built, untabled, peak), larger = best[0][0] / 1000, best[1], best[2][0] / 1000
        print(f"{name:<34}{unlimited:>11.1f}{ns / 1000:>9.1f}{ns / 1000 - unlimited:>8.1f}{built:>8}{untabled:>10}"
              f"{peak / 2**20:>10.1f}{larger:>9.1f}")


def max_relative_difference(a, b):
    """The largest relative difference over the features, and the feature it is in."""
    worst = (0.0, "")
    for key, va in a.items():
        vb = b[key]
        if va == vb or (isinstance(va, float) and math.isnan(va) and math.isnan(vb)):
            continue
        worst = max(worst, (abs(va - vb) / max(abs(va), abs(vb), 1e-300), key))
    return worst


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--quick", action="store_true", help="shorter timing rounds")
    parser.add_argument("--data", type=pathlib.Path, default=None, help="directory of session *.jsonl files")
    parser.add_argument("--rss-every-length", action="store_true", help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.rss_every_length:
        return rss_every_length()
    min_time = 0.02 if args.quick else 0.1

    bench = build_bench_extension()
    data = args.data or default_data_dir()
    samples = [json.loads(line) for path in sorted(data.glob("*.jsonl")) for line in path.open()]
    cases = [
        ("300 points + 150 keystrokes", [synthetic(300, 150, 1)]),
        (f"{len(samples)} sessions, mean", samples),
        ("5000 points", [synthetic(5000, 0, 2)]),
    ]
    print(f"sessions: {data}")

    print(f"Python {sys.version.split()[0]}, {os.cpu_count()} CPUs; µs per call, best of 15 interleaved rounds\n")
    header = f"{'case':<30}{'extract_features_rs':>21}{'floor':>9}{'ratio':>7}{'numpy':>10}{'numpy/ours':>12}"
    print(header)
    print("-" * len(header))
    for name, tels in cases:
        ours, floor = per_call_us([core.extract_features_rs, bench.floor_features], tels, min_time)
        (numpy,) = per_call_us([extract_features_numpy], tels, min_time, rounds=3)
        print(f"{name:<30}{ours:>21.1f}{floor:>9.1f}{ours / floor:>7.2f}{numpy:>10.1f}{numpy / ours:>12.1f}")

    stages = ["parse", "touch", "keystrokes", "track", "kinematics", "spectrum", "curvature", "dict"]
    print(f"\nWhere the time goes (µs per call, each stage timed alone on the same input)\n")
    header = f"{'case':<30}" + "".join(f"{s:>11}" for s in stages) + f"{'sum':>9}{'DFT untabled':>14}"
    print(header)
    print("-" * len(header))
    repeats = 200 if args.quick else 2000
    for name, tels in cases:
        totals = dict.fromkeys(stages + ["spectrum_without_tables"], 0.0)
        for tel in tels:
            for key, ns in bench.stage_times(tel, max(repeats // len(tels), 20)).items():
                totals[key] += ns / 1000 / len(tels)
        row = "".join(f"{totals[s]:>11.2f}" for s in stages)
        print(f"{name:<30}{row}{sum(totals[s] for s in stages):>9.1f}{totals['spectrum_without_tables']:>14.1f}")

    rss = json.loads(subprocess.run([sys.executable, "-m", "bench.bench_features", "--rss-every-length"], check=True,
                                    capture_output=True, text=True).stdout)
    print(f"\nRSS of a fresh process after one telemetry of every length 9-301: {rss['before'] / 1024:.1f} MiB"
          f" -> {rss['after'] / 1024:.1f} MiB (+{(rss['after'] - rss['before']) / 1024:.1f} MiB)")

    budget_cost(bench, samples, random.Random(3), rounds=1 if args.quick else 3)

    worst, key = max(max_relative_difference(core.extract_features_rs(t), extract_features_numpy(t))
                     for _, tels in cases for t in tels)
    print(f"\nNumPy version vs extract_features_rs: largest relative difference over all features {worst:.1e}"
          f"{f' ({key})' if key else ''}")


if __name__ == "__main__":
    main()
