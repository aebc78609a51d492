// Owned references to Python objects.
//
// A PyRef owns exactly one reference: copying increments, moving steals, the
// destructor decrements. Make one with `steal(p)` for a new reference the C API
// handed us, or `borrow(p)` to take a reference of our own to a borrowed one, so
// ownership is visible at every call site. Raw `PyObject*` in this code base is
// always a borrowed reference.
#pragma once

#include <Python.h>

#include <utility>

namespace velmora::py {

class PyRef {
public:
    PyRef() noexcept = default;
    PyRef(const PyRef& other) noexcept : ptr_(other.ptr_) { Py_XINCREF(ptr_); }
    PyRef(PyRef&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    PyRef& operator=(PyRef other) noexcept {
        std::swap(ptr_, other.ptr_);
        return *this;
    }
    ~PyRef() { Py_XDECREF(ptr_); }

    // The object, still owned by this handle.
    PyObject* get() const noexcept { return ptr_; }
    // Hands the reference to the caller (typically: return it to the interpreter).
    [[nodiscard]] PyObject* release() noexcept { return std::exchange(ptr_, nullptr); }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }

    friend PyRef steal(PyObject* p) noexcept;
    friend PyRef borrow(PyObject* p) noexcept;

private:
    explicit PyRef(PyObject* p) noexcept : ptr_(p) {}
    PyObject* ptr_ = nullptr;
};

// Takes over a new reference (may be null: the call failed).
inline PyRef steal(PyObject* p) noexcept { return PyRef(p); }
// Adds a reference of our own to a borrowed object.
inline PyRef borrow(PyObject* p) noexcept {
    Py_XINCREF(p);
    return PyRef(p);
}

}  // namespace velmora::py
