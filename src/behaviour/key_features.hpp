// Features of key timing: how long keys are held, the intervals between presses, and how
// consistent repeated runs of typing are. Which key was pressed is never used.
#pragma once

#include <span>

#include "behaviour/behaviour_session.hpp"
#include "behaviour/feature_names.hpp"

namespace velmora::behaviour {

// Presses further apart than this start a new burst of typing (ms).
inline constexpr double kBurstGapMs = 1000.0;
// Holds outside (0, kMaxHoldMs) are not key holds a person makes.
inline constexpr double kMaxHoldMs = 2000.0;

void key_features(std::span<const KeyTiming> keys, FeatureValues& out);

}  // namespace velmora::behaviour
