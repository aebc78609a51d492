// Features of the pointer stream: how it is sampled, the shape of each movement, how it
// turns, and how it behaves around clicks.
#pragma once

#include <span>

#include "behaviour/behaviour_session.hpp"
#include "behaviour/feature_names.hpp"

namespace velmora::behaviour {

// A gap longer than this between two samples ends a movement (ms).
inline constexpr double kPauseMs = 300.0;
// A movement needs this many samples (after its still ends are trimmed) and this path (px)
// before its shape is measured.
inline constexpr std::size_t kMinMovementSamples = 5;
inline constexpr double kMinMovementPath = 20.0;

// Writes the pointer and click features into `out`; features without data keep the value
// `out` holds (the caller fills the neutral values first).
void pointer_features(std::span<const PointerSample> pointer, std::span<const Click> clicks, FeatureValues& out);

}  // namespace velmora::behaviour
