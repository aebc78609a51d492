// Mean and population variance, summed left to right in list order.
#pragma once

#include <span>

namespace velmora::keystrokes {

struct MeanVariance {
    double mean = 0.0;
    double variance = 0.0;
};

// Both 0.0 for an empty list.
MeanVariance mean_and_variance(std::span<const double> values);

}  // namespace velmora::keystrokes
