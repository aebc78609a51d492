// The entries of velmora_core._native, each defined in its subsystem's *_py.cpp.
#pragma once

#include <Python.h>

namespace velmora::py {

// behaviour/behaviour_py.cpp
PyObject* behaviour_features(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* behaviour_feature_values(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* behaviour_feature_names(PyObject* self, PyObject* unused);

}  // namespace velmora::py
