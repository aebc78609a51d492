// Internal faults at the boundary: the interpreter failing to create a result
// object, or a broken invariant. They are not exceptions: the pending Python
// exception (if any) is printed, a diagnostic naming the source location goes to
// stderr, and the process ends at once.
#pragma once

#include <Python.h>

#include "binding/pyref_py.hpp"

namespace velmora::py {

[[noreturn]] void fatal_fault(const char* file, int line, const char* what) noexcept;

// A freshly created result object, or a fatal fault when the interpreter could not make it.
inline PyRef created_or_fatal(PyObject* p, const char* file, int line) noexcept {
    if (p == nullptr) fatal_fault(file, line, "Python API call failed");
    return steal(p);
}

}  // namespace velmora::py

#define VELMORA_FATAL(what) ::velmora::py::fatal_fault(__FILE__, __LINE__, (what))
#define VELMORA_CREATED(expr) ::velmora::py::created_or_fatal((expr), __FILE__, __LINE__)
