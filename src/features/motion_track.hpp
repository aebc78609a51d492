// The time-ordered, length-limited track that every movement feature works on.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "features/telemetry.hpp"

namespace velmora::features {

// Work is bounded whatever the client sends: only the earliest samples count.
inline constexpr std::size_t kTrackLimit = 300;

// The points sorted by t (stable: equal times keep their input order), cut to
// the kTrackLimit earliest.
using MotionTrack = std::vector<MousePoint>;

MotionTrack build_motion_track(std::span<const MousePoint> points);

}  // namespace velmora::features
