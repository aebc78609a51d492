#include <algorithm>

#include "curvature/curvature.hpp"
#include "curvature/curvature_kernels.hpp"
#include "curvature/curvature_score.hpp"
#include "curvature/path_motion.hpp"
#include "curvature/population_stats.hpp"

namespace velmora::curvature {
namespace {

constexpr std::size_t kMinimumSamples = 4;

}  // namespace

CurvatureReport evaluate_curvature(std::span<const double> x, std::span<const double> y,
                                   std::span<const double> t) {
    const std::size_t n = std::min({x.size(), y.size(), t.size()});
    if (n < kMinimumSamples) return {};

    PathWorkspace w(n);
    fill_steps(x, y, t, w);
    fill_accelerations(w);
    // Acceleration k is paired with the velocity of the later step, k+1.
    select_curvature_kernel()({w.vx.data() + 1, w.vy.data() + 1, w.ax.data(), w.ay.data()}, w.kappa.data(),
                              w.kappa.size());
    fill_curvature_rates(w);

    const MeanVariance curvature = population_stats(w.kappa);
    const MeanVariance rates = population_stats(w.rate);
    return {curvature.mean, curvature.variance, rates.variance,
            curvature_score(curvature.mean, curvature.variance, rates.variance, w.kappa)};
}

}  // namespace velmora::curvature
