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
FEATURE_SET_VERSION: Final = 6
NAMES: Final[tuple[str, ...]] = FEATURE_NAMES + BEHAVIOUR_FEATURE_NAMES


def feature_row(telemetry: Telemetry, record: FeatureRecord | None = None) -> tuple[float, ...]:
    """Every feature of one session as a float, in NAMES order (flags as 0.0 and 1.0).

    The session is read once for both feature sets. record, when given, is
    extract_features_rs(telemetry), computed already by the caller; only the behaviour
    features are computed then.
    """
    if record is None:
        return _native.session_row(telemetry)
    return row_of(record, _native.behaviour_feature_values(telemetry))


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
