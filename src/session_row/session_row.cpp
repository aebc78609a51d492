#include "session_row/session_row.hpp"

#include <cmath>

#include "behaviour/behaviour_features.hpp"

namespace velmora::session_row {

namespace {

double as_double(bool v) { return v ? 1.0 : 0.0; }
double as_double(double v) { return v; }
double as_double(std::uint64_t v) { return static_cast<double>(v); }
double as_double(std::int64_t v) { return static_cast<double>(v); }

}  // namespace

Row row_of(const features::FeatureRecord& record, const behaviour::FeatureValues& behaviour) {
    Row row{};
    std::size_t at = 0;
#define VELMORA_ROW_ENTRY(name, ...) row[at++] = as_double(record.name);
    VELMORA_FEATURES(VELMORA_ROW_ENTRY)
#undef VELMORA_ROW_ENTRY
    for (const double v : behaviour) row[at++] = v;
    return row;
}

Row session_row(const features::ParsedTelemetry& telemetry, const behaviour::BehaviourSession& session,
                features::TwiddleCache& tables) {
    Row row = row_of(features::build_feature_record(telemetry, tables), behaviour::compute_behaviour_features(session));
    // Without a browser dict the record holds a default 1024 x 768 screen; the checks must
    // not hold a person's pointer to a screen nobody reported.
    if (!telemetry.browser.reported) row[static_cast<std::size_t>(features::FeatureId::screen_valid)] = 0.0;
    return row;
}

void pointer_from_points(std::span<const features::MousePoint> points, std::vector<behaviour::PointerSample>& pointer) {
    pointer.reserve(pointer.size() + points.size());
    for (const features::MousePoint& p : points) pointer.push_back({p.x, p.y, p.t});
}

void keys_from_events(std::span<const keystrokes::KeystrokeEvent> events, std::vector<behaviour::KeyTiming>& keys) {
    keys.reserve(keys.size() + events.size());
    for (const keystrokes::KeystrokeEvent& e : events) keys.push_back(behaviour::key_timing(e));
}

}  // namespace velmora::session_row
