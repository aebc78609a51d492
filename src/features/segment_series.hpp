// Per-segment distances, time steps and speeds of a motion track.
#pragma once

#include <span>
#include <vector>

#include "features/telemetry.hpp"

namespace velmora::features {

// Segment j joins track points j and j + 1; each list has (points - 1) entries. The three
// lists share one allocation.
struct SegmentSeries {
    std::vector<double> storage;
    std::span<const double> dist;
    std::span<const double> step;
    std::span<const double> speed;

    std::size_t size() const { return speed.size(); }
};

SegmentSeries build_segment_series(std::span<const MousePoint> track);

}  // namespace velmora::features
