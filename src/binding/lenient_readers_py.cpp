#include "binding/lenient_readers_py.hpp"

#include "binding/conversions_py.hpp"

namespace velmora::py {

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

}  // namespace velmora::py
