// The whole row a detector reads for one session: the 39 fields of the feature record, then
// the behaviour feature values, as doubles (flags 0.0 and 1.0, counts and integers as the
// nearest double, as Python's float() of them).
//
// A session is read once for both parts: the behaviour session takes what the core
// telemetry reading already holds (the movement samples, the first key presses), read by
// the same rules, and only the rest is read for it (see session_row_py.cpp).
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "behaviour/behaviour_session.hpp"
#include "behaviour/feature_names.hpp"
#include "features/feature_record.hpp"
#include "features/feature_table.hpp"
#include "features/telemetry.hpp"
#include "features/twiddle_table.hpp"

namespace velmora::session_row {

inline constexpr std::size_t kRowLength = features::kFeatureCount + behaviour::kFeatureCount;
using Row = std::array<double, kRowLength>;

Row row_of(const features::FeatureRecord& record, const behaviour::FeatureValues& behaviour);

// Both parts computed: the record with spectrum tables from `tables`, the behaviour values.
// One value differs from row_of(record, ...): screen_valid is 0.0 when the telemetry had no
// browser dict (the record's default screen was not reported).
Row session_row(const features::ParsedTelemetry& telemetry, const behaviour::BehaviourSession& session,
                features::TwiddleCache& tables);

// The behaviour session's pointer samples from the core reading's movement samples: both
// keep an item when its x, y and t are finite, in input order. Exact only when the core
// reading examined no more than kMaxPointer items (it examines every one).
void pointer_from_points(std::span<const features::MousePoint> points, std::vector<behaviour::PointerSample>& pointer);

// The key timings of the items the core reading examined (the first kMaxKeystrokeItems):
// both take the press from "t", "down", "time" and the release from "up", else the press
// plus "duration_ms"; an absent release is NaN here.
void keys_from_events(std::span<const keystrokes::KeystrokeEvent> events, std::vector<behaviour::KeyTiming>& keys);

}  // namespace velmora::session_row
