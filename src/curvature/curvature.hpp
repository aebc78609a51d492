// Curvature statistics of a sampled pointer path.
#pragma once

#include <cstddef>
#include <span>

namespace velmora::curvature {

struct CurvatureReport {
    double mean_curvature = 0.0;
    double curvature_var = 0.0;
    double curvature_rate_var = 0.0;
    double curvature_score = 0.0;
};

// Fewer samples than this leave no curvature to measure.
inline constexpr std::size_t kMinCurvatureSamples = 4;

// Uses the first n = min(|x|, |y|, |t|) samples; all zeros when n < 4. Pure, never fails.
CurvatureReport evaluate_curvature(std::span<const double> x, std::span<const double> y,
                                   std::span<const double> t);

}  // namespace velmora::curvature
