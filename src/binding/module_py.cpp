// Module initialisation: the function table, `__all__`, the owner-interpreter
// claim and the cached module object.
#include <Python.h>

#include <atomic>
#include <cstdint>

#include "binding/core_functions_py.hpp"
#include "binding/errors_py.hpp"
#include "binding/results_py.hpp"

namespace velmora::py {
namespace {

VELMORA_CORE_FUNCTIONS(VELMORA_FUNCTION_ROW)

// Registration order is the order of `__all__`.
PyMethodDef function_table[] = {VELMORA_CORE_FUNCTIONS(VELMORA_METHOD_ENTRY)};

PyModuleDef module_definition = {
    PyModuleDef_HEAD_INIT, "velmora_core_rs", "", 0, nullptr, nullptr, nullptr, nullptr, nullptr,
};

// The first interpreter to initialise the module owns it for the life of the process.
std::atomic<std::int64_t> owner_interpreter{-1};
// The finished module, kept forever: re-initialisation hands back this same object.
PyObject* module_cell = nullptr;

bool claim_interpreter() {
    const std::int64_t id = PyInterpreterState_GetID(PyInterpreterState_Get());
    if (id == -1) return ensure_error_set();
    std::int64_t expected = -1;
    if (!owner_interpreter.compare_exchange_strong(expected, id) && expected != id) {
        PyErr_SetString(PyExc_ImportError,
                        "velmora_core_rs does not yet support sub-interpreters, see the "
                        "'Limitations' section of the velmora_core_rs README");
        return false;
    }
    return true;
}

// `__all__` as a borrowed list, created empty on first use.
PyObject* module_all_list(PyObject* module) {
    PyRef all = steal(PyObject_GetAttr(module, VELMORA_KEY("__all__")));
    if (!all) {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) return nullptr;
        PyErr_Clear();
        all = VELMORA_CREATED(PyList_New(0));
        if (PyObject_SetAttr(module, VELMORA_KEY("__all__"), all.get()) < 0) return nullptr;
    }
    if (!PyList_Check(all.get())) {
        raise_cannot_convert(all.get(), "PyList");
        return nullptr;
    }
    return all.get();  // the module keeps it alive
}

bool add_function(PyObject* module, PyObject* function) {
    PyRef name = steal(PyObject_GetAttr(function, VELMORA_KEY("__name__")));
    if (!name) return ensure_error_set();
    if (!PyUnicode_Check(name.get())) return raise_cannot_convert(name.get(), "PyString");
    PyObject* all = module_all_list(module);
    if (all == nullptr) return ensure_error_set();
    if (PyList_Append(all, name.get()) < 0) VELMORA_FATAL("could not append __name__ to __all__");
    return PyObject_SetAttr(module, name.get(), function) == 0 || ensure_error_set();
}

bool register_functions(PyObject* module) {
    for (PyMethodDef& record : function_table) {
        PyRef module_name = steal(PyModule_GetNameObject(module));
        if (!module_name) return ensure_error_set();
        PyRef function = steal(PyCMethod_New(&record, module, module_name.get(), nullptr));
        if (!function) return ensure_error_set();
        if (!add_function(module, function.get())) return false;
    }
    return true;
}

PyObject* initialise_module() {
    if (!claim_interpreter()) return nullptr;
    if (module_cell != nullptr) return borrow(module_cell).release();

    PyRef module = steal(PyModule_Create2(&module_definition, 3));
    if (!module) {
        ensure_error_set();
        return nullptr;
    }
    if (!register_functions(module.get())) return nullptr;  // the half-built module is released

    if (module_cell == nullptr) module_cell = module.release();
    return borrow(module_cell).release();
}

}  // namespace
}  // namespace velmora::py

PyMODINIT_FUNC PyInit_velmora_core_rs(void) {
    try {
        return velmora::py::initialise_module();
    } catch (...) {
        VELMORA_FATAL("unexpected C++ exception during initialisation");
    }
}
