"""Behaviour features: time per session against extract_features_rs on the same sessions.

    .venv/bin/python -m bench.bench_behaviour [--data DIR] [--repeats N]

Every session of DIR/*.jsonl (default ../shared/data) is timed with both calls, each
repeated N times (best of 5 rounds); the table gives the median and p90 over sessions and
the median session size.
"""

import argparse
import pathlib
import statistics

import velmora_core_rs as core
from bench.shared_data import SHARED_DATA, parsed, per_call_us, session_lines
from velmora_core.behaviour import behaviour_feature_values, behaviour_features

def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", type=pathlib.Path, default=SHARED_DATA)
    parser.add_argument("--repeats", type=int, default=20)
    args = parser.parse_args()
    lines = session_lines(args.data)
    sessions = parsed(lines)
    calls = {
        "extract_features_rs": core.extract_features_rs,
        "behaviour_feature_values": behaviour_feature_values,
        "behaviour_features": behaviour_features,
    }
    times = {name: [per_call_us(fn, s, args.repeats) for s in sessions] for name, fn in calls.items()}
    ratios = [b / a for a, b in zip(times["extract_features_rs"], times["behaviour_feature_values"])]
    print(f"{len(sessions)} sessions, median {statistics.median(len(x) for x in lines) / 1000:.1f} KB")
    print(f"{'call':28s} {'median us':>10s} {'p90 us':>10s}")
    for name, values in times.items():
        p90 = statistics.quantiles(values, n=10)[-1]
        print(f"{name:28s} {statistics.median(values):10.1f} {p90:10.1f}")
    print(f"behaviour_feature_values / extract_features_rs, median per session: {statistics.median(ratios):.2f}")


if __name__ == "__main__":
    main()
