// The registry of velmora_core._native (see binding/function_registry_py.hpp): one row per
// function, X(name, "params", "doc"), each implemented in its subsystem's *_py.cpp.
#pragma once

#include <Python.h>

#include "binding/function_registry_py.hpp"

#define VELMORA_NATIVE_FUNCTIONS(X)                                                                   \
    X(feature_table, "",                                                                               \
      "Every feature of the record, in record order, as (name, type, value without data, unit, "      \
      "meaning, origin, exact) tuples; exact is False for values that pass through the C library's "  \
      "sin, cos or log2.")

namespace velmora::py {
VELMORA_NATIVE_FUNCTIONS(VELMORA_DECLARE_FUNCTION)
}  // namespace velmora::py
