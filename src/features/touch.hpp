// Touch statistics over every admitted movement sample (not only the track).
#pragma once

#include <cstdint>
#include <span>

#include "features/telemetry.hpp"

namespace velmora::features {

struct TouchStats {
    double avg_touch_radius = 0.0;
    double touch_radius_var = 0.0;
    double avg_touch_force = 0.0;
    std::uint64_t touch_event_count = 0;  // samples with a positive radius
};

// Only positive radii and forces count (NaN, 0 and negatives are "not given").
TouchStats touch_stats(std::span<const MousePoint> points);

}  // namespace velmora::features
