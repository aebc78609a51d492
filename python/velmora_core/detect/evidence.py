"""Evidence of automation that needs no model: facts a real pointing device and browser
obey, which replayed tracks and scripted events break, read from a session's row.

Each check counts violations natively (the consistency features of the behaviour set)
and fires only past a margin: one odd click may be a glitch of a page's collector, a
pattern of them is not. docs/detector.md gives each check's firing rate on the recorded
humans.
"""

from collections.abc import Callable, Sequence
from dataclasses import dataclass
from functools import cache
from typing import Final

# A session with fewer usable pointer samples than this is too thin to judge by its motion.
MIN_POINTER_SAMPLES: Final = 20
# click_off_path: clicks more than 10 px from the pointer's path at their time.
OFF_PATH_CLICKS: Final = 2
OFF_PATH_SHARE: Final = 0.1
# click_jump: clicks at a new place (over 10 px away) with no pointer event since the last.
JUMP_CLICKS: Final = 3
JUMP_CLICK_SHARE: Final = 0.25
# pointer_jump: samples over 50 px from the last with 300 ms of silence on both sides, then
# clicked where they are (a remote desktop's batches make a few; a pointer that only
# appears at targets makes many).
JUMP_SAMPLES: Final = 3
JUMP_SHARE: Final = 0.25
# time_disorder: samples time-stamped before the sample delivered before them.
DISORDERED_SAMPLES: Final = 2
# place_*: pointer or click positions beyond the screen's far edge (px of slack).
SCREEN_SLACK_PX: Final = 2.0
# A touch screen's positions may reach its longer side, up to this many times the width its
# browser reports (tall phones are 2.2 times as long as wide).
TURNED_SCREEN: Final = 2.5
# end_speed_ratio: a hand brakes before it stops. The recorded people end their movements at
# 0.35 of their top speed at most (a remote desktop's coarse samples included), 0.58 when
# every other sample is dropped (a slower device); movements that end at 0.6 of it or
# more, on average, stop like a timer. A short track's mean is no pattern: it averages a
# few movements, and its last may be cut off mid-flight when a page sends its telemetry
# early (the people's first thirds and fifths reach 0.6 with up to 146 samples).
ABRUPT_END_RATIO: Final = 0.6
ABRUPT_SAMPLES: Final = 200


@dataclass(frozen=True)
class Finding:
    feature: str
    value: float
    text: str


@cache
def _positions(names: tuple[str, ...]) -> dict[str, int]:
    return {name: i for i, name in enumerate(names)}


class Row:
    """A session's row read by feature name."""

    def __init__(self, names: Sequence[str], values: Sequence[float]) -> None:
        self._at = _positions(tuple(names))
        self.values = values

    def __getitem__(self, name: str) -> float:
        return self.values[self._at[name]]


def _count(v: float) -> int:
    return int(v)


def _pattern(count: float, out_of: float, least: int, share: float) -> bool:
    """At least `least` violations and `share` of what they are counted among: not a glitch."""
    return count >= least and count >= share * out_of


def webdriver(row: Row) -> Finding | None:
    if row["webdriver"] != 1.0:
        return None
    return Finding("webdriver", 1.0, "the browser reports that automation controls it (navigator.webdriver)")


def _touch(row: Row) -> bool:
    """The browser reports touch, or the samples carry a finger's contact radius (a collector
    may send no browser facts)."""
    return row["touch_supported"] == 1.0 or row["touch_event_count"] > 0.0


def clicks_off_path(row: Row) -> Finding | None:
    # A tap lands where the finger comes down, with no pointer path leading there.
    off, clicks = row["click_off_path"], row["click_count"]
    if _touch(row) or not _pattern(off, clicks, OFF_PATH_CLICKS, OFF_PATH_SHARE):
        return None
    return Finding("click_off_path", off, f"{_count(off)} of {_count(clicks)} clicks were not where the pointer was "
                                          f"(over 10 px from its path at the time)")


def click_jumps(row: Row) -> Finding | None:
    # A finger taps at new places without moving a pointer between the taps.
    jumps, clicks = row["click_jump"], row["click_count"]
    if _touch(row) or not _pattern(jumps, clicks, JUMP_CLICKS, JUMP_CLICK_SHARE):
        return None
    return Finding("click_jump", jumps, f"{_count(jumps)} clicks at a new place with no pointer move before them")


def pointer_jumps(row: Row) -> Finding | None:
    # A tap on a touch screen puts one sample where the finger lands.
    lone, samples = row["pointer_jump"], row["mouse_points"]
    if _touch(row) or not _pattern(lone, samples, JUMP_SAMPLES, JUMP_SHARE):
        return None
    return Finding("pointer_jump", lone, f"{_count(lone)} of {_count(samples)} pointer samples appear far from the last "
                                         f"with no path between: the pointer jumps")


def time_disorder(row: Row) -> Finding | None:
    disorder = row["time_disorder"]
    if disorder < DISORDERED_SAMPLES:
        return None
    return Finding("time_disorder", disorder,
                   f"{_count(disorder)} pointer samples are time-stamped before the sample delivered before them")


def off_screen(row: Row) -> Finding | None:
    # screen_valid is 0.0 in a row when no browser reported a screen.
    width = row["screen_width"]
    if row["screen_valid"] != 1.0 or row["mouse_points"] + row["click_count"] == 0:
        return None
    far = row["place_x_max"]
    if _touch(row):
        # A phone's browser may report its upright width when it is turned on its side.
        width *= TURNED_SCREEN
    if far > width + SCREEN_SLACK_PX:
        return Finding("place_x_max", far, f"a pointer position at x = {far:g} px, beyond the {width:g} px wide screen")
    low = row["place_min"]
    if low < -width - SCREEN_SLACK_PX:  # a drag may leave the window, never the screen
        return Finding("place_min", low, f"a pointer position at {low:g} px, beyond the screen")
    return None


def abrupt_stops(row: Row) -> Finding | None:
    # A finger may lift off a touch screen in full flight; a pointer stops.
    ratio = row["end_speed_ratio"]
    if _touch(row) or row["mouse_points"] < ABRUPT_SAMPLES or ratio < ABRUPT_END_RATIO:
        return None
    return Finding("end_speed_ratio", ratio, f"movements end at {100 * ratio:.0f} % of their top speed on average: "
                                             f"a hand slows down before it stops")


CHECKS: Final[tuple[Callable[[Row], Finding | None], ...]] = (
    webdriver, clicks_off_path, click_jumps, pointer_jumps, time_disorder, off_screen, abrupt_stops)


def findings(row: Row) -> list[Finding]:
    """Every check that fires on the row."""
    return [f for f in (check(row) for check in CHECKS) if f is not None]


def thin(row: Row) -> Finding | None:
    """Too little pointer data to judge motion by."""
    samples = row["mouse_points"]
    if samples >= MIN_POINTER_SAMPLES:
        return None
    return Finding("mouse_points", samples, f"{_count(samples)} pointer samples: too few to judge")
