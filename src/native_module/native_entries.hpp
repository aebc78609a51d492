// The entries of velmora_core._native, each defined in its subsystem's *_py.cpp.
#pragma once

#include <Python.h>

namespace velmora::py {

// nonce_cache/state_engine_py.cpp: the state functions' argument conversions.
PyObject* state_text_argument(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* state_u64_argument(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* state_bans_argument(PyObject* self, PyObject* args, PyObject* kwargs);

}  // namespace velmora::py
