// The entries of velmora_core._native, each defined in its subsystem's *_py.cpp.
#pragma once

#include <Python.h>

namespace velmora::py {

// forest/forest_py.cpp
PyObject* forest_build(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* forest_score(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* forest_explain(PyObject* self, PyObject* args, PyObject* kwargs);

}  // namespace velmora::py
