"""The main job on the bundled sample sessions: extract their features with the velmora-core
command, show the key ones side by side, and write the report on how well each feature
separates the bots from the humans.

    python examples/demo.py [HUMAN.jsonl BOT.jsonl]

Without arguments it reads examples/data/human_sample.jsonl and bot_sample.jsonl (real human
recordings and generated bot sessions, one telemetry object per line; see
examples/data/README.md). Output goes to build/demo/ and build/report/.
"""

import csv
import pathlib
import shlex
import subprocess
import sys

from velmora_core.feature_info import FEATURE_INFO

ROOT = pathlib.Path(__file__).resolve().parent.parent
DATA = ROOT / "examples" / "data"
FEATURES = ROOT / "build" / "demo" / "features.csv"
REPORT = ROOT / "build" / "report"

# (heading, column, format): the columns shown; the legend below the table explains each.
COLUMNS = [
    ("points", "mouse_points", "d"),
    ("straight", "straightness", ".3f"),
    ("avg v", "avg_velocity", ".3f"),
    ("max v", "max_velocity", ".2f"),
    ("decel", "terminal_decel_ratio", ".3f"),
    ("purity", "spectral_purity", ".3f"),
    ("curv", "curvature_score", ".2f"),
    ("flight", "avg_flight_time", ".1f"),
    ("keys", "keystroke_score", ".2f"),
    ("plugins", "plugins_length", "d"),
    ("webdrv", "webdriver", "s"),
]
SESSION_COLUMNS = [
    ("session", "input file and line number"),
    ("label", "class recorded in the line (human or bot), not read by the extractor"),
    ("source", "recording set or bot generator of the line (see examples/data/README.md)"),
]


def velmora_core(*args: str) -> None:
    command = [sys.executable, "-m", "velmora_core", *args]
    print("$ velmora-core " + shlex.join(args), flush=True)
    subprocess.run(command, check=True)


def cell(value: str, fmt: str) -> str:
    if fmt == "s":
        return value.lower()
    return format(int(value) if fmt == "d" else float(value), fmt)


def show_table(rows: list[dict[str, str]]) -> None:
    headings = [h for h, _ in SESSION_COLUMNS] + [h for h, _, _ in COLUMNS]
    cells = [[f"{pathlib.Path(r['file']).stem}:{r['line']}", r["label"], r["source"]]
             + [cell(r[key], fmt) for _, key, fmt in COLUMNS] for r in rows]
    widths = [max(len(c[i]) for c in cells + [headings]) for i in range(len(headings))]

    def line(values: list[str]) -> str:
        left = [v.ljust(w) for v, w in zip(values[:3], widths[:3])]
        return "  ".join(left + [v.rjust(w) for v, w in zip(values[3:], widths[3:])])

    print(line(headings))
    print("  ".join("-" * w for w in widths))
    for values in cells:
        print(line(values))
    print("\nColumns:")
    legend = SESSION_COLUMNS + [(h, f"{FEATURE_INFO[k].title} [{FEATURE_INFO[k].unit}]") for h, k, _ in COLUMNS]
    width = max(len(h) for h, _ in legend)
    for heading, meaning in legend:
        print(f"  {heading:<{width}}  {meaning}")
    print(f"  All 39 features with their units: velmora-core columns; the full rows are in {rel(FEATURES)}.")


def rel(path: pathlib.Path) -> str:
    try:
        return str(path.relative_to(pathlib.Path.cwd()))
    except ValueError:
        return str(path)


def main(argv: list[str]) -> None:
    if argv and len(argv) != 2:
        sys.exit(__doc__)
    human, bot = argv or [rel(DATA / "human_sample.jsonl"), rel(DATA / "bot_sample.jsonl")]
    FEATURES.parent.mkdir(parents=True, exist_ok=True)

    velmora_core("features", human, bot, "-o", rel(FEATURES), "--keep", "label", "--keep", "source")
    with open(FEATURES, newline="") as f:
        rows = list(csv.DictReader(f))
    print()
    show_table(rows)

    print()
    velmora_core("report", human, bot, "-o", rel(REPORT), "--quiet")
    with open(REPORT / "auc.csv", newline="") as f:
        scores = list(csv.DictReader(f))
    humans = sum(r["label"] == "human" for r in rows)
    print(f"\nBest-separating features on these {len(rows)} sessions ({humans} human, {len(rows) - humans} bot);"
          " with so few sessions the AUCs are rough:")
    for score in scores[:5]:
        info = FEATURE_INFO[score["feature"]]
        print(f"  AUC {float(score['auc']):.2f}  {score['direction']:<14}  {score['feature']} ({info.title} [{info.unit}])")
    print(f"\nReport (table, histograms, ROC curves): {REPORT / 'index.html'}")


if __name__ == "__main__":
    main(sys.argv[1:])
