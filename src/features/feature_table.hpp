// Every feature of the record, in record order: the one list from which the record's
// fields, its Python dict, the golden outputs and the floor benchmark take their names,
// types and order, and against which the Python layer's names, typed records, legends and
// docs/features.md are checked (velmora_core._native.feature_table()).
//
//   X(name, C++ type, value without data, unit, title, meaning, origin, rounding)
//
// title: the short name legends and verdict reasons show; meaning: the full description.
//
// origin: the reading or analysis that produces the value. rounding: `exact` values have
// the same bits on every target; `libm` values pass through the C library's sin, cos or
// log2 and agree across C libraries only to within a few units in the last place.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

// clang-format off
#define VELMORA_FEATURES(X) \
    X(mouse_points, std::uint64_t, 0, "samples", \
      "mouse samples with finite x, y and t", \
      "mouse samples read (finite `x`, `y`, `t`), before the limit of 300", telemetry, exact) \
    X(total_distance, double, 0.0, "px", \
      "path length of the first 300 samples", \
      "length of the pointer path", movement, exact) \
    X(straightness, double, 1.0, "ratio, 0 to 1", \
      "straightness: end-to-end distance / path length", \
      "distance from first to last sample divided by the path length (1.0 for a path shorter than 0.0001)", movement, exact) \
    X(avg_velocity, double, 0.0, "px/ms", \
      "mean pointer speed", \
      "mean speed over the segments between consecutive samples (time steps below 0.1 count as 0.1)", movement, exact) \
    X(max_velocity, double, 0.0, "px/ms", \
      "peak pointer speed", \
      "highest segment speed", movement, exact) \
    X(velocity_var, double, 0.0, "(px/ms)²", \
      "variance of the pointer speed", \
      "variance of the segment speeds", movement, exact) \
    X(avg_acceleration, double, 0.0, "px/ms²", \
      "mean acceleration", \
      "mean change of speed per time step (signed)", movement, exact) \
    X(acceleration_var, double, 0.0, "(px/ms²)²", \
      "variance of the acceleration", \
      "variance of the accelerations", movement, exact) \
    X(avg_jerk, double, 0.0, "px/ms³", \
      "mean absolute jerk", \
      "mean absolute change of acceleration per time step", movement, exact) \
    X(dt_var, double, 0.0, "ms²", \
      "variance of the time between mouse samples", \
      "variance of the time steps between samples", movement, exact) \
    X(click_count, std::uint64_t, 0, "clicks", \
      "clicks", \
      "length of the `clicks` list", telemetry, exact) \
    X(key_count, std::uint64_t, 0, "keys", \
      "keystrokes analysed (at most 150)", \
      "keystroke records read", keystrokes, exact) \
    X(key_interval_avg, double, 0.0, "ms", \
      "mean key interval (same as mean flight time)", \
      "the same value as `avg_flight_time`", keystrokes, exact) \
    X(key_interval_var, double, 0.0, "ms²", \
      "variance of the key interval (same as flight time variance)", \
      "the same value as `flight_time_var`", keystrokes, exact) \
    X(webdriver, bool, false, "flag", \
      "browser reports navigator.webdriver", \
      "the browser reported automation (`navigator.webdriver`)", browser, exact) \
    X(screen_valid, bool, true, "flag", \
      "screen width and height both positive", \
      "the screen's width and height are both positive", browser, exact) \
    X(scroll_count, std::uint64_t, 0, "scrolls", \
      "scroll events", \
      "length of the `scrolls` list", telemetry, exact) \
    X(terminal_decel_ratio, double, 1.0, "ratio", \
      "terminal deceleration: last-quarter mean speed / peak speed", \
      "mean speed over the last quarter of the segments divided by the highest speed (low: the pointer slows down before it stops)", movement, exact) \
    X(plugins_length, std::int64_t, 1, "plugins", \
      "browser plugins reported", \
      "number of browser plugins as reported (negative values pass through)", browser, exact) \
    X(touch_supported, bool, false, "flag", \
      "browser reports touch support", \
      "the browser reported touch support", browser, exact) \
    X(screen_width, double, 1024.0, "px", \
      "screen width", \
      "screen width as reported", browser, exact) \
    X(spectral_purity, double, 0.0, "ratio, 0 to 1", \
      "speed spectrum purity: share of the strongest frequency", \
      "share of the strongest frequency in the power spectrum of the speed series (high: one regular rhythm)", spectrum, libm) \
    X(spectral_entropy, double, 1.0, "ratio, 0 to 1", \
      "speed spectrum entropy, normalised", \
      "entropy of that spectrum divided by its maximum (low: power in few frequencies)", spectrum, libm) \
    X(submovement_count, std::uint64_t, 0, "peaks", \
      "submovements: peaks of the speed profile", \
      "strict local speed peaks of at least 15 % of the highest speed (at least 1 when the pointer moved)", movement, exact) \
    X(max_touch_points, std::int64_t, 0, "contacts", \
      "touch points the device supports", \
      "simultaneous touch contacts the browser reports (negative values pass through)", browser, exact) \
    X(avg_touch_radius, double, 0.0, "px", \
      "mean touch radius", \
      "mean contact radius of the samples with a positive radius `r`", touch, exact) \
    X(touch_radius_var, double, 0.0, "px²", \
      "variance of the touch radius", \
      "variance of those radii", touch, exact) \
    X(avg_touch_force, double, 0.0, "force (0 to 1 in browsers)", \
      "mean touch force", \
      "mean force of the samples with a positive force `f`", touch, exact) \
    X(touch_event_count, std::uint64_t, 0, "samples", \
      "samples with a touch radius", \
      "samples with a positive radius", touch, exact) \
    X(curvature_score, double, 0.0, "score", \
      "curvature score: 0.95 straight, 0.9 constant, 0.85 extreme, 0.75 mostly curved, 0.1 other", \
      "0.95 straight path, 0.9 constant curvature, 0.85 extremely varying, 0.75 mostly sharply curved, 0.1 otherwise", curvature, exact) \
    X(mean_curvature, double, 0.0, "1/px", \
      "mean path curvature", \
      "mean curvature of the path", curvature, exact) \
    X(curvature_var, double, 0.0, "1/px²", \
      "variance of the path curvature", \
      "variance of the curvature", curvature, exact) \
    X(curvature_rate_var, double, 0.0, "1/(px·ms)²", \
      "variance of the curvature's rate of change", \
      "variance of the curvature's rate of change", curvature, exact) \
    X(avg_dwell_time, double, 0.0, "ms", \
      "mean key hold (dwell) time", \
      "mean time a key is held (dwell times between 0 and 5000 ms, exclusive)", keystrokes, exact) \
    X(dwell_time_var, double, 0.0, "ms²", \
      "variance of the key hold time", \
      "variance of the dwell times", keystrokes, exact) \
    X(avg_flight_time, double, 0.0, "ms", \
      "mean flight time: key release to next press", \
      "mean time from releasing a key to pressing the next (between -500 and 5000 ms, exclusive)", keystrokes, exact) \
    X(flight_time_var, double, 0.0, "ms²", \
      "variance of the flight time", \
      "variance of the flight times", keystrokes, exact) \
    X(digraph_entropy, double, 0.5, "ratio, 0 to 1", \
      "entropy of the flight times over 100 ms bins, normalised", \
      "entropy of the flight times from 0 to 800 ms over eight 100 ms bins, divided by 3 (0.5 with fewer than 4 such flights)", keystrokes, libm) \
    X(keystroke_score, double, 0.0, "score, 0 to 1", \
      "keystroke automation score: 1 = automated typing", \
      "how automated the typing looks: very fast, very regular, narrowly bunched or almost evenly spread timing raises it, as do common letter pairs typed no faster than other pairs (0.0 with fewer than 3 keys)", keystrokes, exact)
