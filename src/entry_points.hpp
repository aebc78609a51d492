// The thirteen functions the module registers. Each subsystem's *_py.cpp file
// defines its own; module.cpp puts them in the function table.
#pragma once

#include <Python.h>

#include <exception>
#include <new>
#include <stdexcept>

#include "fatal.hpp"

namespace velmora::py {

using KeywordsEntry = PyObject* (*)(PyObject* self, PyObject* args, PyObject* kwargs);
using NoArgsEntry = PyObject* (*)(PyObject* self, PyObject* unused);

// C++ exceptions must not unwind into the interpreter. The only ones expected are
// from native memory that cannot be had: a working vector grown to the size of an
// input too large for the machine. That is the caller's input, not a fault of ours,
// so it raises the interpreter's MemoryError like any other allocation that fails
// in Python; every native resource is released on the way out (RAII), and the
// engine's lock is never held past it. Anything else is an internal fault.
template <KeywordsEntry Impl>
PyObject* guarded(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    try {
        return Impl(self, args, kwargs);
    } catch (const std::bad_alloc&) {
        return PyErr_NoMemory();
    } catch (const std::length_error&) {  // a vector asked for more than max_size()
        return PyErr_NoMemory();
    } catch (...) {
        VELMORA_FATAL("unexpected C++ exception");
    }
}

template <NoArgsEntry Impl>
PyObject* guarded_noargs(PyObject* self, PyObject* unused) noexcept {
    try {
        return Impl(self, unused);
    } catch (const std::bad_alloc&) {
        return PyErr_NoMemory();
    } catch (const std::length_error&) {  // a vector asked for more than max_size()
        return PyErr_NoMemory();
    } catch (...) {
        VELMORA_FATAL("unexpected C++ exception");
    }
}

// The method-table forms of the guarded entries.
template <KeywordsEntry Impl>
constexpr PyCFunction keywords_entry() {
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&guarded<Impl>));
}
template <NoArgsEntry Impl>
constexpr PyCFunction noargs_entry() {
    return &guarded_noargs<Impl>;
}

// probes_py.cpp
PyObject* is_rust_core_active(PyObject* self, PyObject* unused);
PyObject* get_core_version(PyObject* self, PyObject* unused);
// kinematics/features_py.cpp
PyObject* extract_features_rs(PyObject* self, PyObject* args, PyObject* kwargs);
// curvature/curvature_py.cpp
PyObject* evaluate_curvature_naturalness_rs(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* evaluate_curvature_zerocopy_rs(PyObject* self, PyObject* args, PyObject* kwargs);
// keystrokes/keystrokes_py.cpp
PyObject* evaluate_keystroke_dynamics_rs(PyObject* self, PyObject* args, PyObject* kwargs);
// nonce_cache/state_engine_py.cpp
PyObject* consume_nonce_rs(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* is_ip_banned_rs(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* ban_ip_rs(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* unban_ip_rs(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* hydrate_bans_rs(PyObject* self, PyObject* args, PyObject* kwargs);
PyObject* clear_state_engine_rs(PyObject* self, PyObject* unused);
PyObject* get_state_engine_stats_rs(PyObject* self, PyObject* unused);

}  // namespace velmora::py
