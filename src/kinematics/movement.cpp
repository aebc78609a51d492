#include "kinematics/movement.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "kinematics/segment_series.hpp"
#include "kinematics/series_stats.hpp"

namespace velmora::kinematics {

namespace {

// Below these the pointer is treated as motionless, so ratios fall back to 1.0
// instead of dividing by (almost) nothing.
constexpr double kMinPathLength = 0.0001;
constexpr double kMinPeakSpeed = 0.00001;
// A local speed peak below this share of the top speed is jitter, not a submovement.
constexpr double kSubmovementShare = 0.15;

double straightness_of(std::span<const MousePoint> track, double total_distance) {
    if (!(total_distance > kMinPathLength)) return 1.0;
    const double dx = track.back().x - track.front().x;
    const double dy = track.back().y - track.front().y;
    const double end_to_end = std::sqrt(dx * dx + dy * dy);
    const double ratio = end_to_end / total_distance;
    return ratio > 1.0 ? 1.0 : ratio;
}

}  // namespace

double terminal_decel_ratio(std::span<const double> speed, double max_velocity) {
    const std::size_t tail = std::max<std::size_t>(speed.size() / 4, 1);
    const double tail_mean = sum_in_order(speed.last(tail)) / static_cast<double>(tail);
    return max_velocity > kMinPeakSpeed ? tail_mean / max_velocity : 1.0;
}

std::uint64_t count_submovements(std::span<const double> speed, double max_velocity) {
    if (!(max_velocity > kMinPeakSpeed)) return 0;
    if (speed.size() < 3) return 1;
    const double threshold = kSubmovementShare * max_velocity;
    std::uint64_t peaks = 0;
    for (std::size_t i = 1; i + 1 < speed.size(); ++i)
        if (speed[i] > speed[i - 1] && speed[i] >= threshold && speed[i + 1] < speed[i]) ++peaks;
    return std::max<std::uint64_t>(peaks, 1);
}

MovementFeatures movement_features(std::span<const MousePoint> track) {
    MovementFeatures f;
    if (track.size() <= 2) return f;

    const SegmentSeries seg = build_segment_series(track);
    const std::size_t o = seg.speed.size();

    f.total_distance = sum_in_order(seg.dist);
    f.straightness = straightness_of(track, f.total_distance);

    f.avg_velocity = mean_of(seg.speed);
    f.max_velocity = running_max_from_zero(seg.speed);
    f.velocity_var = population_variance(seg.speed, f.avg_velocity);
    f.dt_var = population_variance(seg.step, mean_of(seg.step));

    f.terminal_decel_ratio = terminal_decel_ratio(seg.speed, f.max_velocity);
    f.submovement_count = count_submovements(seg.speed, f.max_velocity);
    f.spectral = spectral_features(seg.speed, f.avg_velocity);

    // Acceleration pairs a change of speed with the later segment's time step.
    std::vector<double> accel(o - 1);
    for (std::size_t j = 0; j + 1 < o; ++j) accel[j] = (seg.speed[j + 1] - seg.speed[j]) / seg.step[j + 1];
    f.avg_acceleration = mean_of(accel);
    f.acceleration_var = population_variance(accel, f.avg_acceleration);

    if (o > 2) {
        double abs_jerk_sum = 0.0;
        for (std::size_t j = 0; j + 2 < o; ++j)
            abs_jerk_sum = abs_jerk_sum + std::fabs((accel[j + 1] - accel[j]) / seg.step[j + 2]);
        f.avg_jerk = abs_jerk_sum / static_cast<double>(o - 2);
    }
    return f;
}

}  // namespace velmora::kinematics
