// The parsed form of one telemetry dict: plain values, owned by the call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "keystrokes/keystroke_event.hpp"

namespace velmora::features {

// Keystroke records beyond this are ignored: typing analysis needs no more, and it bounds
// the work a single telemetry can cause.
inline constexpr std::size_t kMaxKeystrokeItems = 150;

// One movement sample. x, y and t are always finite (the reader drops the others);
// r and f are 0.0 when the client did not send them and are not checked.
struct MousePoint {
    double x = 0.0;
    double y = 0.0;
    double t = 0.0;
    double r = 0.0;  // touch contact radius
    double f = 0.0;  // touch force
};

// Defaults are the ones that apply without a "browser" dict.
struct BrowserFacts {
    bool webdriver = false;
    double screen_width = 1024.0;
    double screen_height = 768.0;
    bool screen_valid = true;
    bool touch_supported = false;
    std::int64_t max_touch_points = 0;
    std::int64_t plugins_length = 1;
    // A browser dict was read. The defaults above are nobody's screen: the session row
    // (not the record) reads their screen as unreported.
    bool reported = false;
};

struct ParsedTelemetry {
    std::vector<MousePoint> points;                  // input order
    std::vector<keystrokes::KeystrokeEvent> events;  // input order, from the first kMaxKeystrokeItems items
    std::uint64_t click_count = 0;
    std::uint64_t scroll_count = 0;
    BrowserFacts browser;
};

}  // namespace velmora::features
