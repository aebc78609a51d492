"""False matches of the stroke memory on the shared humans: every session against all others.

    .venv/bin/python -m bench.stroke_memory_humans [--data DIR]

The human sessions of DIR (human_sessions*.jsonl, default ../shared/data) go through one
in-process memory in file order and again in reverse order; each session's strokes are
looked up before it is remembered, so a stroke matched in either pass matches a stroke of
another session. Prints the share of distinctive strokes that match another session's and
how many sessions the replay rule would call a bot.
"""

import argparse
import json
import pathlib

from bench.shared_data import SHARED_DATA
from velmora_core.detect.stroke_memory import StrokeMemory, StrokePrints, evidence, stroke_prints


def humans(folder: pathlib.Path) -> list[StrokePrints]:
    out = [stroke_prints(json.loads(line)) for path in sorted(folder.glob("human_sessions*.jsonl"))
           for line in path.open()]
    if not out:
        raise SystemExit(f"skipped: no human_sessions*.jsonl in {folder}")
    return out


def matches_earlier(sessions: list[StrokePrints]) -> list[list[bool]]:
    """Per session, per distinctive stroke: does it match a stroke of an earlier session."""
    memory = StrokeMemory(1_000_000)
    flags = []
    for prints in sessions:
        flags.append(memory.recalls(prints))
        memory.observe(prints)
    return flags


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", type=pathlib.Path, default=SHARED_DATA)
    args = parser.parse_args()
    prints = humans(args.data)
    forward = matches_earlier(prints)
    backward = matches_earlier(prints[::-1])[::-1]
    matched = [sum(a or b for a, b in zip(f, r)) for f, r in zip(forward, backward)]
    strokes = sum(p.strokes for p in prints)
    distinctive = sum(p.distinctive for p in prints)
    flagged = [i for i, (m, p) in enumerate(zip(matched, prints)) if evidence(m, p.distinctive).is_replay]
    print(f"{len(prints)} human sessions, {strokes} strokes of 10+ samples, {distinctive} distinctive "
          f"({distinctive / len(prints):.1f} per session)")
    print(f"distinctive strokes matching another session's: {sum(matched)} "
          f"({100 * sum(matched) / max(distinctive, 1):.2f} %)")
    print(f"sessions with 1 matched stroke: {sum(m == 1 for m in matched)}, with 2 or more: "
          f"{sum(m >= 2 for m in matched)}; called replays by the rule: {len(flagged)} of {len(prints)}"
          + (f" (lines {flagged})" if flagged else ""))


if __name__ == "__main__":
    main()
