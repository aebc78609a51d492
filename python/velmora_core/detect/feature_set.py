"""The features a model reads: their names, in row order, and the version of their computation.

A model file records both; a model fitted on another feature set is refused, since its
trees would read the wrong column or a value computed differently.
"""

from collections.abc import Mapping, Sequence
from typing import Final, cast

from velmora_core import _native
from velmora_core.behaviour import BEHAVIOUR_FEATURE_NAMES
from velmora_core.ingest import JsonText
from velmora_core.records import FEATURE_NAMES, FeatureRecord, Telemetry

FEATURE_SET: Final = "velmora-session-features"
# Raised whenever a feature is added, removed, reordered or computed differently.
FEATURE_SET_VERSION: Final = 9
NAMES: Final[tuple[str, ...]] = FEATURE_NAMES + BEHAVIOUR_FEATURE_NAMES
# Features the trees never split on and the familiar ranges leave out. They stay in the row
# (the model file keeps one fixed layout); the fit sees them as constant.
# - browser facts, how many samples, clicks, keys and scrolls a session has, and the two
#   typing figures that read which keys were typed or only set careless scripted typing
#   apart: a careful bot copies all of these from a real session, so a model leaning on
#   them learns only about careless bots;
# - how far a session lies from the built-in people: unlike people is not evidence of a bot
#   (the familiar ranges make such sessions "unsure" instead);
# - positions and the consistency counts: the checks judge those by rule;
# - the features the familiar ceilings judge (familiarity.CEILINGS).
NOT_FITTED: Final = frozenset({
    "webdriver", "screen_valid", "plugins_length", "touch_supported", "screen_width", "max_touch_points",
    "avg_touch_radius", "touch_radius_var", "avg_touch_force", "touch_event_count",
    "click_count", "key_count", "scroll_count", "mouse_points", "digraph_entropy", "keystroke_score",
    "human_distance", "human_range_excess",
    "click_off_path", "click_jump", "pointer_jump", "time_disorder", "place_x_max", "place_y_max", "place_min",
    "dt_stroke_divergence"})


_SCREEN_VALID: Final = NAMES.index("screen_valid")


def feature_row(telemetry: Telemetry, record: FeatureRecord | None = None) -> tuple[float, ...]:
    """Every feature of one session as a float, in NAMES order (flags as 0.0 and 1.0).

    The session is read once for both feature sets. record, when given, is
    extract_features_rs(telemetry), computed already by the caller; only the behaviour
    features are computed then.

    One value differs from the record: screen_valid is 0.0 when the telemetry has no
    browser dict. The record then holds a default 1024 x 768 screen, which no browser
    reported, and a person's pointer must not be held to it.
    """
    if record is None:
        return _native.session_row(telemetry)
    row = row_of(record, _native.behaviour_feature_values(telemetry))
    # Read as the native reader reads it: a dict subclass's own get() is not called.
    facts = dict.get(cast(dict[str, object], telemetry), "browser") if isinstance(telemetry, dict) else None
    if isinstance(facts, dict):
        return row
    return (*row[:_SCREEN_VALID], 0.0, *row[_SCREEN_VALID + 1:])


def row_of(record: Mapping[str, object], behaviour: Sequence[float]) -> tuple[float, ...]:
    """The row of a session's extract_features_rs record and its behaviour feature values."""
    # The record's values are bools, ints and floats, all read by the trees as floats.
    return (*cast(list[float], list(record.values())), *behaviour)


def feature_row_json(data: JsonText, member: str | None = None) -> tuple[float, ...] | None:
    """feature_row of the JSON object in data (or its member), read straight from the text.

    None when the native reader leaves the text to json.loads (the caller then parses it)
    or when the telemetry is not a JSON object.
    """
    return _native.session_row_json(data, member)
