#include "features/feature_record.hpp"

#include <vector>

#include "curvature/curvature.hpp"
#include "keystrokes/analysis.hpp"
#include "features/motion_track.hpp"
#include "features/movement.hpp"
#include "features/touch.hpp"
#include "features/twiddle_table.hpp"

namespace velmora::features {

namespace {

void fill_environment(const ParsedTelemetry& in, FeatureRecord& out) {
    out.click_count = in.click_count;
    out.scroll_count = in.scroll_count;
    out.webdriver = in.browser.webdriver;
    out.screen_valid = in.browser.screen_valid;
    out.touch_supported = in.browser.touch_supported;
    out.screen_width = in.browser.screen_width;
    out.max_touch_points = in.browser.max_touch_points;
    out.plugins_length = in.browser.plugins_length;
}

void fill_touch(const TouchStats& touch, FeatureRecord& out) {
    out.avg_touch_radius = touch.avg_touch_radius;
    out.touch_radius_var = touch.touch_radius_var;
    out.avg_touch_force = touch.avg_touch_force;
    out.touch_event_count = touch.touch_event_count;
}

// Without events the record keeps its defaults; in particular the digraph entropy
// stays at the neutral 0.5 rather than the analysis' 0.0 for an empty sequence.
void fill_keystrokes(const ParsedTelemetry& in, FeatureRecord& out) {
    if (in.events.empty()) return;
    const keystrokes::KeystrokeReport k = keystrokes::analyze_keystrokes(in.events);
    out.key_count = k.key_count;
    out.avg_dwell_time = k.avg_dwell_time;
    out.dwell_time_var = k.dwell_time_var;
    out.avg_flight_time = k.avg_flight_time;
    out.flight_time_var = k.flight_time_var;
    out.digraph_entropy = k.digraph_entropy;
    out.keystroke_score = k.keystroke_score;
    out.key_interval_avg = k.avg_flight_time;
    out.key_interval_var = k.flight_time_var;
}

void fill_curvature(const MotionTrack& track, FeatureRecord& out) {
    if (track.size() < curvature::kMinCurvatureSamples) return;
    const std::size_t m = track.size();
    std::vector<double> columns(3 * m);
    const std::span<double> x(columns.data(), m), y(columns.data() + m, m), t(columns.data() + 2 * m, m);
    for (std::size_t i = 0; i < m; ++i) {
        x[i] = track[i].x;
        y[i] = track[i].y;
        t[i] = track[i].t;
    }
    const curvature::CurvatureReport c = curvature::evaluate_curvature(x, y, t);
    out.curvature_score = c.curvature_score;
    out.mean_curvature = c.mean_curvature;
    out.curvature_var = c.curvature_var;
    out.curvature_rate_var = c.curvature_rate_var;
}

void fill_movement(const MovementFeatures& m, FeatureRecord& out) {
    out.total_distance = m.total_distance;
    out.straightness = m.straightness;
    out.avg_velocity = m.avg_velocity;
    out.max_velocity = m.max_velocity;
    out.velocity_var = m.velocity_var;
    out.avg_acceleration = m.avg_acceleration;
    out.acceleration_var = m.acceleration_var;
    out.avg_jerk = m.avg_jerk;
    out.dt_var = m.dt_var;
    out.terminal_decel_ratio = m.terminal_decel_ratio;
    out.submovement_count = m.submovement_count;
    out.spectral_purity = m.spectral.spectral_purity;
    out.spectral_entropy = m.spectral.spectral_entropy;
}

}  // namespace

FeatureRecord build_feature_record(const ParsedTelemetry& telemetry) {
    return build_feature_record(telemetry, twiddle_cache());
}

FeatureRecord build_feature_record(const ParsedTelemetry& telemetry, TwiddleCache& cache) {
    FeatureRecord record;
    record.mouse_points = telemetry.points.size();
    fill_environment(telemetry, record);
    fill_touch(touch_stats(telemetry.points), record);
    fill_keystrokes(telemetry, record);
    const MotionTrack track = build_motion_track(telemetry.points);
    fill_curvature(track, record);
    fill_movement(movement_features(track, cache), record);
    return record;
}

}  // namespace velmora::features
