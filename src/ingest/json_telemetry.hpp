// Telemetry read straight from a parsed JSON document into the ParsedTelemetry that the
// lenient dict reader makes of json.loads' object for the same text: the same keys, the
// same conversions (a number is a float, an int or a bool; an integer field takes an int
// within 64 bits or a bool; a flag only true or false), the last of repeated keys.
#pragma once

#include <yyjson.h>

#include "features/telemetry.hpp"

namespace velmora::ingest {

// Fills `parsed` from `telemetry` (any value: a non-object reads as an empty session).
// False when a value that the reading uses has a Python value not decided here (a number
// beyond a double's range, whose conversion depends on how large it is); `parsed` is then
// unspecified and the caller reads json.loads' object instead.
bool read_telemetry(yyjson_val* telemetry, features::ParsedTelemetry& parsed);

}  // namespace velmora::ingest
