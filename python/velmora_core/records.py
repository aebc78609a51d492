"""Typed records of what the extension reads and returns.

Input records (``Telemetry`` and the records inside it) have every key optional, because
the extension reads them leniently: a missing or unreadable value takes its default, an
unusable record is skipped, and nothing in the content raises. Result records always
carry every key, in the order listed here (the order of the returned dict).

Units, meanings and the value of every field when data is missing are in
``docs/telemetry.md`` (inputs) and ``docs/features.md`` (the feature record).
"""

from collections.abc import Iterator
from typing import Any, Final, Literal, Protocol, SupportsFloat, SupportsIndex, TypedDict, get_args

from velmora_core.state.base import StateEngineStats

__all__ = [
    "FEATURE_NAMES", "BanEntry", "BrowserFacts", "CurvatureReport", "FeatureName", "FeatureRecord",
    "FloatSequence", "KeystrokeRecord", "KeystrokeReport", "KeystrokeTuple",
    "MouseSample", "Number", "StateEngineStats", "Telemetry",
]

# What the extension's float conversion takes: float, int, bool, and any object with
# __float__ or __index__ (a str is never a number).
type Number = SupportsFloat | SupportsIndex


class FloatSequence(Protocol):
    """What the curvature functions read: an indexable, iterable run of numbers.

    Lists, tuples, ``range``, ``bytes``, ``bytearray``, ``array.array`` and NumPy arrays
    qualify; a ``str``, a ``set``, a generator or an iterator does not.
    """

    def __getitem__(self, index: int, /) -> Number: ...
    def __iter__(self) -> Iterator[Number]: ...


# --- Telemetry, the input of extract_features_rs -------------------------------------


class BrowserFacts(TypedDict, total=False):
    """Facts about the client's browser and screen (``Telemetry["browser"]``)."""

    webdriver: bool
    screen_width: Number
    screen_height: Number
    touch_supported: bool
    max_touch_points: SupportsIndex
    plugins_length: SupportsIndex


class MouseSample(TypedDict, total=False):
    """One pointer sample; kept only when ``x``, ``y`` and ``t`` are finite numbers."""

    x: Number
    y: Number
    t: Number
    r: Number
    f: Number


class KeystrokeRecord(TypedDict, total=False):
    """One key press as a dict; the down time is the first finite one of its time keys."""

    key: str
    down: Number
    t: Number
    time: Number
    up: Number
    duration_ms: Number
    type: str


class Telemetry(TypedDict, total=False):
    """One session's behavioural telemetry; other keys are ignored."""

    browser: BrowserFacts
    clicks: list[Any]
    scrolls: list[Any]
    keystrokes: list[KeystrokeRecord]
    mouse_movements: list[MouseSample]


# (key, down_ms, up_ms or None): the tuple form of evaluate_keystroke_dynamics_rs.
type KeystrokeTuple = tuple[str, Number, Number | None]
# (address, absolute expiry in Unix seconds): one item of hydrate_bans_rs's sequence.
type BanEntry = tuple[str, SupportsIndex]


# --- Results -------------------------------------------------------------------------


class FeatureRecord(TypedDict):
    """The 39 features of one telemetry session (``extract_features_rs``)."""

    mouse_points: int
    total_distance: float
    straightness: float
    avg_velocity: float
    max_velocity: float
    velocity_var: float
    avg_acceleration: float
    acceleration_var: float
    avg_jerk: float
    dt_var: float
    click_count: int
    key_count: int
    key_interval_avg: float
    key_interval_var: float
    webdriver: bool
    screen_valid: bool
    scroll_count: int
    terminal_decel_ratio: float
    plugins_length: int
    touch_supported: bool
    screen_width: float
    spectral_purity: float
    spectral_entropy: float
    submovement_count: int
    max_touch_points: int
    avg_touch_radius: float
    touch_radius_var: float
    avg_touch_force: float
    touch_event_count: int
    curvature_score: float
    mean_curvature: float
    curvature_var: float
    curvature_rate_var: float
    avg_dwell_time: float
    dwell_time_var: float
    avg_flight_time: float
    flight_time_var: float
    digraph_entropy: float
    keystroke_score: float


class CurvatureReport(TypedDict):
    """How a pointer path bends (the two ``evaluate_curvature_*_rs`` functions)."""

    curvature_score: float
    mean_curvature: float
    curvature_var: float
    curvature_rate_var: float


class KeystrokeReport(TypedDict):
    """Key-press timing (``evaluate_keystroke_dynamics_rs``); times in milliseconds."""

    key_count: int
    avg_dwell_time: float
    dwell_time_var: float
    avg_flight_time: float
    flight_time_var: float
    digraph_entropy: float
    keystroke_score: float


# The keys of extract_features_rs's result, in the order they are inserted (the extension's
# feature table; tests/test_records.py holds every copy of the names to it).
type FeatureName = Literal[
    "mouse_points", "total_distance", "straightness", "avg_velocity", "max_velocity",
    "velocity_var", "avg_acceleration", "acceleration_var", "avg_jerk", "dt_var",
    "click_count", "key_count", "key_interval_avg", "key_interval_var", "webdriver",
    "screen_valid", "scroll_count", "terminal_decel_ratio", "plugins_length",
    "touch_supported", "screen_width", "spectral_purity", "spectral_entropy",
    "submovement_count", "max_touch_points", "avg_touch_radius", "touch_radius_var",
    "avg_touch_force", "touch_event_count", "curvature_score", "mean_curvature",
    "curvature_var", "curvature_rate_var", "avg_dwell_time", "dwell_time_var",
    "avg_flight_time", "flight_time_var", "digraph_entropy", "keystroke_score",
]
# Typed as the literals, so that `record[name] for name in FEATURE_NAMES` type-checks.
FEATURE_NAMES: Final[tuple[FeatureName, ...]] = get_args(FeatureName.__value__)
