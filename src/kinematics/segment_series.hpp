// Per-segment distances, time steps and speeds of a motion track.
#pragma once

#include <span>
#include <vector>

#include "kinematics/telemetry.hpp"

namespace velmora::kinematics {

// Floor for a segment's time step: equal or reversed timestamps never divide by zero.
inline constexpr double kMinTimeStep = 0.1;

// Segment j joins track points j and j + 1; each list has (points - 1) entries.
struct SegmentSeries {
    std::vector<double> dist;
    std::vector<double> step;
    std::vector<double> speed;
};

SegmentSeries build_segment_series(std::span<const MousePoint> track);

}  // namespace velmora::kinematics
