// The feature record of one telemetry: every field, in the order the record lists them.
#pragma once

#include <cstdint>

#include "kinematics/telemetry.hpp"

namespace velmora::kinematics {

// Defaults are the values reported when the data behind a field is missing.
struct FeatureRecord {
    std::uint64_t mouse_points = 0;
    double total_distance = 0.0;
    double straightness = 1.0;
    double avg_velocity = 0.0;
    double max_velocity = 0.0;
    double velocity_var = 0.0;
    double avg_acceleration = 0.0;
    double acceleration_var = 0.0;
    double avg_jerk = 0.0;
    double dt_var = 0.0;
    std::uint64_t click_count = 0;
    std::uint64_t key_count = 0;
    double key_interval_avg = 0.0;
    double key_interval_var = 0.0;
    bool webdriver = false;
    bool screen_valid = true;
    std::uint64_t scroll_count = 0;
    double terminal_decel_ratio = 1.0;
    std::int64_t plugins_length = 1;
    bool touch_supported = false;
    double screen_width = 1024.0;
    double spectral_purity = 0.0;
    double spectral_entropy = 1.0;
    std::uint64_t submovement_count = 0;
    std::int64_t max_touch_points = 0;
    double avg_touch_radius = 0.0;
    double touch_radius_var = 0.0;
    double avg_touch_force = 0.0;
    std::uint64_t touch_event_count = 0;
    double curvature_score = 0.0;
    double mean_curvature = 0.0;
    double curvature_var = 0.0;
    double curvature_rate_var = 0.0;
    double avg_dwell_time = 0.0;
    double dwell_time_var = 0.0;
    double avg_flight_time = 0.0;
    double flight_time_var = 0.0;
    double digraph_entropy = 0.5;
    double keystroke_score = 0.0;
};

// Runs every analysis on the parsed telemetry. Pure; never fails.
FeatureRecord build_feature_record(const ParsedTelemetry& telemetry);
// The same with spectrum tables from `cache` instead of the process-wide one (same bits).
class TwiddleCache;
FeatureRecord build_feature_record(const ParsedTelemetry& telemetry, TwiddleCache& cache);

}  // namespace velmora::kinematics
