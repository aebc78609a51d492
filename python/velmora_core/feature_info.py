"""What each feature of the record means, for legends, reports and column docs.

Built from the native feature table the record itself is built from (its titles and
units), so the two cannot drift apart. Units assume browser telemetry: positions in CSS
pixels (px) and times in milliseconds (ms). The extension itself works in whatever units
the client sent.
"""

from dataclasses import dataclass
from typing import Final

from velmora_core._native import feature_table


@dataclass(frozen=True)
class FeatureInfo:
    title: str  # the feature's full name, as a legend shows it
    unit: str  # as in docs/features.md: "samples", "px/ms", "ratio, 0 to 1", "flag", ...


FEATURE_INFO: Final[dict[str, FeatureInfo]] = {
    name: FeatureInfo(title, unit) for name, _type, _none, unit, title, *_ in feature_table()}
