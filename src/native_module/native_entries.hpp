// The entries of velmora_core._native, each defined in its subsystem's *_py.cpp.
#pragma once

#include <Python.h>

namespace velmora::py {

// ingest/ingest_py.cpp
PyObject* features_json(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* session_json(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* behaviour_values_json(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* set_table_budget(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* table_stats(PyObject* self, PyObject* unused);
// behaviour/behaviour_py.cpp
PyObject* behaviour_features(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* behaviour_feature_values(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* behaviour_feature_names(PyObject* self, PyObject* unused);

}  // namespace velmora::py
