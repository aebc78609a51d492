#include "features/motion_track.hpp"

#include <algorithm>

namespace velmora::features {

MotionTrack build_motion_track(std::span<const MousePoint> points) {
    const auto earlier = [](const MousePoint& a, const MousePoint& b) { return a.t < b.t; };
    const std::size_t kept = std::min(points.size(), kTrackLimit);
    // Clients almost always send samples in time order; then the stable sort is the
    // identity and only the first `kept` samples need copying.
    if (std::is_sorted(points.begin(), points.end(), earlier))
        return MotionTrack(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(kept));
    MotionTrack track(points.begin(), points.end());
    std::stable_sort(track.begin(), track.end(), earlier);
    track.resize(kept);
    return track;
}

}  // namespace velmora::features
