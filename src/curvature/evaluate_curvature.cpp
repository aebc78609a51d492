#include <algorithm>

#include "curvature/curvature.hpp"
#include "curvature/curvature_kernels.hpp"
#include "curvature/curvature_score.hpp"
#include "curvature/path_motion.hpp"
#include "numeric/statistics.hpp"

namespace velmora::curvature {
CurvatureReport evaluate_curvature(std::span<const double> x, std::span<const double> y,
                                   std::span<const double> t) {
    const std::size_t n = std::min({x.size(), y.size(), t.size()});
    if (n < kMinCurvatureSamples) return {};

    PathWorkspace w(n);
    fill_steps(x, y, t, w);
    fill_accelerations(w);
    // Acceleration k is paired with the velocity of the later step, k+1.
    select_curvature_kernel()({w.vx.data() + 1, w.vy.data() + 1, w.ax.data(), w.ay.data()}, w.kappa.data(),
                              w.kappa.size());
    fill_curvature_rates(w);

    const numeric::MeanVariance curvature = numeric::mean_and_variance(w.kappa);
    const numeric::MeanVariance rates = numeric::mean_and_variance(w.rate);
    return {curvature.mean, curvature.variance, rates.variance,
            curvature_score(curvature.mean, curvature.variance, rates.variance, w.kappa)};
}

}  // namespace velmora::curvature
