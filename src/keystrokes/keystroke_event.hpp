// One key press, as both keystroke readers build it.
#pragma once

#include <optional>
#include <string>

namespace velmora::keystrokes {

struct KeystrokeEvent {
    std::string key;            // UTF-8 text as the client sent it, or "unknown"
    double down = 0.0;          // ms on the client's clock
    std::optional<double> up;   // ms, same clock; absent when the record gives none
};

}  // namespace velmora::keystrokes
