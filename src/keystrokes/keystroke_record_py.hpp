// Reading one keystroke record given as a dict, for both readers of keystrokes: the
// telemetry reader (extract_features_rs) and evaluate_keystroke_dynamics_rs. They differ
// only in which time key they try first and in whether a release record is passed over.
#pragma once

#include <Python.h>

#include <array>
#include <optional>

#include "binding/record_fields_py.hpp"
#include "keystrokes/keystroke_event.hpp"

namespace velmora::py {

struct KeystrokeDictReading {
    // The press time is the first of these keys that reads as a finite number.
    std::array<Field, 3> down_keys;
    // A record whose "type" is the str "up" (a key release, from clients that report
    // presses and releases separately) gives no event.
    bool skip_releases;
};

// Telemetry's "keystrokes" list: "t" first.
inline constexpr KeystrokeDictReading kTelemetryKeystroke{{Field::t, Field::down, Field::time}, false};
// evaluate_keystroke_dynamics_rs: "down" first, releases passed over.
inline constexpr KeystrokeDictReading kDynamicsKeystroke{{Field::down, Field::t, Field::time}, true};

// The event of `record` when it is a dict with a usable press time; nothing otherwise.
// The key is the "key" str (else "unknown"); the release is "up", else press time plus
// "duration_ms", else absent. A plain record is read in one pass through `scanner`, any
// other dict by one lookup per field in the order above; both give the same event.
// Lenient: no Python error is left pending.
std::optional<keystrokes::KeystrokeEvent> read_keystroke_dict(PyObject* record, RecordScanner& scanner,
                                                              const KeystrokeDictReading& how);

}  // namespace velmora::py
