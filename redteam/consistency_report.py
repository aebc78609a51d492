"""How often each consistency check of the detector fires on the recorded humans, and how
the families that break one check each are judged (`python -m redteam consistency`)."""

from __future__ import annotations

from collections import Counter
from pathlib import Path
from typing import cast

from velmora_core.detect import Detector, evidence, feature_set
from velmora_core.records import Telemetry

from .corpus import context_from, generate, scripts_from
from .families import CONSISTENCY_FAMILIES
from .script import Session, load_humans


def firing_rates(humans: list[Session]) -> dict[str, dict[str, int]]:
    """Per source: sessions, and sessions each check fires on."""
    table: dict[str, dict[str, int]] = {}
    for session in humans:
        counts = table.setdefault(str(session.get("source")), Counter())
        counts["sessions"] += 1
        row = evidence.Row(feature_set.NAMES, feature_set.feature_row(cast(Telemetry, session)))
        for check in evidence.CHECKS:
            if check(row) is not None:
                counts[check.__name__] += 1
    return table


def report(humans_paths: list[Path], per_family: int, seed: int, model: Path | None) -> str:
    humans = load_humans(humans_paths)
    detector = Detector.load(model) if model is not None else Detector.default()
    lines = ["Consistency checks on the recorded humans (sessions they fire on):"]
    checks = [c.__name__ for c in evidence.CHECKS]
    lines.append(f"{'source':<12} {'sessions':>8} " + " ".join(f"{c:>16}" for c in checks))
    for source, counts in sorted(firing_rates(humans).items()):
        lines.append(f"{source:<12} {counts['sessions']:>8} " + " ".join(f"{counts[c]:>16}" for c in checks))
    scripts = scripts_from(humans)
    ctx = context_from(scripts)
    lines += ["", "Families that break one check each, judged by the model (share bot / unsure / human):"]
    for family in CONSISTENCY_FAMILIES:
        sessions = generate(family, scripts, ctx, per_family, seed)
        outcomes = Counter(detector.verdict(cast(Telemetry, s)).outcome for s in sessions)
        shares = " ".join(f"{100 * outcomes[o] / len(sessions):>6.1f} %" for o in ("bot", "unsure", "human"))
        lines.append(f"{family.name:<20} {len(sessions):>6} {shares}")
    return "\n".join(lines)
