#include "curvature/path_motion.hpp"

namespace velmora::curvature {

PathMotion path_motion(std::span<const double> x, std::span<const double> y, std::span<const double> t,
                       std::size_t n) {
    const std::size_t steps = n - 1;
    PathMotion m{std::vector<double>(steps), std::vector<double>(steps), std::vector<double>(steps),
                 std::vector<double>(steps - 1), std::vector<double>(steps - 1), std::vector<double>(steps - 1)};
    for (std::size_t k = 0; k < steps; ++k) {
        // Equal, decreasing or NaN times all give the floor.
        m.dt[k] = floored(t[k + 1] - t[k], kTimeStepFloor);
        m.vx[k] = (x[k + 1] - x[k]) / m.dt[k];
        m.vy[k] = (y[k + 1] - y[k]) / m.dt[k];
    }
    for (std::size_t k = 0; k + 1 < steps; ++k) {
        m.tm[k] = (m.dt[k + 1] + m.dt[k]) * 0.5;
        m.ax[k] = (m.vx[k + 1] - m.vx[k]) / m.tm[k];
        m.ay[k] = (m.vy[k + 1] - m.vy[k]) / m.tm[k];
    }
    return m;
}

std::vector<double> curvature_rates(std::span<const double> kappa, std::span<const double> tm) {
    std::vector<double> rate(kappa.size() - 1);
    for (std::size_t k = 0; k < rate.size(); ++k)
        rate[k] = (kappa[k + 1] - kappa[k]) / floored(tm[k + 1], kTimeStepFloor);
    return rate;
}

}  // namespace velmora::curvature
