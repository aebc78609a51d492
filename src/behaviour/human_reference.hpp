// How far a session's pointer features lie from people's, two ways, against constants
// taken from the recorded human sessions:
// - human_distance: each feature's distance from the human median in robust standard
//   deviations (interquartile range / 1.349), squared, capped at 100 (10 deviations) so
//   that one wild value cannot say everything, and averaged;
// - human_range_excess: how far each feature lies outside the range of 99 % of people
//   (0.5th to 99.5th percentile), in interquartile ranges, capped at 5, summed. Zero for
//   almost every person, whatever their quirks inside the range.
// A generator may get most features right, rarely all of them at once.
//
// The constants are written by scripts/behaviour_reference.py into
// human_reference_data.hpp; rerun it whenever a pointer feature changes.
#pragma once

#include <cstddef>

#include "behaviour/feature_names.hpp"
#include "behaviour/human_reference_data.hpp"

namespace velmora::behaviour {

// The pointer features come first in the table, before the key features.
inline constexpr std::size_t kReferenceCount = kDurationDistanceR + 1;
static_assert(kReferenceCount == kHoldMean);
static_assert(kHumanReference.size() == kReferenceCount);

inline double human_distance(const FeatureValues& v) {
    double sum = 0.0;
    for (std::size_t i = 0; i < kReferenceCount; ++i) {
        const HumanReference& r = kHumanReference[i];
        const double z = (v[i] - r.median) / r.scale;
        const double z2 = z * z;
        sum += z2 < 100.0 ? z2 : 100.0;  // also catches NaN
    }
    return sum / static_cast<double>(kReferenceCount);
}

inline double human_range_excess(const FeatureValues& v) {
    double sum = 0.0;
    for (std::size_t i = 0; i < kReferenceCount; ++i) {
        const HumanReference& r = kHumanReference[i];
        const double below = r.low - v[i], above = v[i] - r.high;
        const double outside = below > 0.0 ? below : (above > 0.0 ? above : (v[i] == v[i] ? 0.0 : 5.0 * r.iqr));
        const double e = outside / r.iqr;
        sum += e < 5.0 ? e : 5.0;  // a NaN value counts as far
    }
    return sum;
}

}  // namespace velmora::behaviour
