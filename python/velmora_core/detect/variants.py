"""Sessions as other devices would report them, for training.

People's sessions get three variants, each fitted on as the same person's:

- half the sampling rate (every other sample). People on a slower device, a busy machine or
  a virtual machine are people. A model shown only the rates of our recordings learns that
  slower ones are bots' (every other sample dropped made a quarter of held-out people
  "bot": `python -m redteam devices`);
- every third sample lost, as a loaded page or a lossy link drops events. Without it,
  models fitted with seeds 1 to 3 called 3 to 11 % of held-out SapiMouse people so reported
  "bot"; with it, 0 to 0.6 %;
- a smaller screen (positions and screen size scaled by 0.25 to 0.75), as a phone, a small
  window or a zoomed page reports the same movement in fewer pixels. At 0.3 of the scale,
  5 to 15 % of held-out SapiMouse people were "bot" without it; with it, 3 to 5 %.

Bots get the smaller screen too: shown only people scaled, the trees would learn that a
small scale is a person's. Sparser or lossier bots were tried as well: the trees then
called people at a third of their rate "bot" (SapiMouse 0.6 % -> 8 %), or people who lose
samples (0.4 % -> 5 % at seed 2), more often, though they caught more of an unseen family.

Variants never count as sessions in any estimate.

A variant on a coarse clock (time stamps floored to 16 ms) was tried too: it made the
remote-desktop people of Balabit, whose clock ticks like that, look familiar to a model
fitted without them, and a third of them "bot" (none without it).
"""

import math
from collections.abc import Mapping
from typing import Any, Final

from velmora_core.records import Telemetry

# Sessions with fewer pointer samples give no variant (too thin to judge after).
MIN_SAMPLES: Final = 40
# A session's smaller screen is this share of the original: SCALE_LOW up to SCALE_LOW + SCALE_SPAN.
SCALE_LOW: Final = 0.25
SCALE_SPAN: Final = 0.5
_GOLDEN: Final = (math.sqrt(5.0) - 1.0) / 2.0


def human_variants(session: Mapping[str, Any]) -> list[tuple[str, Telemetry]]:
    """(name, session) of each variant of a human session."""
    moves = _moves(session)
    if len(moves) < MIN_SAMPLES:
        return []
    half: Telemetry = {**session, "mouse_movements": moves[::2]}  # type: ignore[typeddict-item]
    lost: Telemetry = {**session, "mouse_movements": [m for i, m in enumerate(moves) if i % 3 != 2]}  # type: ignore[typeddict-item]
    return [("half_rate", half), ("samples_lost", lost), ("small_screen", small_screen(session))]


def bot_variants(session: Mapping[str, Any]) -> list[tuple[str, Telemetry]]:
    """(name, session) of each variant of a bot session."""
    return [("small_screen", small_screen(session))] if len(_moves(session)) >= MIN_SAMPLES else []


def small_screen(session: Mapping[str, Any]) -> Telemetry:
    """The session on a smaller screen, by a factor drawn from its length (the same session,
    the same factor)."""
    return scaled(session, SCALE_LOW + SCALE_SPAN * ((len(_moves(session)) * _GOLDEN) % 1.0))


def scaled(session: Mapping[str, Any], k: float) -> Telemetry:
    """The session with its positions and screen size multiplied by k."""
    out: dict[str, Any] = {**session, "mouse_movements": _scaled(session.get("mouse_movements"), k),
                           "clicks": _scaled(session.get("clicks"), k)}
    browser = session.get("browser")
    if isinstance(browser, Mapping):
        out["browser"] = {**browser, **{c: int(round(browser[c] * k)) for c in ("screen_width", "screen_height")
                                         if _number(browser.get(c))}}
    return out  # type: ignore[return-value]


def _moves(session: Mapping[str, Any]) -> list[Any]:
    moves = session.get("mouse_movements")
    return moves if isinstance(moves, list) else []


def _number(value: Any) -> bool:
    return isinstance(value, (int, float)) and not isinstance(value, bool)


def _scaled(items: Any, k: float) -> Any:
    if not isinstance(items, list):
        return items
    return [{**e, **{c: e[c] * k for c in ("x", "y") if _number(e.get(c))}} if isinstance(e, Mapping) else e
            for e in items]
