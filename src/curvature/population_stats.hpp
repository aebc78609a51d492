// Mean and population variance, summed left to right (results are bit-exact).
#pragma once

#include <span>

namespace velmora::curvature {

struct MeanVariance {
    double mean = 0.0;
    double variance = 0.0;  // divided by the count, not the count less one
};

// Needs at least one value.
MeanVariance population_stats(std::span<const double> values);

}  // namespace velmora::curvature
