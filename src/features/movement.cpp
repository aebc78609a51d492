#include "features/movement.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "numeric/pairwise_math.hpp"
#include "features/segment_series.hpp"
#include "numeric/statistics.hpp"
#include "features/twiddle_table.hpp"

namespace velmora::features {

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
    const double tail_mean = numeric::sum_in_order(speed.last(tail)) / static_cast<double>(tail);
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

// The sums below are the plain left-to-right sums of their lists. Sums that do not depend on
// one another share a loop, so that their addition chains overlap instead of running one
// after the other; each sum still adds its own terms in index order.
MovementFeatures movement_features(std::span<const MousePoint> track) {
    return movement_features(track, twiddle_cache());
}

MovementFeatures movement_features(std::span<const MousePoint> track, TwiddleCache& cache) {
    MovementFeatures f;
    if (track.size() <= 2) return f;

    const SegmentSeries seg = build_segment_series(track);
    const std::size_t o = seg.size();
    const std::span<const double> speed = seg.speed;
    const std::span<const double> step = seg.step;

    // Acceleration pairs a change of speed with the later segment's time step, jerk a change
    // of acceleration with the step two segments on. Differences first, then the quotients
    // of a whole list at once.
    std::vector<double> work(2 * o);
    double* accel = work.data();
    double* jerk = accel + o;
    for (std::size_t j = 0; j + 1 < o; ++j) accel[j] = speed[j + 1] - speed[j];
    numeric::divide_each(accel, step.data() + 1, accel, o - 1);
    for (std::size_t j = 0; j + 2 < o; ++j) jerk[j] = accel[j + 1] - accel[j];
    if (o > 2) numeric::divide_each(jerk, step.data() + 2, jerk, o - 2);

    double distance_sum = 0.0, speed_sum = 0.0, step_sum = 0.0, accel_sum = 0.0, max_speed = 0.0;
    for (std::size_t j = 0; j < o; ++j) {
        distance_sum = distance_sum + seg.dist[j];
        speed_sum = speed_sum + speed[j];
        step_sum = step_sum + step[j];
        if (j + 1 < o) accel_sum = accel_sum + accel[j];
        if (speed[j] > max_speed) max_speed = speed[j];  // a NaN never replaces the maximum
    }
    f.total_distance = distance_sum;
    f.straightness = straightness_of(track, distance_sum);
    f.avg_velocity = speed_sum / static_cast<double>(o);
    f.max_velocity = max_speed;
    const double step_mean = step_sum / static_cast<double>(o);
    f.avg_acceleration = accel_sum / static_cast<double>(o - 1);

    double speed_sq = 0.0, step_sq = 0.0, accel_sq = 0.0, abs_jerk_sum = 0.0;
    for (std::size_t j = 0; j < o; ++j) {
        const double dv = speed[j] - f.avg_velocity;
        speed_sq = speed_sq + dv * dv;
        const double ds = step[j] - step_mean;
        step_sq = step_sq + ds * ds;
        if (j + 1 < o) {
            const double da = accel[j] - f.avg_acceleration;
            accel_sq = accel_sq + da * da;
        }
        if (j + 2 < o) abs_jerk_sum = abs_jerk_sum + std::fabs(jerk[j]);
    }
    f.velocity_var = speed_sq / static_cast<double>(o);
    f.dt_var = step_sq / static_cast<double>(o);
    f.acceleration_var = accel_sq / static_cast<double>(o - 1);
    if (o > 2) f.avg_jerk = abs_jerk_sum / static_cast<double>(o - 2);

    f.terminal_decel_ratio = terminal_decel_ratio(speed, f.max_velocity);
    f.submovement_count = count_submovements(speed, f.max_velocity);
    f.spectral = spectral_features(speed, f.avg_velocity, cache);
    return f;
}

}  // namespace velmora::features
