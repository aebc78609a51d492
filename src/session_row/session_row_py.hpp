// Python results of a session row, for the entries that make one (session_row_py.cpp for a
// telemetry dict, ingest/ingest_py.cpp for JSON text).
#pragma once

#include <Python.h>

#include "forest/forest.hpp"
#include "session_row/session_row.hpp"

namespace velmora::py {

// The row as a new tuple of floats.
PyObject* new_row_tuple(const session_row::Row& row);

// The forest held by capsule `obj` if it reads session rows; else null with a TypeError
// (not a forest) or a ValueError (a forest for rows of another length) set.
const forest::Forest* row_forest(PyObject* obj);

}  // namespace velmora::py
