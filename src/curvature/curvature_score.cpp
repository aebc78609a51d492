#include "curvature/curvature_score.hpp"

#include <cstddef>

namespace velmora::curvature {
namespace {

constexpr double kCurvedSample = 0.1;

// Values strictly above the threshold; NaN never counts.
std::size_t curved_samples(std::span<const double> kappa) {
    std::size_t q = 0;
    for (double v : kappa)
        if (v > kCurvedSample) ++q;
    return q;
}

}  // namespace

double curvature_score(double mean_curvature, double curvature_var, double curvature_rate_var,
                       std::span<const double> kappa) {
    if (mean_curvature < 1e-6 && curvature_var < 1e-7) return 0.95;
    if (curvature_var < 1e-4 && curvature_rate_var < 1e-8) return 0.9;
    if (curvature_var > 10.0 || curvature_rate_var > 5.0) return 0.85;
    const std::size_t half = kappa.size() / 2;
    if (curved_samples(kappa) > half && curvature_rate_var > 2.0) return 0.75;
    return 0.1;
}

}  // namespace velmora::curvature
