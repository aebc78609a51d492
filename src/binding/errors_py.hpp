// Building and rewriting the exceptions that reach callers.
//
// Failures are reported the CPython way: the function that fails sets the
// interpreter's error indicator and returns false/null. Messages are formatted
// only when an error is actually raised.
#pragma once

#include <Python.h>

#include "binding/pyref_py.hpp"

namespace velmora::py {

// `__qualname__` of the object's type, or "<failed to extract type name>".
PyRef type_qualname(PyObject* obj);

// TypeError "'{type}' object cannot be converted to '{target}'". Returns false.
bool raise_cannot_convert(PyObject* obj, const char* target);

// For C API calls that signalled failure: when the interpreter set no exception,
// raise SystemError "attempted to fetch exception but none was set". Returns false.
bool ensure_error_set();

// Argument prefixing. A pending exception whose type is exactly TypeError becomes a
// new TypeError "argument '{name}': {message}" that keeps the old `__cause__`;
// anything else passes through unchanged. Returns null, ready to be returned.
PyObject* argument_error(const char* name);

// Discards whatever exception is pending (lenient readers never raise).
inline void discard_error() { PyErr_Clear(); }

}  // namespace velmora::py
