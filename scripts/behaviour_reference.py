"""Writes src/behaviour/human_reference_data.hpp: the human medians and robust scales of the
pointer behaviour features, which the human_distance feature measures sessions against.

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
    q1, q3 = np.percentile(x, [25, 75], axis=0)
    scale = np.maximum((q3 - q1) / 1.349, SCALE_FLOOR)
    lines = [f"    {{{m!r}, {s!r}}},  // {name}" for name, m, s in zip(BEHAVIOUR_FEATURE_NAMES, median.tolist(), scale.tolist())]
    text = ["// Written by scripts/behaviour_reference.py from "
            f"{len(rows)} human sessions ({', '.join(p.name for p in files)}); do not edit.",
            "#pragma once", "", "#include <array>", "", "namespace velmora::behaviour {", "",
            "// {median, robust scale} of each pointer feature, in feature order.",
            f"inline constexpr std::array<std::array<double, 2>, {count}> kHumanReference = {{{{"]
    text += lines
    text += ["}};", "", "}  // namespace velmora::behaviour", ""]
    OUT.write_text("\n".join(text), encoding="utf-8")
    print(f"{OUT.relative_to(ROOT)}: {count} features from {len(rows)} sessions")


if __name__ == "__main__":
    main()
