"""What each feature of the record means, for legends, reports and column docs.

Units assume browser telemetry: positions in CSS pixels (px) and times in milliseconds (ms).
The extension itself works in whatever units the client sent.
"""

from dataclasses import dataclass
from typing import Final

from velmora_core.records import FEATURE_NAMES


@dataclass(frozen=True)
class FeatureInfo:
    title: str  # the feature's full name, as a legend shows it
    unit: str  # as in docs/features.md: "samples", "px/ms", "ratio, 0 to 1", "flag", ...


FEATURE_INFO: Final[dict[str, FeatureInfo]] = {
    "mouse_points": FeatureInfo("mouse samples with finite x, y and t", "samples"),
    "total_distance": FeatureInfo("path length of the first 300 samples", "px"),
    "straightness": FeatureInfo("straightness: end-to-end distance / path length", "ratio, 0 to 1"),
    "avg_velocity": FeatureInfo("mean pointer speed", "px/ms"),
    "max_velocity": FeatureInfo("peak pointer speed", "px/ms"),
    "velocity_var": FeatureInfo("variance of the pointer speed", "(px/ms)²"),
    "avg_acceleration": FeatureInfo("mean acceleration", "px/ms²"),
    "acceleration_var": FeatureInfo("variance of the acceleration", "(px/ms²)²"),
    "avg_jerk": FeatureInfo("mean absolute jerk", "px/ms³"),
    "dt_var": FeatureInfo("variance of the time between mouse samples", "ms²"),
    "click_count": FeatureInfo("clicks", "clicks"),
    "key_count": FeatureInfo("keystrokes analysed (at most 150)", "keys"),
    "key_interval_avg": FeatureInfo("mean key interval (same as mean flight time)", "ms"),
    "key_interval_var": FeatureInfo("variance of the key interval (same as flight time variance)", "ms²"),
    "webdriver": FeatureInfo("browser reports navigator.webdriver", "flag"),
    "screen_valid": FeatureInfo("screen width and height both positive", "flag"),
    "scroll_count": FeatureInfo("scroll events", "scrolls"),
    "terminal_decel_ratio": FeatureInfo("terminal deceleration: last-quarter mean speed / peak speed", "ratio"),
    "plugins_length": FeatureInfo("browser plugins reported", "plugins"),
    "touch_supported": FeatureInfo("browser reports touch support", "flag"),
    "screen_width": FeatureInfo("screen width", "px"),
    "spectral_purity": FeatureInfo("speed spectrum purity: share of the strongest frequency", "ratio, 0 to 1"),
    "spectral_entropy": FeatureInfo("speed spectrum entropy, normalised", "ratio, 0 to 1"),
    "submovement_count": FeatureInfo("submovements: peaks of the speed profile", "peaks"),
    "max_touch_points": FeatureInfo("touch points the device supports", "contacts"),
    "avg_touch_radius": FeatureInfo("mean touch radius", "px"),
    "touch_radius_var": FeatureInfo("variance of the touch radius", "px²"),
    "avg_touch_force": FeatureInfo("mean touch force", "force (0 to 1 in browsers)"),
    "touch_event_count": FeatureInfo("samples with a touch radius", "samples"),
    "curvature_score": FeatureInfo(
        "curvature score: 0.95 straight, 0.9 constant, 0.85 extreme, 0.75 mostly curved, 0.1 other", "score"),
    "mean_curvature": FeatureInfo("mean path curvature", "1/px"),
    "curvature_var": FeatureInfo("variance of the path curvature", "1/px²"),
    "curvature_rate_var": FeatureInfo("variance of the curvature's rate of change", "1/(px·ms)²"),
    "avg_dwell_time": FeatureInfo("mean key hold (dwell) time", "ms"),
    "dwell_time_var": FeatureInfo("variance of the key hold time", "ms²"),
    "avg_flight_time": FeatureInfo("mean flight time: key release to next press", "ms"),
    "flight_time_var": FeatureInfo("variance of the flight time", "ms²"),
    "digraph_entropy": FeatureInfo("entropy of the flight times over 100 ms bins, normalised", "ratio, 0 to 1"),
    "keystroke_score": FeatureInfo("keystroke automation score: 1 = automated typing", "score, 0 to 1"),
}

assert tuple(FEATURE_INFO) == FEATURE_NAMES, "FEATURE_INFO must list every feature in record order"
