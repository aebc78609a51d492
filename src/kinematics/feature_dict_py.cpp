#include "kinematics/feature_dict_py.hpp"

#include "results.hpp"

namespace velmora::py {

// Keys are inserted in this fixed order, which callers rely on.
PyObject* new_feature_dict(const kinematics::FeatureRecord& r) {
    DictBuilder d;
    d.add(VELMORA_KEY("mouse_points"), new_u64(r.mouse_points))
        .add(VELMORA_KEY("total_distance"), new_float(r.total_distance))
        .add(VELMORA_KEY("straightness"), new_float(r.straightness))
        .add(VELMORA_KEY("avg_velocity"), new_float(r.avg_velocity))
        .add(VELMORA_KEY("max_velocity"), new_float(r.max_velocity))
        .add(VELMORA_KEY("velocity_var"), new_float(r.velocity_var))
        .add(VELMORA_KEY("avg_acceleration"), new_float(r.avg_acceleration))
        .add(VELMORA_KEY("acceleration_var"), new_float(r.acceleration_var))
        .add(VELMORA_KEY("avg_jerk"), new_float(r.avg_jerk))
        .add(VELMORA_KEY("dt_var"), new_float(r.dt_var))
        .add(VELMORA_KEY("click_count"), new_u64(r.click_count))
        .add(VELMORA_KEY("key_count"), new_u64(r.key_count))
        .add(VELMORA_KEY("key_interval_avg"), new_float(r.key_interval_avg))
        .add(VELMORA_KEY("key_interval_var"), new_float(r.key_interval_var))
        .add(VELMORA_KEY("webdriver"), new_bool(r.webdriver))
        .add(VELMORA_KEY("screen_valid"), new_bool(r.screen_valid))
        .add(VELMORA_KEY("scroll_count"), new_u64(r.scroll_count))
        .add(VELMORA_KEY("terminal_decel_ratio"), new_float(r.terminal_decel_ratio))
        .add(VELMORA_KEY("plugins_length"), new_i64(r.plugins_length))
        .add(VELMORA_KEY("touch_supported"), new_bool(r.touch_supported))
        .add(VELMORA_KEY("screen_width"), new_float(r.screen_width))
        .add(VELMORA_KEY("spectral_purity"), new_float(r.spectral_purity))
        .add(VELMORA_KEY("spectral_entropy"), new_float(r.spectral_entropy))
        .add(VELMORA_KEY("submovement_count"), new_u64(r.submovement_count))
        .add(VELMORA_KEY("max_touch_points"), new_i64(r.max_touch_points))
        .add(VELMORA_KEY("avg_touch_radius"), new_float(r.avg_touch_radius))
        .add(VELMORA_KEY("touch_radius_var"), new_float(r.touch_radius_var))
        .add(VELMORA_KEY("avg_touch_force"), new_float(r.avg_touch_force))
        .add(VELMORA_KEY("touch_event_count"), new_u64(r.touch_event_count))
        .add(VELMORA_KEY("curvature_score"), new_float(r.curvature_score))
        .add(VELMORA_KEY("mean_curvature"), new_float(r.mean_curvature))
        .add(VELMORA_KEY("curvature_var"), new_float(r.curvature_var))
        .add(VELMORA_KEY("curvature_rate_var"), new_float(r.curvature_rate_var))
        .add(VELMORA_KEY("avg_dwell_time"), new_float(r.avg_dwell_time))
        .add(VELMORA_KEY("dwell_time_var"), new_float(r.dwell_time_var))
        .add(VELMORA_KEY("avg_flight_time"), new_float(r.avg_flight_time))
        .add(VELMORA_KEY("flight_time_var"), new_float(r.flight_time_var))
        .add(VELMORA_KEY("digraph_entropy"), new_float(r.digraph_entropy))
        .add(VELMORA_KEY("keystroke_score"), new_float(r.keystroke_score));
    return d.finish();
}

}  // namespace velmora::py
