// The behaviour session read straight from a parsed JSON document, as the behaviour dict
// reader reads json.loads' object for the same text (rules in behaviour/behaviour_session.hpp).
#pragma once

#include <yyjson.h>

#include "behaviour/behaviour_session.hpp"

namespace velmora::ingest {

// Fills `session` from `telemetry` (any value: a non-object reads as an empty session).
// False when a value the reading uses is a number beyond a double's range, whose Python
// value is not decided here; the caller then reads json.loads' object instead.
bool read_behaviour_session(yyjson_val* telemetry, behaviour::BehaviourSession& session);

}  // namespace velmora::ingest
