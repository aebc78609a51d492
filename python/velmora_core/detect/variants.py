"""Sessions as other devices would report them, for training.

Each session of MIN_SAMPLES pointer samples or more is also fitted on as:

- every third sample lost, as a loaded page or a lossy link drops events (people and bots);
- on a smaller screen: positions and screen size scaled by 0.25 to 0.75, as a phone, a
  small window or a zoomed page reports the same movement in fewer pixels (people and bots);
- at half the sampling rate, every other sample: a slower device, a busy machine or a
  virtual machine (people only).

Shown only our recordings, the trees learn that slower, lossier or smaller sessions are
bots' (`python -m redteam devices`, held-out people, seeds 1 / 2 / 3: every other sample
dropped 22 % "bot" without the variants; a third of the samples lost 2.4 / 8.1 / 9.1 % with
the half rate only, 1.4 / 4.1 / 2.1 % with these; a third of the screen 11.2 / 8.3 / 4.7 %
and 1.7 / 4.1 / 3.1 %). A change of device that people and bots both go through is shown
for both, so that it teaches the trees nothing either way: lost samples shown for people
only let our attacker through far more easily (48-64 % of fresh bots at 1,000 queries in
four builds, against 23 % with the bots' too). Bots at half rate were tried and dropped:
the trees then called people at a third of their rate "bot" more often (SapiMouse 0.6 % ->
8 %).

Variants are fitted on with their session (the same person, the same fold) and never count
as sessions in any estimate.

A variant sent early (the first 30-60 % of the pointer samples and what came before the
last of them, people and bots) was tried and dropped: held-out people sent at a third were
"bot" no less often (3.6 %, against 3.4 %), and at 1000 Hz more often (4.3 %, against 0.7 %).

A variant on a coarse clock (time stamps floored to 16 ms) was tried too: it made the
remote-desktop people of Balabit, whose clock ticks like that, look familiar to a model
fitted without them, and a third of them "bot" (none without it). For people only, with
the adversarial rounds, it let our attacker through in every round (docs/detector.md).
"""

import math
from collections.abc import Mapping
from typing import Any, Final, cast

from velmora_core.detect import feature_set
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
    half = cast(Telemetry, {**session, "mouse_movements": moves[::2]})
    return [("half_rate", half), ("samples_lost", samples_lost(session)), ("small_screen", small_screen(session))]


def variant_rows(session: Telemetry, human: bool) -> list[tuple[float, ...]]:
    """The feature rows of a session's variants, a person's or a bot's."""
    made = human_variants(session) if human else bot_variants(session)
    return [feature_set.feature_row(variant) for _, variant in made]


def samples_lost(session: Mapping[str, Any]) -> Telemetry:
    """The session with every third pointer sample lost."""
    return cast(Telemetry, {**session, "mouse_movements": [m for i, m in enumerate(_moves(session)) if i % 3 != 2]})


def bot_variants(session: Mapping[str, Any]) -> list[tuple[str, Telemetry]]:
    """(name, session) of each variant of a bot session."""
    if len(_moves(session)) < MIN_SAMPLES:
        return []
    return [("samples_lost", samples_lost(session)), ("small_screen", small_screen(session))]


def small_screen(session: Mapping[str, Any]) -> Telemetry:
    """The session on a smaller screen, by a factor drawn from its length (the same session,
    the same factor)."""
    return scaled(session, SCALE_LOW + SCALE_SPAN * ((len(_moves(session)) * _GOLDEN) % 1.0))


def scaled(session: Mapping[str, Any], k: float) -> Telemetry:
    """The session with its positions and screen size multiplied by k."""
    out: dict[str, Any] = {**session, "mouse_movements": _scaled(session.get("mouse_movements"), k),
                           "clicks": _scaled(session.get("clicks"), k)}
    browser: object = session.get("browser")
    if isinstance(browser, Mapping):
        facts = cast(Mapping[str, Any], browser)
        out["browser"] = {**facts, **{c: _times(facts[c], k, whole=True) for c in ("screen_width", "screen_height")
                                       if _number(facts.get(c))}}
    return cast(Telemetry, out)


def _moves(session: Mapping[str, Any]) -> list[Any]:
    moves = session.get("mouse_movements")
    return moves if isinstance(moves, list) else []  # pyright: ignore[reportUnknownVariableType]


def _number(value: object) -> bool:
    return isinstance(value, (int, float)) and not isinstance(value, bool)


def _times(value: float, k: float, whole: bool = False) -> float:
    """value * k; rounded for a fact the browser gives in whole pixels (unless not finite)."""
    product = value * k
    return round(product) if whole and math.isfinite(product) else product


def _scaled(items: object, k: float) -> object:
    if not isinstance(items, list):
        return items
    out: list[object] = []
    for item in cast(list[object], items):
        if isinstance(item, Mapping):
            e = cast(Mapping[str, Any], item)
            item = {**e, **{c: _times(e[c], k) for c in ("x", "y") if _number(e.get(c))}}
        out.append(item)
    return out
