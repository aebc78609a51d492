// The entries of velmora_core._native, each defined in its subsystem's *_py.cpp.
#pragma once

#include <Python.h>

namespace velmora::py {

// behaviour/behaviour_py.cpp
PyObject* behaviour_features(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* behaviour_feature_values(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* behaviour_feature_names(PyObject* self, PyObject* unused);
// forest/forest_py.cpp
PyObject* forest_build(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* forest_score(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* forest_explain(PyObject* self, PyObject* args, PyObject* kwargs);

}  // namespace velmora::py
