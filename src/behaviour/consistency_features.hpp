// Facts a real pointing device and browser obey, which replayed tracks and scripted
// events break. They are counts and extents, not judgements: the detector decides how
// many violations make evidence (one may be a glitch of the page's collector).
#pragma once

#include <cstddef>
#include <span>

#include "behaviour/behaviour_session.hpp"
#include "behaviour/feature_names.hpp"

namespace velmora::behaviour {

// A click further than this (px) from the pointer's path at its time is not where the
// pointer was; two clicks further apart than this need a pointer move between them.
inline constexpr double kClickPlacePx = 10.0;
// More samples than this sharing a click's time stamp cannot place it on the path.
inline constexpr std::size_t kClickTieSamples = 32;
// Two samples around a click further apart than this (ms), and than kJumpPx, do not show the
// pointer's path between them (a remote desktop's batches are 110 ms apart).
inline constexpr double kClickStepMs = 150.0;
// A pointer sample further than this (px) from the one before it, with this long a silence
// (ms) before and after it, appeared there without a path: a hand moving a pointer sends
// the samples along the way.
inline constexpr double kJumpPx = 50.0;
inline constexpr double kJumpSilenceMs = 300.0;

// pointer and clicks in input order (as read); writes the consistency features into out.
void consistency_features(std::span<const PointerSample> pointer, std::span<const Click> clicks, FeatureValues& out);

}  // namespace velmora::behaviour
