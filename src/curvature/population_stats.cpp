#include "curvature/population_stats.hpp"

namespace velmora::curvature {

MeanVariance population_stats(std::span<const double> values) {
    const double count = static_cast<double>(values.size());
    double sum = 0.0;
    for (double v : values) sum += v;
    const double mean = sum / count;
    double squares = 0.0;
    for (double v : values) {
        const double d = v - mean;
        squares += d * d;
    }
    return {mean, squares / count};
}

}  // namespace velmora::curvature
