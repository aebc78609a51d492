// Movement features of a motion track: path length and straightness, speed,
// acceleration and jerk statistics, timing regularity, terminal deceleration,
// submovements, and (through the spectrum) the rhythm of the speed profile.
#pragma once

#include <cstdint>
#include <span>

#include "features/spectrum.hpp"
#include "features/telemetry.hpp"

namespace velmora::features {

// Defaults are the values reported for a track of fewer than 3 points.
struct MovementFeatures {
    double total_distance = 0.0;
    double straightness = 1.0;
    double avg_velocity = 0.0;
    double max_velocity = 0.0;
    double velocity_var = 0.0;
    double avg_acceleration = 0.0;
    double acceleration_var = 0.0;
    double avg_jerk = 0.0;
    double dt_var = 0.0;
    double terminal_decel_ratio = 1.0;
    std::uint64_t submovement_count = 0;
    SpectralFeatures spectral;
};

// `track` is a MotionTrack: sorted by t and already limited.
MovementFeatures movement_features(std::span<const MousePoint> track);
// The same with spectrum tables from `cache` (same bits).
MovementFeatures movement_features(std::span<const MousePoint> track, TwiddleCache& cache);

// Pieces of the above, on a speed series (o >= 1 entries) and its running maximum.
double terminal_decel_ratio(std::span<const double> speed, double max_velocity);
std::uint64_t count_submovements(std::span<const double> speed, double max_velocity);

}  // namespace velmora::features
