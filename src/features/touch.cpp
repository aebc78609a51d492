#include "features/touch.hpp"

#include <vector>

#include "numeric/statistics.hpp"

namespace velmora::features {

TouchStats touch_stats(std::span<const MousePoint> points) {
    std::vector<double> radii;
    std::vector<double> forces;
    for (const MousePoint& p : points) {
        if (p.r > 0.0) radii.push_back(p.r);
        if (p.f > 0.0) forces.push_back(p.f);
    }
    TouchStats s;
    s.touch_event_count = radii.size();
    if (!radii.empty()) {
        s.avg_touch_radius = numeric::mean_of(radii);
        s.touch_radius_var = numeric::population_variance(radii, s.avg_touch_radius);
    }
    if (!forces.empty()) s.avg_touch_force = numeric::mean_of(forces);
    return s;
}

}  // namespace velmora::features
