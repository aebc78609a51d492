#include "binding/arguments_py.hpp"

#include <string>

#include "binding/errors_py.hpp"
#include "binding/pyref_py.hpp"

namespace velmora::py {
namespace {

bool raise_too_many_positional(const char* function, std::size_t expected, Py_ssize_t given) {
    PyErr_Format(PyExc_TypeError, "%s() takes %zu positional arguments but %zd %s given", function,
                 expected, given, given == 1 ? "was" : "were");
    return false;
}

// str() of a keyword, with anything that has no UTF-8 form (lone surrogates) shown as U+FFFD.
PyRef lossy_keyword_text(PyObject* key) {
    PyRef text = steal(PyObject_Str(key));
    if (!text) return text;
    if (PyUnicode_AsUTF8AndSize(text.get(), nullptr) != nullptr) return text;
    PyErr_Clear();
    PyRef raw = steal(PyUnicode_AsEncodedString(text.get(), "utf-8", "surrogatepass"));
    if (!raw) return raw;
    return steal(PyUnicode_FromEncodedObject(raw.get(), "utf-8", "replace"));
}

bool raise_unexpected_keyword(const char* function, PyObject* key) {
    PyRef text = lossy_keyword_text(key);
    if (!text) return ensure_error_set();
    PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'", function, text.get());
    return false;
}

bool raise_multiple_values(const char* function, std::string_view name) {
    PyErr_Format(PyExc_TypeError, "%s() got multiple values for argument '%.*s'", function,
                 static_cast<int>(name.size()), name.data());
    return false;
}

// 'a' / 'a' and 'b' / 'a', 'b', and 'c'
bool raise_missing(const char* function, std::span<const std::string_view> missing) {
    std::string list;
    for (std::size_t i = 0; i < missing.size(); ++i) {
        if (i > 0) {
            if (missing.size() > 2) list += ",";
            if (i + 1 == missing.size()) list += " and";
            list += " ";
        }
        list += "'";
        list += missing[i];
        list += "'";
    }
    PyErr_Format(PyExc_TypeError, "%s() missing %zu required positional argument%s: %s", function,
                 missing.size(), missing.size() == 1 ? "" : "s", list.c_str());
    return false;
}

}  // namespace

bool bind_arguments(const char* function, std::span<const std::string_view> params, PyObject* args,
                    PyObject* kwargs, std::span<PyRef> slots) {
    const std::size_t count = params.size();
    for (PyRef& slot : slots) slot = PyRef();

    const Py_ssize_t given = PyTuple_Size(args);
    if (given < 0) return ensure_error_set();
    for (Py_ssize_t i = 0; i < given && static_cast<std::size_t>(i) < count; ++i)
        slots[static_cast<std::size_t>(i)] = borrow(PyTuple_GetItem(args, i));
    if (static_cast<std::size_t>(given) > count) return raise_too_many_positional(function, count, given);

    if (kwargs != nullptr) {
        Py_ssize_t pos = 0;
        PyObject* key = nullptr;
        PyObject* value = nullptr;
        while (PyDict_Next(kwargs, &pos, &key, &value)) {
            Py_ssize_t len = 0;
            const char* utf8 = PyUnicode_Check(key) ? PyUnicode_AsUTF8AndSize(key, &len) : nullptr;
            if (utf8 == nullptr) PyErr_Clear();  // no UTF-8 text: matches no parameter
            std::size_t index = count;
            if (utf8 != nullptr) {
                const std::string_view text(utf8, static_cast<std::size_t>(len));
                for (std::size_t p = 0; p < count; ++p)
                    if (params[p] == text) {
                        index = p;
                        break;
                    }
            }
            if (index == count) return raise_unexpected_keyword(function, key);
            if (slots[index]) return raise_multiple_values(function, params[index]);
            slots[index] = borrow(value);
        }
    }

    // At most a handful of parameters: the missing names fit in a small fixed array.
    std::array<std::string_view, 8> missing{};
    std::size_t missing_count = 0;
    for (std::size_t p = 0; p < count; ++p)
        if (!slots[p] && missing_count < missing.size()) missing[missing_count++] = params[p];
    if (missing_count > 0)
        return raise_missing(function, std::span<const std::string_view>(missing.data(), missing_count));
    return true;
}

}  // namespace velmora::py
