// Reading a telemetry dict into a BehaviourSession by the rules in behaviour_session.hpp.
// Lenient: nothing in the content raises, and no Python error is left pending.
//
// The whole session comes from read_behaviour_session; the parts are for a reader that has
// some of it already (session_row/session_row_py.cpp takes the pointer samples and the first
// key timings from the core telemetry reading).
#pragma once

#include <Python.h>

#include <cstddef>
#include <vector>

#include "behaviour/behaviour_session.hpp"
#include "binding/record_fields_py.hpp"

namespace velmora::py {

// Any object: a non-dict reads as an empty session.
behaviour::BehaviourSession read_behaviour_session(PyObject* telemetry);

// The parts, for a dict `telemetry`; each appends to its list.
void read_pointer(PyObject* telemetry, RecordScanner& scanner, std::vector<behaviour::PointerSample>& pointer);
void read_clicks(PyObject* telemetry, RecordScanner& scanner, std::vector<behaviour::Click>& clicks);
void read_scrolls(PyObject* telemetry, RecordScanner& scanner, std::vector<double>& scrolls);
// Items `first` onwards of "keystrokes" (up to kMaxKeys in all).
void read_keys(PyObject* telemetry, RecordScanner& scanner, std::size_t first, std::vector<behaviour::KeyTiming>& keys);

}  // namespace velmora::py
