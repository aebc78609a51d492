// The entries of velmora_core._native, each defined in its subsystem's *_py.cpp.
#pragma once

#include <Python.h>

namespace velmora::py {}  // namespace velmora::py
