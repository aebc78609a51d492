// velmora_core._native: the native half of our own Python layer (behaviour features,
// JSON ingest, model scoring). It links the same plain cores and binding helpers as
// velmora_core_rs but is a separate module, so velmora_core_rs keeps exactly its own
// function table. Each subsystem's *_py.cpp defines its entries; native_entries.hpp lists them.
#include <Python.h>

#include "binding/fatal_py.hpp"
#include "native_module/native_entries.hpp"

namespace velmora::py {
namespace {

VELMORA_NATIVE_FUNCTIONS(VELMORA_FUNCTION_ROW)

PyMethodDef native_functions[] = {
    VELMORA_NATIVE_FUNCTIONS(VELMORA_METHOD_ENTRY){nullptr, nullptr, 0, nullptr},
};

PyModuleDef native_definition = {
    PyModuleDef_HEAD_INIT, "velmora_core._native", "Native half of the velmora_core layer.", 0,
    native_functions, nullptr, nullptr, nullptr, nullptr,
};

}  // namespace
}  // namespace velmora::py

PyMODINIT_FUNC PyInit__native(void) {
    try {
        return PyModule_Create2(&velmora::py::native_definition, 3);
    } catch (...) {
        VELMORA_FATAL("unexpected C++ exception during initialisation");
    }
}
