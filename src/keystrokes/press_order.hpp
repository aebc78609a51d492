// The order in which the analysis walks the events: by down time, stably.
#pragma once

#include <span>
#include <vector>

#include "keystrokes/keystroke_event.hpp"

namespace velmora::keystrokes {

// The events in ascending `down` order; events with equal down times keep their
// input order. An event whose down time is NaN has no place on the time line: it
// goes after every other event (NaN events keep their input order among
// themselves), so the timed events are walked exactly as if it were absent and
// only its own pairs are spoilt. Never fails, whatever the values.
std::vector<const KeystrokeEvent*> in_press_order(std::span<const KeystrokeEvent> events);

}  // namespace velmora::keystrokes
