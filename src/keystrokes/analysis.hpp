// Keystroke timing analysis: dwell and flight statistics, flight-time entropy,
// common-digraph speed and the keystroke score.
#pragma once

#include <cstdint>
#include <span>

#include "keystrokes/keystroke_event.hpp"

namespace velmora::keystrokes {

struct KeystrokeReport {
    std::uint64_t key_count = 0;
    double avg_dwell_time = 0.0;
    double dwell_time_var = 0.0;
    double avg_flight_time = 0.0;
    double flight_time_var = 0.0;
    double digraph_entropy = 0.0;
    double keystroke_score = 0.0;
};

// Pure; never fails; does not modify `events` (it sorts a copy).
KeystrokeReport analyze_keystrokes(std::span<const KeystrokeEvent> events);

}  // namespace velmora::keystrokes
