"""Time per call of evaluate_keystroke_dynamics_rs on real keystroke timings.

Records come from the human sessions in ../shared/data beside the repository (CMU timings, dict form
{"key", "t", "duration_ms"}); sessions are laid end to end, each shifted to start
1 s after the previous one ended, to reach the larger sizes. The tuple form of the
same events is timed as well.

    .venv/bin/python -m bench.bench_keystrokes [path/to/human_sessions.jsonl]
"""

import json
import pathlib
import sys
import timeit

import velmora_core_rs as core
from bench.shared_data import SHARED_DATA, missing_message

DEFAULT_DATA = SHARED_DATA / "human_sessions.jsonl"


def load_records(path):
    records, offset = [], 0.0
    for line in path.open():
        session = json.loads(line)["keystrokes"]
        if not session:
            continue
        start = session[0]["t"]
        for k in session:
            records.append({"key": k["key"], "t": k["t"] - start + offset, "duration_ms": k["duration_ms"]})
        offset = records[-1]["t"] + records[-1]["duration_ms"] + 1000.0
    return records


def per_call_us(fn, arg):
    calls = max(1, 200_000 // max(1, len(arg)))
    best = min(timeit.repeat(lambda: fn(arg), number=calls, repeat=7))
    return best / calls * 1e6


def main():
    path = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else DEFAULT_DATA
    if not path.is_file():
        print(missing_message(path.name, path.parent))
        return
    records = load_records(path)
    print(f"{len(records)} keystroke records available from {path.name}")
    fn = core.evaluate_keystroke_dynamics_rs
    for size in (150, 5000):
        if size > len(records):
            print(f"only {len(records)} records, skipping {size}")
            continue
        dicts = records[:size]
        tuples = [(r["key"], r["t"], r["t"] + r["duration_ms"]) for r in dicts]
        print(f"{size:>5} events  dict form {per_call_us(fn, dicts):9.2f} us/call   "
              f"tuple form {per_call_us(fn, tuples):9.2f} us/call   "
              f"score {fn(dicts)['keystroke_score']}")


if __name__ == "__main__":
    main()
