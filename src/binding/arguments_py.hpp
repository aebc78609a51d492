// Matching a call's positional and keyword arguments to a function's parameters.
//
// Every parameter of these modules is required and positional-or-keyword, so a
// signature is just the function name and its parameter names (function_registry_py.hpp).
#pragma once

#include <Python.h>

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "binding/pyref_py.hpp"

namespace velmora::py {

// Fills `slots` with references of their own, one per parameter, or raises the TypeError
// for a call that does not fit and returns false. Allocates nothing on success.
//
// The references are strong because converting one argument runs user code
// (__index__, __float__, __iter__) while the others wait: in an `f(**{...})` call the
// keyword dict may be an argument's only owner, and that code can clear it.
bool bind_arguments(const char* function, std::span<const std::string_view> params, PyObject* args,
                    PyObject* kwargs, std::span<PyRef> slots);

template <std::size_t N>
using BoundArguments = std::array<PyRef, N>;

}  // namespace velmora::py
