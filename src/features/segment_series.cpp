#include "features/segment_series.hpp"

#include "numeric/pairwise_math.hpp"
#include "numeric/time_step.hpp"

namespace velmora::features {

SegmentSeries build_segment_series(std::span<const MousePoint> track) {
    SegmentSeries s;
    if (track.size() < 2) return s;
    const std::size_t o = track.size() - 1;
    s.storage.resize(3 * o);
    double* dist = s.storage.data();
    double* step = dist + o;
    double* speed = step + o;
    for (std::size_t j = 0; j < o; ++j) {
        const MousePoint& p0 = track[j];
        const MousePoint& p1 = track[j + 1];
        const double dx = p1.x - p0.x;
        const double dy = p1.y - p0.y;
        dist[j] = dx * dx + dy * dy;  // squared for now
        const double dt = p1.t - p0.t;
        step[j] = numeric::floored_step(dt);
    }
    numeric::sqrt_each(dist, dist, o);
    numeric::divide_each(dist, step, speed, o);
    s.dist = {dist, o};
    s.step = {step, o};
    s.speed = {speed, o};
    return s;
}

}  // namespace velmora::features
