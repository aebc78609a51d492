#include "lenient_readers.hpp"

#include "conversions.hpp"

namespace velmora::py {

std::optional<double> read_float(PyObject* obj) {
    const double value = PyFloat_AsDouble(obj);
    if (value == -1.0 && PyErr_Occurred() != nullptr) {
        PyErr_Clear();
        return std::nullopt;
    }
    return value;
}

std::optional<std::int64_t> read_int(PyObject* obj) {
    const long long value = PyLong_AsLongLong(obj);
    if (value == -1 && PyErr_Occurred() != nullptr) {
        PyErr_Clear();
        return std::nullopt;
    }
    return value;
}

std::optional<bool> read_bool(PyObject* obj) {
    if (obj == Py_True) return true;
    if (obj == Py_False) return false;
    bool value = false;
    if (!convert_bool(obj, value)) {
        PyErr_Clear();
        return std::nullopt;
    }
    return value;
}

std::optional<std::string_view> read_utf8(PyObject* obj) {
    if (!PyUnicode_Check(obj)) return std::nullopt;
    std::string_view text;
    if (!convert_utf8(obj, text)) {
        PyErr_Clear();
        return std::nullopt;
    }
    return text;
}

PyRef dict_get(PyObject* dict, PyObject* key) {
    PyObject* value = nullptr;
    if (PyDict_GetItemRef(dict, key, &value) < 0) PyErr_Clear();
    return steal(value);
}

PyRef list_get(PyObject* list, Py_ssize_t index) {
    PyRef item = steal(PyList_GetItemRef(list, index));
    if (!item) PyErr_Clear();
    return item;
}

}  // namespace velmora::py
