#include "curvature/path_motion.hpp"

#include "numeric/time_step.hpp"

namespace velmora::curvature {

PathWorkspace::PathWorkspace(std::size_t n) {
    const std::size_t steps = n - 1, inner = n - 2, rates = n - 3;
    // Every element is written before it is read, so the storage is left uninitialised.
    storage_ = std::make_unique_for_overwrite<double[]>(3 * steps + 4 * inner + rates);
    double* next = storage_.get();
    auto carve = [&next](std::size_t length) {
        std::span<double> s(next, length);
        next += length;
        return s;
    };
    dt = carve(steps), vx = carve(steps), vy = carve(steps);
    tm = carve(inner), ax = carve(inner), ay = carve(inner), kappa = carve(inner);
    rate = carve(rates);
}

void fill_steps(std::span<const double> x, std::span<const double> y, std::span<const double> t,
                PathWorkspace& w) {
    for (std::size_t k = 0; k < w.dt.size(); ++k) {
        // Equal, decreasing or NaN times all give the floor.
        w.dt[k] = numeric::floored_step(t[k + 1] - t[k]);
        w.vx[k] = (x[k + 1] - x[k]) / w.dt[k];
        w.vy[k] = (y[k + 1] - y[k]) / w.dt[k];
    }
}

void fill_accelerations(PathWorkspace& w) {
    for (std::size_t k = 0; k < w.tm.size(); ++k) {
        w.tm[k] = (w.dt[k + 1] + w.dt[k]) * 0.5;
        w.ax[k] = (w.vx[k + 1] - w.vx[k]) / w.tm[k];
        w.ay[k] = (w.vy[k + 1] - w.vy[k]) / w.tm[k];
    }
}

void fill_curvature_rates(PathWorkspace& w) {
    for (std::size_t k = 0; k < w.rate.size(); ++k)
        w.rate[k] = (w.kappa[k + 1] - w.kappa[k]) / numeric::floored_step(w.tm[k + 1]);
}

}  // namespace velmora::curvature
