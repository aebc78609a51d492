// Matching a call's positional and keyword arguments to a function's parameters.
//
// Every parameter of this module is required and positional-or-keyword, so a
// signature is just the function name and its parameter names.
#pragma once

#include <Python.h>

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace velmora::py {

template <std::size_t N>
struct Signature {
    const char* function;
    std::array<std::string_view, N> params;
};

// Fills `slots` with borrowed references, one per parameter, or raises the TypeError
// for a call that does not fit and returns false. Allocates nothing on success.
bool bind_arguments(const char* function, std::span<const std::string_view> params, PyObject* args,
                    PyObject* kwargs, std::span<PyObject*> slots);

template <std::size_t N>
bool bind_arguments(const Signature<N>& sig, PyObject* args, PyObject* kwargs,
                    std::array<PyObject*, N>& slots) {
    return bind_arguments(sig.function, sig.params, args, kwargs, slots);
}

}  // namespace velmora::py
