// Plain statistics shared by the feature computations. Sums run left to right in
// index order from 0.0; variances are population variances (divided by the count).
#pragma once

#include <span>

namespace velmora::kinematics {

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

// Running maximum from 0.0, replaced only by a strictly greater value (NaN never wins).
inline double running_max_from_zero(std::span<const double> values) {
    double best = 0.0;
    for (double v : values)
        if (v > best) best = v;
    return best;
}

}  // namespace velmora::kinematics
