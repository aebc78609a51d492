"""Recorded people as a slower device would report them, for training: each human session
again at half its sampling rate.

People on a slower device, a busy machine or a virtual machine are people. A model shown
only the rates of our recordings learns that slower ones are bots' (every other sample
dropped made a quarter of held-out people "bot": `python -m redteam devices`). The variants teach it otherwise; they
never count as people in any estimate.

A variant on a coarse clock (time stamps floored to 16 ms) was tried too: it made the
remote-desktop people of Balabit, whose clock ticks like that, look familiar to a model
fitted without them, and a third of them "bot" (none without it).
"""

from collections.abc import Mapping
from typing import Any, Final

from velmora_core.records import Telemetry

# Sessions with fewer pointer samples give no variant (too thin to judge after).
MIN_SAMPLES: Final = 40


def human_variants(session: Mapping[str, Any]) -> list[tuple[str, Telemetry]]:
    """(name, session) of each variant of a human session."""
    moves = session.get("mouse_movements")
    if not isinstance(moves, list) or len(moves) < MIN_SAMPLES:
        return []
    return [("half_rate", {**session, "mouse_movements": moves[::2]})]  # type: ignore[typeddict-item]
