// Reading the keystroke records handed to evaluate_keystroke_dynamics_rs.
#pragma once

#include <Python.h>

#include <vector>

#include "keystrokes/keystroke_event.hpp"

namespace velmora::py {

// Every readable record of a list, in list order: (key, down, up-or-None) tuples
// and {"key", "down"/"t"/"time", "up"/"duration_ms"} dicts. Lenient: records that
// cannot be read are passed over, anything but a list gives no events, and no
// Python error is ever left pending.
std::vector<keystrokes::KeystrokeEvent> parse_keystroke_list(PyObject* keystrokes);

}  // namespace velmora::py
