#include "keystrokes/score.hpp"

#include <algorithm>

namespace velmora::keystrokes {

double keystroke_score(const ScoreInputs& in) {
    if (in.event_count < 3) return 0.0;

    // Regularity: near-constant flight times.
    double regularity = 0.0;
    if (in.flight_time_var < 2.0 && in.flight_count >= 3) regularity = 0.85;
    else if (in.flight_time_var < 15.0 && in.flight_count >= 4) regularity = 0.6;

    // Speed: flights faster than a person moves between keys.
    double s = (in.avg_flight_time > 0.0 && in.avg_flight_time < 25.0) ? 0.7 + regularity : regularity;

    // Dwell: keys held implausibly briefly, or for a constant time.
    if (in.dwell_count > 0) {
        if (in.avg_dwell_time < 15.0) s = s + 0.75;
        else if (in.dwell_time_var < 2.0 && in.dwell_count >= 3) s = s + 0.8;
    }

    // Practised typists hit common letter pairs faster than other pairs.
    if (in.digraph_speeds) {
        const double lc = in.digraph_speeds->common_mean;
        const double lo = in.digraph_speeds->other_mean;
        if (in.event_count >= 8 && lc >= 1.05 * lo) s = s + 0.4;
        else if (lc < 0.85 * lo) s = std::max(s - 0.25, 0.0);
    }

    // Flights all in one band, or spread almost evenly over all of them.
    if (in.flight_entropy < 0.15 && in.flight_count >= 5) s = s + 0.7;
    else if (in.flight_entropy > 0.98 && in.flight_count >= 8) s = s + 0.5;

    return std::min(std::max(s, 0.0), 1.0);
}

}  // namespace velmora::keystrokes
