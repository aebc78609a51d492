// Building results: every object is new, and the interpreter failing to create
// one is an internal fault (see fatal.hpp), never an exception.
#pragma once

#include <Python.h>

#include <cstdint>
#include <string_view>

#include "binding/fatal_py.hpp"
#include "binding/pyref_py.hpp"

namespace velmora::py {

inline PyRef new_float(double v) { return VELMORA_CREATED(PyFloat_FromDouble(v)); }
inline PyRef new_u64(std::uint64_t v) { return VELMORA_CREATED(PyLong_FromUnsignedLongLong(v)); }
inline PyRef new_i64(std::int64_t v) { return VELMORA_CREATED(PyLong_FromLongLong(v)); }
inline PyRef new_bool(bool v) { return borrow(v ? Py_True : Py_False); }
inline PyRef new_str(std::string_view s) {
    return VELMORA_CREATED(PyUnicode_FromStringAndSize(s.data(), static_cast<Py_ssize_t>(s.size())));
}
inline PyObject* new_none() { Py_RETURN_NONE; }

// An interned str kept for the life of the process (this module refuses
// sub-interpreters, so one process-wide object per text is safe).
inline PyObject* intern_forever(const char* text) {
    return VELMORA_CREATED(PyUnicode_InternFromString(text)).release();
}

// A result dict filled in a fixed key order. If an insertion is refused, the
// error is kept pending, later insertions are skipped, and finish() returns null
// (the half-built dict is released).
class DictBuilder {
public:
    DictBuilder() : dict_(VELMORA_CREATED(PyDict_New())) {}

    // `key` is borrowed; the value reference is consumed.
    DictBuilder& add(PyObject* key, PyRef value) {
        if (ok_ && PyDict_SetItem(dict_.get(), key, value.get()) < 0) ok_ = false;
        return *this;
    }
    DictBuilder& add(const char* key, PyRef value) {
        if (ok_) add(VELMORA_CREATED(PyUnicode_FromString(key)).get(), std::move(value));
        return *this;
    }

    // The finished dict as a new reference, or null with the insertion error set.
    PyObject* finish() {
        if (!ok_) return nullptr;
        return dict_.release();
    }

private:
    PyRef dict_;
    bool ok_ = true;
};

}  // namespace velmora::py

// A process-wide interned key, created the first time this line runs.
#define VELMORA_KEY(text)                                                       \
    ([]() -> PyObject* {                                                        \
        static PyObject* const interned_key = ::velmora::py::intern_forever(text); \
        return interned_key;                                                    \
    }())
