"""Typed records of what the extension reads and returns."""

from typing import Final

# The keys of extract_features_rs's result, in the order they are inserted.
FEATURE_NAMES: Final[tuple[str, ...]] = (
    "mouse_points", "total_distance", "straightness", "avg_velocity", "max_velocity",
    "velocity_var", "avg_acceleration", "acceleration_var", "avg_jerk", "dt_var",
    "click_count", "key_count", "key_interval_avg", "key_interval_var", "webdriver",
    "screen_valid", "scroll_count", "terminal_decel_ratio", "plugins_length",
    "touch_supported", "screen_width", "spectral_purity", "spectral_entropy",
    "submovement_count", "max_touch_points", "avg_touch_radius", "touch_radius_var",
    "avg_touch_force", "touch_event_count", "curvature_score", "mean_curvature",
    "curvature_var", "curvature_rate_var", "avg_dwell_time", "dwell_time_var",
    "avg_flight_time", "flight_time_var", "digraph_entropy", "keystroke_score",
)
