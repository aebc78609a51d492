// The keystroke score: weight for timing that looks machine-made.
#pragma once

#include <cstdint>
#include <optional>

#include "keystrokes/digraphs.hpp"

namespace velmora::keystrokes {

struct ScoreInputs {
    std::uint64_t event_count = 0;
    std::uint64_t dwell_count = 0;   // accepted dwell times
    std::uint64_t flight_count = 0;  // accepted flight times
    double avg_dwell_time = 0.0;
    double dwell_time_var = 0.0;
    double avg_flight_time = 0.0;
    double flight_time_var = 0.0;
    double flight_entropy = 0.0;
    std::optional<DigraphSpeeds> digraph_speeds;
};

// In [0, 1]; 0.0 for fewer than three events.
double keystroke_score(const ScoreInputs& in);

}  // namespace velmora::keystrokes
