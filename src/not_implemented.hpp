// Temporary: functions whose subsystem is not built yet bind their arguments
// and then raise NotImplementedError.
#pragma once

#include <Python.h>

namespace velmora::py {

inline PyObject* not_implemented(const char* function) {
    PyErr_Format(PyExc_NotImplementedError, "%s() is not available in this build yet", function);
    return nullptr;
}

}  // namespace velmora::py
