"""Detector scoring: time per session against extract_features_rs alone on the same sessions.

    .venv/bin/python -m bench.bench_detect [--data DIR] [--model MODEL] [--repeats N]

Every session of DIR/*.jsonl (default ../shared/data) is timed with extract_features_rs,
Detector.score (every feature and the model) and Detector.verdict (with its reasons), and,
from the line's bytes, extract_features_rs(json.loads(line)) and Detector.score_json, each
repeated N times (best of 5 rounds). The table gives the median and p90 over sessions; the
ratio lines give the per-session ratios' median and p90: score / extract_features_rs, which
must stay at or below 2, and the same from the JSON text.
"""

import argparse
import json
import pathlib
import statistics

import velmora_core_rs as core
from bench.shared_data import SHARED_DATA, parsed, per_call_us, session_lines
from velmora_core.detect import Detector

def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", type=pathlib.Path, default=SHARED_DATA)
    parser.add_argument("--model", help="a model file (default: the bundled model)")
    parser.add_argument("--repeats", type=int, default=20)
    args = parser.parse_args()
    lines = session_lines(args.data)
    sessions = parsed(lines)
    detector = Detector.default() if args.model is None else Detector.load(args.model)
    nodes = len(detector.model.forest.feature)
    texts = [line.encode() for line in lines]
    calls = {"extract_features_rs": (core.extract_features_rs, sessions),
             "Detector.score": (detector.score, sessions),
             "Detector.verdict": (detector.verdict, sessions),
             "extract(json.loads)": (lambda text: core.extract_features_rs(json.loads(text)), texts),
             "Detector.score_json": (detector.score_json, texts)}
    times: dict[str, list[float]] = {name: [] for name in calls}
    for i in range(len(sessions)):  # session by session, so that a burst of load hits every call alike
        for name, (fn, arguments) in calls.items():
            times[name].append(per_call_us(fn, arguments[i], args.repeats))
    print(f"{len(sessions)} sessions, median {statistics.median(len(x) for x in lines) / 1000:.1f} KB; "
          f"model: {len(detector.model.names)} features, {len(detector.model.forest.roots)} trees, {nodes} nodes")
    print(f"{'call':22s} {'median us':>10s} {'p90 us':>10s}")
    for name, values in times.items():
        p90 = statistics.quantiles(values, n=10)[-1]
        print(f"{name:22s} {statistics.median(values):10.1f} {p90:10.1f}")
    for top, bottom, target in (("Detector.score", "extract_features_rs", " (target: at most 2)"),
                                ("Detector.score_json", "extract(json.loads)", "")):
        ratios = [b / a for a, b in zip(times[bottom], times[top])]
        print(f"{top} / {bottom} per session: median {statistics.median(ratios):.2f}, "
              f"p90 {statistics.quantiles(ratios, n=10)[-1]:.2f}{target}")

if __name__ == "__main__":
    main()
