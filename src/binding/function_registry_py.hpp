// The machinery of a module's function registry. A registry is one X-macro list of rows
//     X(name, "param, param", "doc")
// (see core_functions_py.hpp); from each row come the implementation's declaration, the
// argument binding with the row's parameter names, the method-table entry and the
// `__text_signature__` ("name(param, param)\n--\n\n" followed by the doc).
//
// An implementation is defined in its subsystem's *_py.cpp as
//     PyObject* name(const BoundArguments<N>& arguments)
// with N the number of parameters; it sees the arguments already matched and bound.
#pragma once

#include <Python.h>

#include <array>
#include <cstddef>
#include <new>
#include <stdexcept>
#include <string_view>

#include "binding/arguments_py.hpp"
#include "binding/fatal_py.hpp"

namespace velmora::py {

// The number of names in a list such as "x, y, t" (0 for "").
consteval std::size_t parameter_count(std::string_view list) {
    if (list.empty()) return 0;
    std::size_t count = 1;
    for (char c : list) count += c == ',' ? 1 : 0;
    return count;
}

// "x, y, t" as {"x", "y", "t"}.
template <std::size_t N>
consteval std::array<std::string_view, N> parameter_names(std::string_view list) {
    std::array<std::string_view, N> names{};
    for (std::size_t i = 0; i < N; ++i) {
        const std::size_t comma = list.find(',');
        names[i] = list.substr(0, comma);
        if (comma != std::string_view::npos) list = list.substr(comma + 2);  // ", "
    }
    return names;
}

// C++ exceptions must not unwind into the interpreter. The only ones expected are
// from native memory that cannot be had: a working vector grown to the size of an
// input too large for the machine. That is the caller's input, not a fault of ours,
// so it raises the interpreter's MemoryError like any other allocation that fails
// in Python; every native resource is released on the way out (RAII), and the
// engine's lock is never held past it. Anything else is an internal fault.
template <class Call>
PyObject* guarded(Call&& call) noexcept {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return PyErr_NoMemory();
    } catch (const std::length_error&) {  // a vector asked for more than max_size()
        return PyErr_NoMemory();
    } catch (...) {
        VELMORA_FATAL("unexpected C++ exception");
    }
}

// A function with parameters takes positional and keyword arguments, bound by name;
// one without takes none at all (METH_NOARGS: the interpreter refuses any argument).
template <class Row>
PyObject* keywords_entry(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([args, kwargs]() -> PyObject* {
        static constexpr std::array<std::string_view, Row::arity> parameters = Row::parameters();
        BoundArguments<Row::arity> arguments;
        if (!bind_arguments(Row::function, parameters, args, kwargs, arguments)) return nullptr;
        return Row::implementation(arguments);
    });
}

template <class Row>
PyObject* noargs_entry(PyObject*, PyObject*) noexcept {
    return guarded([] { return Row::implementation(BoundArguments<0>{}); });
}

template <class Row>
constexpr PyMethodDef method_row() {
    if constexpr (Row::arity == 0) {
        return {Row::function, &noargs_entry<Row>, METH_NOARGS, Row::text_signature};
    } else {
        return {Row::function, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&keywords_entry<Row>)),
                METH_VARARGS | METH_KEYWORDS, Row::text_signature};
    }
}

}  // namespace velmora::py

// X-macro steps for a registry row: the implementation's declaration, its row type, and
// its method-table entry.
#define VELMORA_DECLARE_FUNCTION(name, params, doc) \
    PyObject* name(const ::velmora::py::BoundArguments<::velmora::py::parameter_count(params)>& arguments);

#define VELMORA_FUNCTION_ROW(name, params, doc)                                                         \
    struct name##_row {                                                                                 \
        static constexpr const char* function = #name;                                                  \
        static constexpr std::size_t arity = ::velmora::py::parameter_count(params);                    \
        static constexpr std::array<std::string_view, arity> parameters() {                             \
            return ::velmora::py::parameter_names<arity>(params);                                       \
        }                                                                                               \
        static constexpr const char* text_signature = #name "(" params ")\n--\n\n" doc;                 \
        static PyObject* implementation(const ::velmora::py::BoundArguments<arity>& arguments) {        \
            return name(arguments);                                                                     \
        }                                                                                               \
    };

#define VELMORA_METHOD_ENTRY(name, params, doc) ::velmora::py::method_row<name##_row>(),
