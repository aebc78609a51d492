// The Python result of a session's stroke prints, shared by the dict and the JSON readers.
#pragma once

#include <Python.h>

#include "strokes/stroke_print.hpp"

namespace velmora::py {

// (strokes, prints as bytes in the wire form, kWireBytes each).
PyObject* new_prints_result(const strokes::SessionPrints& prints);

}  // namespace velmora::py
