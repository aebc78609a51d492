// Readers for content that must never raise (telemetry, keystroke records):
// each yields a value or nothing, and any error the interpreter reported on the
// way is discarded, so no exception is ever left pending.
#pragma once

#include <Python.h>

#include <cstdint>
#include <optional>
#include <string_view>

#include "py_ref.hpp"

namespace velmora::py {

// The number readers, dict_get and list_get are inline: telemetry reading calls them a few
// times per sample, and once inlined the std::optional never goes through memory.

// float(obj) as PyFloat_AsDouble does it: float, int, bool, __float__, __index__.
// A genuine -1.0 is a value; only a reported error makes it absent.
inline std::optional<double> read_float(PyObject* obj) {
    const double value = PyFloat_AsDouble(obj);
    if (value == -1.0 && PyErr_Occurred() != nullptr) {
        PyErr_Clear();
        return std::nullopt;
    }
    return value;
}

// PyLong_AsLongLong: int, bool, __index__; a float or an out-of-range int is absent.
inline std::optional<std::int64_t> read_int(PyObject* obj) {
    const long long value = PyLong_AsLongLong(obj);
    if (value == -1 && PyErr_Occurred() != nullptr) {
        PyErr_Clear();
        return std::nullopt;
    }
    return value;
}

// Exactly bool, or a NumPy bool scalar whose __bool__ returns a bool.
std::optional<bool> read_bool(PyObject* obj);

// A str (or subclass) with a UTF-8 encoding, borrowed from the object.
std::optional<std::string_view> read_utf8(PyObject* obj);

// The dict's own lookup (a subclass's __getitem__/__missing__ is never consulted).
// Absent when the key is missing or the lookup reported an error.
inline PyRef dict_get(PyObject* dict, PyObject* key) {
    PyObject* value = nullptr;
    if (PyDict_GetItemRef(dict, key, &value) < 0) PyErr_Clear();
    return steal(value);
}

// List item by index; absent (error discarded) when it cannot be fetched.
inline PyRef list_get(PyObject* list, Py_ssize_t index) {
    PyRef item = steal(PyList_GetItemRef(list, index));
    if (!item) PyErr_Clear();
    return item;
}

// The float under `key` of a dict, written to `out`; false (and `out` untouched) when
// absent or unreadable. An out-parameter rather than std::optional: readers run this a few
// times per sample, and an optional<double> return goes through memory.
inline bool float_at(PyObject* dict, PyObject* key, double& out) {
    PyRef value = dict_get(dict, key);
    if (!value) return false;
    const std::optional<double> v = read_float(value.get());
    if (!v) return false;
    out = *v;
    return true;
}

// The value under `key` when it is a list (or subclass), else null.
inline PyRef list_at(PyObject* dict, PyObject* key) {
    PyRef value = dict_get(dict, key);
    if (value && !PyList_Check(value.get())) return PyRef();
    return value;
}

}  // namespace velmora::py
