"""Recorded people as other devices would report them, for training: each human session
again at half its sampling rate, and with a clock that ticks every 16 ms.

People on a slower device, in a virtual machine or in a browser that coarsens its clock
are people. A model shown only the rates and clocks of our recordings learns that every
other rate or clock is a bot's (half the rate made a third of held-out people "bot").
The variants teach it otherwise; they never count as people in any estimate.
"""

import math
from collections.abc import Mapping
from typing import Any, Final

from velmora_core.records import Telemetry

CLOCK_MS: Final = 16.0
# Sessions with fewer pointer samples give no half-rate variant (too thin to judge after).
MIN_SAMPLES: Final = 40


def _tick(value: object) -> object:
    if isinstance(value, bool) or not isinstance(value, (int, float)) or not math.isfinite(value):
        return value
    return math.floor(value / CLOCK_MS) * CLOCK_MS


def _ticked(items: object, keys: tuple[str, ...]) -> object:
    if not isinstance(items, list):
        return items
    out: list[object] = []
    for item in items:
        if isinstance(item, dict):
            item = {**item, **{k: _tick(item[k]) for k in keys if k in item}}
        out.append(item)
    return out


def _coarse_keys(keys: object) -> object:
    # A coarse clock stamps both ends of a key press: the hold is a difference of ticks.
    if not isinstance(keys, list):
        return keys
    out: list[object] = []
    for key in keys:
        if isinstance(key, dict) and isinstance(down := _tick(key.get("t")), float) \
                and isinstance(held := key.get("duration_ms"), (int, float)) and not isinstance(held, bool):
            up = _tick(key["t"] + held)
            key = {**key, "t": down, "duration_ms": up - down if isinstance(up, float) else held}
        out.append(key)
    return out


def human_variants(session: Mapping[str, Any]) -> list[tuple[str, Telemetry]]:
    """(name, session) of each variant of a human session."""
    moves = session.get("mouse_movements")
    variants: list[tuple[str, Telemetry]] = []
    if isinstance(moves, list) and len(moves) >= MIN_SAMPLES:
        variants.append(("half_rate", {**session, "mouse_movements": moves[::2]}))  # type: ignore[typeddict-item]
    coarse = dict(session)
    for key in ("mouse_movements", "clicks", "scrolls"):
        if key in session:
            coarse[key] = _ticked(session[key], ("t",))
    if "keystrokes" in session:
        coarse["keystrokes"] = _coarse_keys(session["keystrokes"])
    variants.append(("coarse_clock", coarse))  # type: ignore[arg-type]
    return variants
