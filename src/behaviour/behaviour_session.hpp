// The plain record every behaviour feature is computed from: where and when the pointer
// was, where and when it clicked, when keys went down and up. It never holds which key
// was typed, nor anything about the browser: the features must not depend on either.
//
// Readers (the telemetry dict reader here, a JSON reader elsewhere) fill it by the same
// simple rules:
// - pointer: one sample per item with finite x, y and t; others are skipped. Input order
//   is kept; the features sort by t themselves.
// - clicks: one per item with finite x, y and t; others are skipped.
// - scrolls: the finite t of each item; others are skipped.
// - keys: down is the first finite value of "t", "down", "time"; up is "up", else
//   down + "duration_ms", else unknown (NaN). Items without a down time are skipped.
// - at most kMaxPointer / kMaxClicks / kMaxScrolls / kMaxKeys items of each list are
//   examined, so one session bounds the work it can cause.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

#include "keystrokes/keystroke_event.hpp"

namespace velmora::behaviour {

inline constexpr std::size_t kMaxPointer = 20000;
inline constexpr std::size_t kMaxClicks = 2000;
inline constexpr std::size_t kMaxScrolls = 2000;
inline constexpr std::size_t kMaxKeys = 2000;

struct PointerSample {
    double x = 0.0;  // px
    double y = 0.0;  // px
    double t = 0.0;  // ms
};

struct Click {
    double x = 0.0;
    double y = 0.0;
    double t = 0.0;
};

struct KeyTiming {
    double down = 0.0;  // ms
    double up = 0.0;    // ms; NaN when the record gives no release
};

// The timing of a key press as the keystroke readers give it; which key it was is dropped.
inline KeyTiming key_timing(const keystrokes::KeystrokeEvent& event) { return {event.down, event.up.value_or(NAN)}; }

struct BehaviourSession {
    std::vector<PointerSample> pointer;
    std::vector<Click> clicks;
    std::vector<double> scrolls;  // ms
    std::vector<KeyTiming> keys;
};

}  // namespace velmora::behaviour
