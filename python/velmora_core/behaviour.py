"""Behaviour features: how the pointer moves and keys are timed, computed natively.

They describe what a person cannot help doing (the shape of each movement's speed
profile, corrections near a click target, sensor noise, the timing structure of typing)
and never the browser, which keys were typed, or when and where the session clicks,
pauses or scrolls. Every value is a finite float; the meaning, unit and value without
data of each are in ``docs/behaviour-features.md``.
"""

from collections.abc import Mapping
from typing import Final

from velmora_core import _native

__all__ = ["BEHAVIOUR_FEATURE_NAMES", "behaviour_feature_values", "behaviour_features"]

# The names in their fixed order, from the native table that also orders the values.
BEHAVIOUR_FEATURE_NAMES: Final[tuple[str, ...]] = _native.behaviour_feature_names()


def behaviour_features(telemetry: Mapping[str, object]) -> dict[str, float]:
    """The behaviour features of one telemetry dict, keyed by name in the fixed order.

    The telemetry is read leniently, as ``extract_features_rs`` reads it: unreadable
    values are skipped and nothing in the content raises; a non-dict reads as empty.
    """
    return _native.behaviour_features(telemetry)


def behaviour_feature_values(telemetry: Mapping[str, object]) -> list[float]:
    """The same values as a list in the order of ``BEHAVIOUR_FEATURE_NAMES`` (cheaper)."""
    return _native.behaviour_feature_values(telemetry)