// clang-format on

namespace velmora::features {

enum class FeatureOrigin : std::uint8_t { telemetry, browser, movement, spectrum, touch, curvature, keystrokes };
enum class FeatureRounding : std::uint8_t { exact, libm };
// How the value is carried: a count (unsigned), a signed integer as the client sent it,
// a real number, or a flag.
enum class FeatureType : std::uint8_t { count, integer, real, flag };

template <class T>
consteval FeatureType feature_type_of() {
    if constexpr (std::is_same_v<T, bool>) return FeatureType::flag;
    else if constexpr (std::is_same_v<T, double>) return FeatureType::real;
    else if constexpr (std::is_same_v<T, std::uint64_t>) return FeatureType::count;
    else {
        static_assert(std::is_same_v<T, std::int64_t>, "a feature is a count, an integer, a real or a flag");
        return FeatureType::integer;
    }
}

struct FeatureInfo {
    const char* name;
    FeatureType type;
    const char* unit;
    const char* title;
    const char* meaning;
    FeatureOrigin origin;
    FeatureRounding rounding;
};

#define VELMORA_FEATURE_INFO(name, type, none, unit, title, meaning, origin, rounding) \
    FeatureInfo{#name, feature_type_of<type>(), unit, title, meaning, FeatureOrigin::origin, FeatureRounding::rounding},
inline constexpr FeatureInfo kFeatureTable[] = {VELMORA_FEATURES(VELMORA_FEATURE_INFO)};
#undef VELMORA_FEATURE_INFO

inline constexpr std::size_t kFeatureCount = std::size(kFeatureTable);

// A feature's position in the record.
#define VELMORA_FEATURE_ID(name, ...) name,
enum class FeatureId : std::size_t { VELMORA_FEATURES(VELMORA_FEATURE_ID) };
#undef VELMORA_FEATURE_ID

constexpr const FeatureInfo& feature_info(FeatureId id) { return kFeatureTable[static_cast<std::size_t>(id)]; }

}  // namespace velmora::features
