// Conversions of Python values to native values.
//
// Each returns true with the value written, or false with a Python exception set.
// The messages are part of the module's interface: callers match on them.
#pragma once

#include <Python.h>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "binding/errors_py.hpp"
#include "binding/pyref_py.hpp"

namespace velmora::py {

// Any sequence except str: items read in iteration order through float().
//   str            -> TypeError "Can't extract `str` to `Vec`"
//   non-sequence   -> TypeError "'{type}' object cannot be converted to 'Sequence'"
//   bad item       -> the interpreter's own exception for it
bool convert_f64_vector(PyObject* obj, std::vector<double>& out);

// The checks every vector conversion starts with: a str (or subclass) is refused with
// "Can't extract `str` to `Vec`", a non-sequence with "'{type}' object cannot be
// converted to 'Sequence'". On success `reserve` is the reported length as a sizing
// hint only, capped so that an absurd length cannot reserve unbounded memory (0 when
// asking for the length failed; that error is discarded).
bool check_vector_source(PyObject* obj, std::size_t& reserve);

// Calls `convert_item(item)` on each item in iteration order, stopping at the first
// failure; an error raised by the iterator itself fails the conversion.
template <class ConvertItem>
bool for_each_item(PyObject* obj, ConvertItem&& convert_item) {
    PyRef iterator = steal(PyObject_GetIter(obj));
    if (!iterator) return ensure_error_set();
    while (PyRef item = steal(PyIter_Next(iterator.get())))
        if (!convert_item(item.get())) return false;
    return PyErr_Occurred() == nullptr;
}

// A str (or subclass) as UTF-8, borrowed from the object (valid while `obj` lives).
//   other types    -> TypeError "'{type}' object cannot be converted to 'PyString'"
//   lone surrogate -> the interpreter's UnicodeEncodeError
bool convert_utf8(PyObject* obj, std::string_view& out);

// An int (bool included) or an object with __index__, in [0, 2**64 - 1].
// Negative or too large: OverflowError; no __index__ (float included): TypeError.
bool convert_u64(PyObject* obj, std::uint64_t& out);

// Exactly bool, or a NumPy bool scalar through its __bool__ (which must return a bool).
//   other types    -> TypeError "'{type}' object cannot be converted to 'PyBool'"
bool convert_bool(PyObject* obj, bool& out);

// A tuple (or subclass) of exactly `length` items.
//   not a tuple    -> TypeError "'{type}' object cannot be converted to 'PyTuple'"
//   other length   -> ValueError "expected tuple of length {n}, but got tuple of length {m}"
bool check_tuple_of_length(PyObject* obj, Py_ssize_t length);

}  // namespace velmora::py
