"""Writes src/behaviour/human_reference_data.hpp: the human medians and robust scales of the
pointer behaviour features, which human_distance and human_range_excess measure sessions against.

    .venv/bin/python scripts/behaviour_reference.py [HUMAN_JSONL ...]

Default input: the recorded human sessions in ../shared/data. Rerun (then rebuild, retrain)
whenever a pointer feature is added or computed differently.
"""

import json
import pathlib
import sys

import numpy as np

from velmora_core.behaviour import BEHAVIOUR_FEATURE_NAMES, behaviour_feature_values

ROOT = pathlib.Path(__file__).resolve().parent.parent
DEFAULT = [ROOT.parent / "shared/data/human_sessions.jsonl", ROOT.parent / "shared/data/human_sessions_more.jsonl"]
OUT = ROOT / "src/behaviour/human_reference_data.hpp"
FIRST_KEY_FEATURE = "hold_mean"
SCALE_FLOOR = 1e-9  # a feature constant over people makes any other value far
RANGE_SHARE = 0.5  # percent of people left outside the range at either end


def main() -> None:
    files = [pathlib.Path(a) for a in sys.argv[1:]] or DEFAULT
    rows = []
    for path in files:
        with open(path, encoding="utf-8") as f:
            for line in f:
                session = json.loads(line)
                if session.get("label", "human") == "human":
                    rows.append(behaviour_feature_values(session))
    count = BEHAVIOUR_FEATURE_NAMES.index(FIRST_KEY_FEATURE)
    x = np.array(rows, dtype=np.float64)[:, :count]
    median = np.median(x, axis=0)
    low, q1, q3, high = np.percentile(x, [RANGE_SHARE, 25, 75, 100 - RANGE_SHARE], axis=0)
    iqr = np.maximum(q3 - q1, SCALE_FLOOR)
    scale = np.maximum((q3 - q1) / 1.349, SCALE_FLOOR)
    columns = zip(BEHAVIOUR_FEATURE_NAMES, median.tolist(), scale.tolist(), low.tolist(), high.tolist(), iqr.tolist())
    lines = [f"    {{{m!r}, {s!r}, {lo!r}, {hi!r}, {r!r}}},  // {name}" for name, m, s, lo, hi, r in columns]
    text = ["// Written by scripts/behaviour_reference.py from "
            f"{len(rows)} human sessions ({', '.join(p.name for p in files)}); do not edit.",
            "#pragma once", "", "#include <array>", "", "namespace velmora::behaviour {", "",
            "struct HumanReference {",
            "    double median, scale;  // scale: interquartile range / 1.349",
            "    double low, high;      // the 0.5th and 99.5th percentiles",
            "    double iqr;            // interquartile range",
            "};", "",
            "// Each pointer feature's, in feature order.",
            f"inline constexpr std::array<HumanReference, {count}> kHumanReference = {{{{"]
    text += lines
    text += ["}};", "", "}  // namespace velmora::behaviour", ""]
    OUT.write_text("\n".join(text), encoding="utf-8")
    print(f"{OUT.relative_to(ROOT)}: {count} features from {len(rows)} sessions")


if __name__ == "__main__":
    main()
