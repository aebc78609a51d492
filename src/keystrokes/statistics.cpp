#include "keystrokes/statistics.hpp"

namespace velmora::keystrokes {

MeanVariance mean_and_variance(std::span<const double> values) {
    if (values.empty()) return {};
    const double count = static_cast<double>(values.size());
    double sum = 0.0;
    for (double v : values) sum = sum + v;
    const double mean = sum / count;
    double squares = 0.0;
    for (double v : values) {
        const double d = v - mean;
        squares = squares + d * d;
    }
    return {mean, squares / count};
}

}  // namespace velmora::keystrokes
