#include <algorithm>
#include <vector>

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

    const PathMotion m = path_motion(x, y, t, n);
    // Acceleration k is paired with the velocity of the later step, k+1.
    std::vector<double> kappa(n - 2);
    select_curvature_kernel()({m.vx.data() + 1, m.vy.data() + 1, m.ax.data(), m.ay.data()}, kappa.data(),
                              kappa.size());
    const std::vector<double> rate = curvature_rates(kappa, m.tm);

    const MeanVariance curvature = population_stats(kappa);
    const MeanVariance rates = population_stats(rate);
    return {curvature.mean, curvature.variance, rates.variance,
            curvature_score(curvature.mean, curvature.variance, rates.variance, kappa)};
}

}  // namespace velmora::curvature
