// Lenient reading of a telemetry dict: nothing in its content raises, unreadable
// values take their defaults, and no Python exception is ever left pending.
#pragma once

#include <Python.h>

#include "features/telemetry.hpp"

namespace velmora::py {

// Any object: a non-dict yields the all-default ParsedTelemetry.
features::ParsedTelemetry read_telemetry(PyObject* telemetry);

}  // namespace velmora::py
