// How far a session's pointer features lie from people's: each feature's distance from
// the human median in robust standard deviations (interquartile range / 1.349), squared,
// capped at 100 (10 deviations) so that one wild value cannot say everything, and
// averaged. A generator may get most features right, rarely all of them at once.
//
// The medians and scales come from the recorded human sessions and are written by
// scripts/behaviour_reference.py into human_reference_data.hpp; rerun it whenever a
// pointer feature changes.
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
        const double z = (v[i] - kHumanReference[i][0]) / kHumanReference[i][1];
        const double z2 = z * z;
        sum += z2 < 100.0 ? z2 : 100.0;  // also catches NaN
    }
    return sum / static_cast<double>(kReferenceCount);
}

}  // namespace velmora::behaviour
