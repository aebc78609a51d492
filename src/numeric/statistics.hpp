// The plain statistics every analysis shares. Sums run left to right in index order from
// 0.0 (results are bit-exact); variances are population variances (divided by the count).
#pragma once

#include <span>

namespace velmora::numeric {

inline double sum_in_order(std::span<const double> values) {
    double total = 0.0;
    for (double v : values) total = total + v;
    return total;
}

// The caller guarantees a non-empty list.
inline double mean_of(std::span<const double> values) {
    return sum_in_order(values) / static_cast<double>(values.size());
}

inline double population_variance(std::span<const double> values, double mean) {
    double total = 0.0;
    for (double v : values) {
        const double d = v - mean;
        total = total + d * d;
    }
    return total / static_cast<double>(values.size());
}

struct MeanVariance {
    double mean = 0.0;
    double variance = 0.0;  // divided by the count, not the count less one
};

// Both 0.0 for an empty list.
inline MeanVariance mean_and_variance(std::span<const double> values) {
    if (values.empty()) return {};
    const double mean = mean_of(values);
    return {mean, population_variance(values, mean)};
}

// Running maximum from 0.0, replaced only by a strictly greater value (NaN never wins).
inline double running_max_from_zero(std::span<const double> values) {
    double best = 0.0;
    for (double v : values)
        if (v > best) best = v;
    return best;
}

}  // namespace velmora::numeric
