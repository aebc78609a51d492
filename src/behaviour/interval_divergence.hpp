// How much the sampling intervals differ from one movement to the next. One device and
// one clock give every movement of a session the same interval distribution, however
// irregular it is; strokes replayed from several recordings bring each its own.
#pragma once

#include <cstddef>
#include <span>
#include <utility>

#include "behaviour/behaviour_session.hpp"

namespace velmora::behaviour {

// Intervals are ranked in bins of this width (ms); equal bins share their mean rank.
inline constexpr double kIntervalBinMs = 0.5;
inline constexpr std::size_t kIntervalBins = 600;  // up to 300 ms, the longest inside a movement
// A movement counts with this many intervals; the statistic needs this many movements
// and intervals.
inline constexpr std::size_t kDivergenceMovementSteps = 5;
inline constexpr std::size_t kDivergenceMovements = 2;
inline constexpr std::size_t kDivergenceSteps = 20;

// The Kruskal-Wallis statistic of the intervals grouped by movement, over n - 1 (n: the
// intervals): 0 when every movement's intervals rank alike, towards 1 when the movements
// keep apart. `track` in time order, distinct times; `movements` are [begin, end) sample
// ranges of it. 0 without enough data.
double interval_divergence(std::span<const PointerSample> track,
                           std::span<const std::pair<std::size_t, std::size_t>> movements);

}  // namespace velmora::behaviour
