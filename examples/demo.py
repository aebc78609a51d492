"""Extract the feature record of each bundled sample session and show the key features.

    python examples/demo.py [session.jsonl ...]

Without arguments it reads examples/data/*.jsonl (real human sessions and generated bot
sessions, one telemetry dict per line; see examples/data/README.md).
"""

import json
import pathlib
import sys
import time

import velmora_core_rs as core

DATA = pathlib.Path(__file__).parent / "data"

# (heading, record key, format)
COLUMNS = [
    ("points", "mouse_points", "d"),
    ("keys", "key_count", "d"),
    ("straight", "straightness", ".3f"),
    ("avg v", "avg_velocity", ".3f"),
    ("dt var", "dt_var", ".1f"),
    ("decel", "terminal_decel_ratio", ".3f"),
    ("submov", "submovement_count", "d"),
    ("purity", "spectral_purity", ".3f"),
    ("entropy", "spectral_entropy", ".3f"),
    ("curv", "curvature_score", ".2f"),
    ("flight", "avg_flight_time", ".1f"),
    ("keys score", "keystroke_score", ".2f"),
    ("webdrv", "webdriver", ""),
]


def load_sessions(paths):
    for path in paths:
        with open(path, encoding="utf-8") as f:
            for number, line in enumerate(f, 1):
                if line.strip():
                    yield f"{path.stem}:{number}", json.loads(line)


def main(argv):
    paths = [pathlib.Path(p) for p in argv] or sorted(DATA.glob("*.jsonl"))
    sessions = list(load_sessions(paths))
    if not sessions:
        sys.exit(f"no sessions found in {', '.join(map(str, paths)) or DATA}")

    print(f"velmora_core_rs {core.get_core_version()}: extract_features_rs on {len(sessions)} sessions\n")
    headings = ["session", "label", "source"] + [h for h, _, _ in COLUMNS]
    rows = []
    elapsed = 0.0
    for name, telemetry in sessions:
        start = time.perf_counter()
        record = core.extract_features_rs(telemetry)
        elapsed += time.perf_counter() - start
        cells = [name, str(telemetry.get("label", "?")), str(telemetry.get("source", "?"))]
        cells += [format(record[key], fmt) if fmt else str(record[key]) for _, key, fmt in COLUMNS]
        rows.append(cells)

    widths = [max(len(r[i]) for r in rows + [headings]) for i in range(len(headings))]
    def line(cells):
        left = [c.ljust(w) for c, w in zip(cells[:3], widths[:3])]
        right = [c.rjust(w) for c, w in zip(cells[3:], widths[3:])]
        return "  ".join(left + right)

    print(line(headings))
    print("  ".join("-" * w for w in widths))
    for cells in rows:
        print(line(cells))
    # The first call for each track length also builds that length's DFT tables.
    start = time.perf_counter()
    for _, telemetry in sessions:
        core.extract_features_rs(telemetry)
    warm = time.perf_counter() - start
    print(f"\n{len(rows)} records of {len(record)} features; per call: {elapsed / len(rows) * 1e6:.0f} us on the"
          f" first pass (builds the DFT tables), {warm / len(rows) * 1e6:.0f} us afterwards")
    print("straight: end-to-end / path length; decel: last-quarter speed / top speed; purity, entropy:")
    print("speed spectrum; curv: curvature score; flight: mean key flight time (ms); keys score: 1 = automated typing")


if __name__ == "__main__":
    main(sys.argv[1:])
